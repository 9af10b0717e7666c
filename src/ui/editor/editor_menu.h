#pragma once

#include "ui/commands/main_menu.h"

#include <span>

namespace bivora {

// The editor window's menu, popup by popup, in the form of the main menu's table
// (item texts carry their key after a tab). The keyboard help is made from it too.
std::span<const MenuEntry> EditorMenuTable();

// The editor's tool bar in order; id 0 is a separator.
struct EditorToolButton {
    int id;
    const char* themeIcon;
    const char* bundledIcon; // in the program's own icon set; null when it has none
};
std::span<const EditorToolButton> EditorToolBarTable();

// The commands of the text's context menu, in order.
std::span<const int> EditorContextMenuTable();

} // namespace bivora
