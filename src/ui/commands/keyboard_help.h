#pragma once

#include <span>
#include <string>
#include <string_view>

namespace bivora {

struct MenuEntry;

// A section of the help file for one window: a heading, then every key of its menu
// table, popup by popup ("Search > Find...").
std::string MenuKeysSection(std::string_view title, std::span<const MenuEntry> menu);

// The text of the "Keyboard commands" help file: every key of the main menu, popup by
// popup, then the keys that have no menu item, then the sections of the other windows.
// The build writes it from the same tables the windows use, so it cannot go stale.
std::string KeyboardHelpText(std::string_view otherWindows = {});

} // namespace bivora
