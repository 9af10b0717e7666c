#pragma once

#include <string>

namespace bivora {

// The text of the "Keyboard commands" help file: every key of the main menu, popup by
// popup, then the keys that have no menu item. The build writes it from the same
// tables the window uses, so it cannot go stale.
std::string KeyboardHelpText();

} // namespace bivora
