#pragma once

#include "ui/commands/command_router.h"
#include "ui/commands/frame_pane.h"

#include <QLineEdit>

namespace bivora::test {

// A pane that stands in for the real one: a focusable widget with a view style, and
// a pane link that handles one command so that the command chain can be followed.
class PlaceholderPane final : public QLineEdit, public FramePane, public CommandTarget {
public:
    PlaceholderPane(int column, QWidget* parent)
        : QLineEdit(parent)
        , m_column(column)
    {
        setObjectName(column == 0 ? QStringLiteral("LeftPane") : QStringLiteral("RightPane"));
    }

    QWidget* Widget() override { return this; }
    int ViewStyle() const override { return m_viewStyle; }
    void SetViewStyle(int id) override { m_viewStyle = id; }
    CommandTarget* ListTarget() override { return nullptr; }
    CommandTarget* PaneTarget() override { return this; }
    void SetActive(bool active) override { m_active = active; }

    // The pane handles "View" (F3) and counts it.
    static constexpr int kHandled = 32793;
    bool OnCommand(int id) override
    {
        if (id != kHandled)
            return false;
        ++m_runs;
        return true;
    }
    bool OnUpdateCommand(int id, CommandState&) override { return id == kHandled; }

    int Column() const { return m_column; }
    bool IsActive() const { return m_active; }
    int Runs() const { return m_runs; }

private:
    int m_column;
    int m_viewStyle = 59410;
    bool m_active = false;
    int m_runs = 0;
};

inline FramePane* MakePlaceholderPane(int column, QWidget* parent)
{
    return new PlaceholderPane(column, parent);
}

} // namespace bivora::test
