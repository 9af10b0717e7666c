#pragma once

#include "ui/commands/address_target.h"

#include <functional>

namespace bivora {

class PaneView;

// The address bar's link to the panes as they are today: typed folders go through the
// pane's GoToTyped. Command lines are not started yet (RunCommand answers false).
class PaneAddressTarget final : public AddressTarget {
public:
    // The active pane and its partner, asked anew at every call (either may be null).
    PaneAddressTarget(std::function<PaneView*()> active, std::function<PaneView*()> inactive);

    Outcome GoToTyped(const std::string& text, bool inactivePane) override;
    bool RunCommand(const std::string& text) override;
    std::string ActiveAddressText() const override;
    std::optional<std::string> FocusedName() const override;
    void FocusPane() override;
    bool FocusTree() override;
    void PassKeyToPane(QKeyEvent& event) override;

    // A pane's address text: the folder's path with the visual filter when one is set,
    // the filter alone outside the file system.
    static std::string AddressTextOf(const PaneView& pane);

private:
    std::function<PaneView*()> m_active;
    std::function<PaneView*()> m_inactive;
};

} // namespace bivora
