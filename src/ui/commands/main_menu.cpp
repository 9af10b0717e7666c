#include "ui/commands/main_menu.h"

#include "ui/commands/command_ids.h"

#include <QMenu>
#include <QMenuBar>

#include <array>
#include <vector>

namespace bivora {

namespace {

using K = MenuEntry::Kind;

constexpr MenuEntry Item(const char* text, int id, const char* prompt = nullptr)
{
    return {K::Item, text, id, prompt};
}
constexpr MenuEntry Popup(const char* text) { return {K::Popup, text, 0, nullptr}; }
constexpr MenuEntry kSep{K::Separator, nullptr, 0, nullptr};
constexpr MenuEntry kEnd{K::End, nullptr, 0, nullptr};

constexpr auto kMenu = std::to_array<MenuEntry>({
    Popup("&Files"),
    Item("&View\tF3", cmd::kView, "View file as text"),
    Item("&Edit\tF4", cmd::kEdit, "Edit file as text"),
    Item("&Properties\tF12", cmd::kProperties, "Display the properties of the selected item(s)"),
    kSep,
    Item("&Copy to...\tF5", cmd::kCopyTo, "Copy the selected items to opposite panel (use <Ctrl> for direct)"),
    Item("&Move to...\tF6", cmd::kMoveTo, "Move the selected items to opposite panel (use <Ctrl> for direct)"),
    Item("&Rename\tF2", cmd::kRename, "Rename the selected item in place"),
    Item("&Delete\tDel", cmd::kDelete, "Send selected items to the recycle bin (<Shift> for permanent deletion)"),
    kSep,
    Item("New &file\tF7", cmd::kNewFile, "Create a new (empty) text file"),
    Item("&New folder\tF8", cmd::kNewFolder, "Create a new folder"),
    kSep,
    Item("Fil&ters...", cmd::kFilters, "Specify the visual filter(s) for the files to be shown"),
    Item("Use filter\tCtrl+J", cmd::kUseFilter,
         "Quick-Toggle the visual filter on/off (press <Alt> to affect the inactive pane)"),
    Item("&History...\tCtrl+H", cmd::kFilterHistory),
    kSep,
    Item("E&xit\tAlt+X", cmd::kExit),
    kEnd,

    Popup("&Mark"),
    Item("Select &All\tCtrl+A", cmd::kSelectAll, "Select all items"),
    Item("&Select group...\tGrey +", cmd::kSelectGroup,
         "Select items according to supplied filter (use <Ctrl> for direct)"),
    Item("Like &this one\tAlt + G+", cmd::kLikeThisOne, "Select all items with the same extension as the focused one"),
    Item("&Unselect group...\tGrey -", cmd::kUnselectGroup,
         "Un-Select items according to supplied filter (use <Ctrl> for direct)"),
    Item("&Invert selection\tGrey *", cmd::kInvertSelection, "Toggles the selection state of items"),
    kSep,
    Item("Synchronize &Panes\tF9", cmd::kSynchronize, "Select all items that differ among the panes"),
    Item("&Locate identical\tCtrl+F9", cmd::kLocateIdentical, "Select items that are identical in the two panes"),
    Popup("A&dvanced"),
    Item("&Mirror browsing\tCtrl+M", cmd::kMirrorBrowsing),
    Item("&Sync scrolling\tCtrl+Y", cmd::kSyncScrolling),
    Item("Scroll to t&op\tCtrl+P", cmd::kScrollToTop),
    kSep,
    Item("Containing &text...\tCtrl+G", cmd::kContainingText, "Select files that contain some specified text string"),
    Item("Sync on &Content\tAlt+F9", cmd::kSyncOnContent,
         "Select files in the active pane that differ in the contained data"),
    kEnd,
    kSep,
    Popup("Selectio&n"),
    Item("S&tore\tCtrl+F11", cmd::kSelectionStore, "Remember the selected item names for later retrieval"),
    kSep,
    Item("&Select\tF11", cmd::kSelectionSelect, "Select all items stored earlier in the selection \"clipboard\""),
    Item("&Unselect\tAlt+F11", cmd::kSelectionUnselect,
         "Unselect all items stored earlier in the selection \"clipboard\""),
    kEnd,
    Item("&Generate batch...\tCtrl+B", cmd::kGenerateBatch,
         "Create a batch file using the selected items and a command template"),
    kEnd,

    Popup("&Edit"),
    Item("&Undo\tCtrl+Z", cmd::kUndo, "Can't Undo the last action: complaints to mikro$oft please!"),
    kSep,
    Item("Clipboard Cu&t\tCtrl+X", cmd::kCut),
    Item("Clipboard &Copy\tCtrl+C", cmd::kCopy),
    Item("Clipboard &Paste\tCtrl+V", cmd::kPaste),
    Item("Paste &Shortcut", cmd::kPasteShortcut),
    kEnd,

    Popup("&View"),
    Popup("&Toolbars"),
    Item("&Address Bar", cmd::kAddressBar),
    Item("&Toolbar", cmd::kToolbar),
    Item("&Status Bar", cmd::kStatusBar),
    Item("&Drive Bar", cmd::kDriveBar),
    Item("T&humb bar", cmd::kThumbBar),
    kEnd,
    Popup("&Layouts"),
    Item("(press Ctrl+Shift+7 to define)", cmd::kLayout1),
    Item("(press Ctrl+Shift+8 to define)", cmd::kLayout2),
    Item("(press Ctrl+Shift+9 to define)", cmd::kLayout3),
    kEnd,
    kSep,
    Popup("&Pane style"),
    Item("Lar&ge icons", cmd::kLargeIcons),
    Item("&Small icons", cmd::kSmallIcons),
    Item("&List", cmd::kList),
    Item("&Details", cmd::kDetails),
    kEnd,
    Popup("Sort &by"),
    Item("&Name\tCtrl+Alt+N", cmd::kSortByName),
    Item("&Size\tCtrl+Alt+S", cmd::kSortBySize),
    Item("&Date\tCtrl+Alt+D", cmd::kSortByDate),
    Item("&Type\tCtrl+Alt+T", cmd::kSortByType),
    kSep,
    Item("&Unsorted\tCtrl+Alt+U", cmd::kUnsorted),
    Item("&Ascending\tCtrl+Alt+A", cmd::kAscending),
    kEnd,
    Item("Sort a&gain\tCtrl+S", cmd::kSortAgain),
    kSep,
    Item("&Refresh\tCtrl+R", cmd::kRefresh),
    Item("Same &folder\tCtrl+I", cmd::kSameFolder),
    kSep,
    Item("&Equal panes\tCtrl+E", cmd::kEqualPanes),
    Item("O&ne pane\tCtrl+O", cmd::kOnePane),
    Item("S&wap panes\tCtrl+U", cmd::kSwapPanes),
    kSep,
    Item("&Options...", cmd::kOptions),
    kEnd,

    Popup("&Bookmarks"),
    Item("(press Ctrl+Shift+0 to set)", cmd::kBookmark0),
    Item("(press Ctrl+Shift+1 to set)", cmd::kBookmark0 + 1),
    Item("(press Ctrl+Shift+2 to set)", cmd::kBookmark0 + 2),
    Item("(press Ctrl+Shift+3 to set)", cmd::kBookmark0 + 3),
    Item("(press Ctrl+Shift+4 to set)", cmd::kBookmark0 + 4),
    Item("(press Ctrl+Shift+5 to set)", cmd::kBookmark0 + 5),
    kSep,
    Popup("&Go to folder"),
    Item("&Parent\tBksp", cmd::kParent),
    Item("&Root\tShift+Bksp", cmd::kRoot),
    Item("&Desktop\tCtrl+Bksp", cmd::kDesktop),
    kSep,
    Item("Pr&evious\tAlt+ left", cmd::kPrevious),
    Item("&Next\tAlt+ right", cmd::kNext),
    kSep,
    Item("Networ&k\tCtrl+N", cmd::kNetwork),
    Item("Docu&ments\t Ctrl+K", cmd::kDocuments),
    kEnd,
    kEnd,

    Popup("&Tools"),
    Item("Folder &data...\tCtrl+D", cmd::kFolderData, "Display statistics about this folder and its sub-folders"),
    Item("System &Tree\tCtrl+T", cmd::kTree),
    Item("&Select Drive...\tAlt+F1", cmd::kSelectDrive),
    Item("&Find files...\tCtrl+F", cmd::kFindFiles, "Locate a file or folder in a sub-tree"),
    kSep,
    Item("&Run Command", cmd::kRunCommand),
    Item("DOS &Command\tF10", cmd::kDosCommand),
    Item("Run &History...\tCtrl+F10", cmd::kRunHistory),
    kEnd,

    Popup("&Help"),
    Item("&Keyboard commands", cmd::kHelpKeyboard),
    kSep,
    Item("&What's new?", cmd::kHelpWhatsNew),
    Item("&Features...", cmd::kHelpFeatures),
    Item("F.A.&Q. ...", cmd::kHelpFaq),
    kSep,
    Item("&Licence agreement", cmd::kHelpLicence),
    Item("&About Ulvarion...", cmd::kAbout),
    kEnd,
});

} // namespace

std::span<const MenuEntry> MainMenuTable()
{
    return kMenu;
}

QKeySequence KeyFromMenuText(const QString& text)
{
    const qsizetype tab = text.indexOf(u'\t');
    if (tab < 0)
        return {};
    // Key texts are written loosely ("Alt+ left", " Ctrl+K", "Alt + G+"): drop the blanks.
    QString key = text.mid(tab + 1);
    key.remove(u' ');
    Qt::KeyboardModifiers modifiers;
    // The grey keys are the keypad's; "G" is the short form ("Alt+G+").
    for (;;) {
        if (key.startsWith(QLatin1String("Ctrl+"))) {
            modifiers |= Qt::ControlModifier;
            key.remove(0, 5);
        } else if (key.startsWith(QLatin1String("Shift+"))) {
            modifiers |= Qt::ShiftModifier;
            key.remove(0, 6);
        } else if (key.startsWith(QLatin1String("Alt+"))) {
            modifiers |= Qt::AltModifier;
            key.remove(0, 4);
        } else {
            break;
        }
    }
    int code = 0;
    if (key == QLatin1String("Grey+") || key == QLatin1String("G+"))
        code = Qt::Key_Plus, modifiers |= Qt::KeypadModifier;
    else if (key == QLatin1String("Grey-") || key == QLatin1String("G-"))
        code = Qt::Key_Minus, modifiers |= Qt::KeypadModifier;
    else if (key == QLatin1String("Grey*") || key == QLatin1String("G*"))
        code = Qt::Key_Asterisk, modifiers |= Qt::KeypadModifier;
    else if (key == QLatin1String("Bksp"))
        code = Qt::Key_Backspace;
    else if (key == QLatin1String("Del"))
        code = Qt::Key_Delete;
    else if (key.compare(QLatin1String("left"), Qt::CaseInsensitive) == 0)
        code = Qt::Key_Left;
    else if (key.compare(QLatin1String("right"), Qt::CaseInsensitive) == 0)
        code = Qt::Key_Right;
    else {
        const QKeySequence parsed = QKeySequence::fromString(key, QKeySequence::PortableText);
        if (parsed.isEmpty() || parsed[0].key() == Qt::Key_unknown)
            return {};
        code = parsed[0].key();
    }
    return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(code)));
}

QString PlainMenuText(const QString& text)
{
    QString plain = text.left(text.indexOf(u'\t'));
    for (qsizetype i = 0; i < plain.size(); ++i) {
        if (plain[i] == u'&')
            plain.remove(i, 1); // "&&" keeps one ampersand: the loop steps over it
    }
    return plain;
}

void BuildMenuTree(QMenuBar& menuBar, std::span<const MenuEntry> table,
                   const std::function<void(QMenu&)>& madePopup, const std::function<QAction*(int)>& actionOf)
{
    std::vector<QMenu*> open;
    for (const MenuEntry& entry : table) {
        switch (entry.kind) {
        case MenuEntry::Kind::Popup: {
            const QString text = QString::fromUtf8(entry.text);
            QMenu* menu = open.empty() ? menuBar.addMenu(text) : open.back()->addMenu(text);
            madePopup(*menu);
            open.push_back(menu);
            break;
        }
        case MenuEntry::Kind::End:
            open.pop_back();
            break;
        case MenuEntry::Kind::Separator:
            open.back()->addSeparator();
            break;
        case MenuEntry::Kind::Item:
            open.back()->addAction(actionOf(entry.id));
            break;
        }
    }
}

} // namespace bivora
