#pragma once

#include <span>

class QToolBar;

namespace bivora {

class CommandActions;

// A button of a bar: the command's action with its icon from the desktop's theme,
// falling back to the bundled one.
struct BarButton {
    int id;              // 0: a separator
    const char* theme;   // freedesktop icon name
    const char* bundled; // file in the bundled set
};

// Adds the buttons to the bar in order; a command without an action is left out.
void AddBarButtons(QToolBar& bar, CommandActions& actions, std::span<const BarButton> buttons);

// Flat bars can be moved and their buttons rise only under the mouse.
void ApplyFlatBar(QToolBar& bar, bool flat);

} // namespace bivora
