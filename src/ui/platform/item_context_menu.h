#pragma once

#include <QString>

#include <memory>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QPoint;
class QWidget;

namespace bivora {

class DesktopAppDatabase;

// One selected item as the context menu needs it.
struct SelectedItem {
    std::string path;     // bytes
    bool isFolder = false; // the item, or the target of the link, is a folder
    bool isLink = false;
    std::string mimeType; // "inode/directory" for folders
};

// What the pane allows at the moment the menu opens.
struct ItemMenuOptions {
    bool canPaste = false;  // the clipboard holds items to paste
    bool canRename = true;  // the pane shows a file-system folder
};

// The program's own context menu for selected items: Open, Open With (the applications
// registered for the items' type, the default first), Cut, Copy, Paste and Paste as
// Link (when exactly one folder is selected), Delete, Rename, Properties. Every action
// carries its verb as data ("open", "openwith:<desktop id>", "cut", "copy", "paste",
// "pastelink", "delete", "rename", "properties") and a help text as its status tip.
// Null when nothing is selected. Building does not show the menu. Open With shows the
// database's answers at hand and asks it again; until every type is answered it holds
// a disabled "Looking for applications..." line, and it fills in (while open, too)
// when the answers arrive.
std::unique_ptr<QMenu> BuildItemContextMenu(const std::vector<SelectedItem>& items, const DesktopAppDatabase& apps,
                                            const ItemMenuOptions& options, QWidget* parent = nullptr);

// The verb an action of that menu carries; empty for others.
QString VerbOf(const QAction* action);

// Shows the menu at a global position and waits for the choice; the chosen verb, or
// empty when the menu was dismissed.
QString ShowItemContextMenu(QMenu& menu, const QPoint& globalPosition);

// What a chosen verb asks the pane to do.
struct VerbAction {
    enum class Kind {
        NotHandled,
        PostCommand,         // command: one of the pane's command ids
        PasteIntoFolder,     // folder: the pane's transfer of the clipboard into it
        PasteLinkIntoFolder, // folder: the same, making links
        Open,                // execute each item with its default verb
        OpenWith,            // desktopId: start that application with the items
        ShowProperties,      // the Properties dialog for the items
    };
    Kind kind = Kind::NotHandled;
    int command = 0;
    std::string folder;
    std::string desktopId;
};

// Maps a chosen verb onto the pane's own commands: "cut", "copy", "delete" and
// "rename" become their command ids; "paste" with exactly one folder selected (links
// followed) becomes a paste into that folder; anything else is not handled.
VerbAction RunShellVerb(const QString& verb, const std::vector<SelectedItem>& items);

// The menu's other verbs, for those RunShellVerb does not handle: "open", "openwith:<id>",
// "pastelink" (exactly one folder selected) and "properties".
VerbAction InvokeItemVerb(const QString& verb, const std::vector<SelectedItem>& items);

} // namespace bivora
