#pragma once

#include "ui/pane/pane_context.h"

namespace bivora {

class KeyboardState;

// The application's pane pair: left, right, active and command-target pane. Making a
// pane active tells both panes, so both captions recolour.
class PanePairState final : public PanePair {
public:
    explicit PanePairState(KeyboardState& keyboard) : m_keyboard(keyboard) {}

    void SetPanes(PaneView* left, PaneView* right);
    PaneView* Left() const { return m_left; }
    PaneView* Right() const { return m_right; }
    PaneView* CommandTarget() const { return m_target; }

    PaneView* OtherPane(const PaneView* pane) const override;
    PaneView* TargetPane(PaneView* pane) override;
    PaneView* ActivePane() const override { return m_active; }
    void SetActivePane(PaneView* pane) override;

private:
    KeyboardState& m_keyboard;
    PaneView* m_left = nullptr;
    PaneView* m_right = nullptr;
    PaneView* m_active = nullptr;
    PaneView* m_target = nullptr;
};

} // namespace bivora
