#pragma once

#include "base/size_bar.h"

#include <QDockWidget>

#include <string_view>

class QMainWindow;

namespace bivora {

class SettingsStore;

// A resizable bar of the main window hosting one widget (the folder tree, the thumbnail
// view). It keeps one size for each way it stands (floating, docked at the top or
// bottom, docked at a side): the size of the way it stands now is applied whenever it
// changes way or shows, and a size the user gives it is remembered for that way. The
// close button hides it; the frame's toggle command brings it back.
class DockingBar final : public QDockWidget {
    Q_OBJECT
public:
    enum class Stand { Floating, Horizontal, Vertical };

    DockingBar(int barId, const QString& title, QMainWindow* frame);

    int BarId() const { return m_barId; }
    Stand CurrentStand() const;
    const BarSizes& Sizes() const { return m_sizes; }
    // The sizes this bar gave itself have been laid out: a resize from now on is the user's.
    bool Settled() const { return m_settled; }
    // Takes the sizes and applies the one of the present stand.
    void SetSizes(const BarSizes& sizes);

    // The stored "SizeBar %X" value of the section, by the load rule of SizeBarFromText.
    void LoadSizes(const SettingsStore& store, std::string_view section);
    void SaveSizes(SettingsStore& store, std::string_view section) const;

    // Gives the bar the size of its present stand (a docked bar through the frame's
    // dock layout, so that the bars sharing its area make room).
    void ApplySize();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ApplyLater();
    BarSize& SizeOf(Stand stand);
    // A floating bar shown before the frame (restored at start) stands over it.
    void StandOverFrame();

    QMainWindow& m_frame;
    const int m_barId;
    BarSizes m_sizes;
    // Sizes seen while the frame arranges the bar are not the user's: they are
    // remembered only once the bar's own size has been applied.
    bool m_settled = false;
    bool m_applyPending = false;
};

} // namespace bivora
