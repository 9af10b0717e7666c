#pragma once

#include <QKeySequence>
#include <QString>

#include <functional>
#include <span>

class QAction;
class QMenu;
class QMenuBar;

namespace bivora {

// One line of the main menu: an item, a separator, the start of a popup (its text)
// or the end of the innermost open popup. An item may carry the prompt that the
// status bar shows while the item is highlighted.
struct MenuEntry {
    enum class Kind { Item, Separator, Popup, End };
    Kind kind;
    const char* text = nullptr;
    int id = 0;
    const char* prompt = nullptr;
};

// The main menu, popup by popup, in order. Item texts carry their key after a tab.
std::span<const MenuEntry> MainMenuTable();

// Builds a menu table's popups on the menu bar: each new popup is handed to madePopup
// (to connect it), each item gets the action of its id.
void BuildMenuTree(QMenuBar& menuBar, std::span<const MenuEntry> table,
                   const std::function<void(QMenu&)>& madePopup, const std::function<QAction*(int)>& actionOf);

// The key sequence that a menu text names after its tab ("&View\tF3" -> F3,
// "Grey +" -> keypad +, "Bksp" -> Backspace); empty when there is none.
QKeySequence KeyFromMenuText(const QString& text);

// A menu text without its key text and without mnemonic ampersands, for tool tips.
QString PlainMenuText(const QString& text);

} // namespace bivora
