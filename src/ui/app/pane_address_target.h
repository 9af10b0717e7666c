#pragma once

#include "ui/commands/address_target.h"

#include <functional>
#include <string>

namespace bivora {

class PaneView;
class SettingsStore;

// The address bar's link to the panes: typed folders go through the pane's GoToTyped;
// "> text" and "$ text" start with the pane folders for $L and $R.
class PaneAddressTarget final : public AddressTarget {
public:
    // The active pane and its partner, asked anew at every call (either may be null).
    // The command preambles are read from the store and written back at once.
    PaneAddressTarget(std::function<PaneView*()> active, std::function<PaneView*()> inactive,
                      SettingsStore& store);

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
    std::string m_programPreamble;
    std::string m_terminalPreamble;
};

} // namespace bivora
