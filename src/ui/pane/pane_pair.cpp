#include "ui/pane/pane_pair.h"

#include "ui/pane/pane_view.h"
#include "ui/commands/services.h"

namespace bivora {

void PanePairState::SetPanes(PaneView* left, PaneView* right)
{
    m_left = left;
    m_right = right;
    m_active = nullptr;
    m_target = nullptr;
}

PaneView* PanePairState::OtherPane(const PaneView* pane) const
{
    if (pane == m_left)
        return m_right;
    if (pane == m_right)
        return m_left;
    return nullptr;
}

PaneView* PanePairState::TargetPane(PaneView* pane)
{
    PaneView* target = pane;
    if (m_keyboard.Alt()) {
        if (PaneView* other = OtherPane(pane))
            target = other;
    }
    m_target = target;
    return target;
}

void PanePairState::SetActivePane(PaneView* pane)
{
    if (pane == m_active)
        return;
    PaneView* previous = m_active;
    m_active = pane;
    if (previous)
        previous->SetActive(false);
    if (pane)
        pane->SetActive(true);
}

} // namespace bivora
