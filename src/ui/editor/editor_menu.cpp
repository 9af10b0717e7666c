#include "ui/editor/editor_menu.h"

#include "ui/editor/editor_command_ids.h"

#include <array>

namespace bivora {

namespace {

using K = MenuEntry::Kind;

constexpr MenuEntry Popup(const char* text) { return {K::Popup, text}; }
constexpr MenuEntry Item(const char* text, int id) { return {K::Item, text, id}; }
constexpr MenuEntry Separator() { return {K::Separator}; }
constexpr MenuEntry End() { return {K::End}; }

constexpr auto kMenu = std::to_array<MenuEntry>({
    Popup("&File"),
    Item("&Insert file...\tCtrl+I", edcmd::kInsertFile),
    Separator(),
    Item("&Save\tCtrl+S", edcmd::kSave),
    Item("Save &As...", edcmd::kSaveAs),
    Separator(),
    Item("&Print...\tCtrl+P", edcmd::kPrint),
    Item("Pa&ge Setup", edcmd::kPageSetup),
    Separator(),
    Item("E&xit\tEsc", edcmd::kExit),
    End(),
    Popup("&Edit"),
    Item("&Undo\tCtrl+Z", edcmd::kUndo),
    Separator(),
    Item("&Select All\tCtrl+A", edcmd::kSelectAll),
    Item("Cu&t\tCtrl+X", edcmd::kCut),
    Item("&Copy\tCtrl+C", edcmd::kCopy),
    Item("&Paste\tCtrl+V", edcmd::kPaste),
    Separator(),
    Item("&Overwrite\tIns", edcmd::kOverwrite),
    Item("Delete &Line\tCtrl+L", edcmd::kDeleteLine),
    Item("&Insert date/time", edcmd::kInsertDateTime),
    End(),
    Popup("&Search"),
    Item("&Find...\tCtrl+F", edcmd::kFind),
    Item("Repeat Fi&nd\tF3", edcmd::kRepeatFind),
    Item("Find &selection\tCtrl+F3", edcmd::kFindSelection),
    Separator(),
    Item("&Replace...\tCtrl+R", edcmd::kReplace),
    Separator(),
    Item("&Match Brace\tCtrl+]", edcmd::kMatchBrace),
    End(),
    Popup("&View"),
    Item("T&oolbar", edcmd::kToolbar),
    Item("&Status Bar", edcmd::kStatusBar),
    Separator(),
    Item("Set &Font...", edcmd::kSetFont),
    Item("&Tab width...", edcmd::kTabWidth),
    Item("Set &Colors...", edcmd::kSetColors),
    Separator(),
    Item("&Word Wrap\tF2", edcmd::kWordWrap),
    Item("&Hexadecimal\tF4", edcmd::kHexadecimal),
    Separator(),
    Item("&Goto Line...\tCtrl+G", edcmd::kGotoLine),
    Separator(),
    Item("&Auto indent\tF5", edcmd::kAutoIndent),
    Popup("&Indent"),
    Item("&Increase\tAlt+ right", edcmd::kIndentIncrease),
    Item("&Decrease\tAlt+ left", edcmd::kIndentDecrease),
    End(),
    End(),
    Popup("&Help"),
    Item("/* NOP  */", edcmd::kNop),
    End(),
});

constexpr auto kToolBar = std::to_array<EditorToolButton>({
    {edcmd::kSave, "document-save", nullptr},
    {edcmd::kFind, "edit-find", nullptr},
    {edcmd::kPrint, "document-print", nullptr},
    {0, nullptr, nullptr},
    {edcmd::kCut, "edit-cut", "cut"},
    {edcmd::kCopy, "edit-copy", "copy"},
    {edcmd::kPaste, "edit-paste", "paste"},
    {edcmd::kUndo, "edit-undo", nullptr},
    {0, nullptr, nullptr},
    {edcmd::kInsertDateTime, "x-office-calendar", nullptr},
    {edcmd::kSetFont, "preferences-desktop-font", nullptr},
    {edcmd::kSetColors, "preferences-desktop-color", nullptr},
    {0, nullptr, nullptr},
    {edcmd::kWordWrap, "format-text-direction-ltr", nullptr},
    {edcmd::kHexadecimal, "application-x-executable", nullptr},
    {0, nullptr, nullptr},
    {edcmd::kAutoIndent, "format-justify-left", nullptr},
    {edcmd::kIndentIncrease, "format-indent-more", nullptr},
    {edcmd::kIndentDecrease, "format-indent-less", nullptr},
    {0, nullptr, nullptr},
    {edcmd::kAbout, "help-about", nullptr},
});

constexpr auto kContextMenu =
    std::to_array<int>({edcmd::kUndo, edcmd::kCut, edcmd::kCopy, edcmd::kPaste, edcmd::kSelectAll});

} // namespace

std::span<const MenuEntry> EditorMenuTable()
{
    return kMenu;
}

std::span<const EditorToolButton> EditorToolBarTable()
{
    return kToolBar;
}

std::span<const int> EditorContextMenuTable()
{
    return kContextMenu;
}

} // namespace bivora
