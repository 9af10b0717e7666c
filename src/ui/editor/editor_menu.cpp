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
    Item("&Insert file...\tCtrl+I", ecmd::kInsertFile),
    Separator(),
    Item("&Save\tCtrl+S", ecmd::kSave),
    Item("Save &As...", ecmd::kSaveAs),
    Separator(),
    Item("&Print...\tCtrl+P", ecmd::kPrint),
    Item("Pa&ge Setup", ecmd::kPageSetup),
    Separator(),
    Item("E&xit\tEsc", ecmd::kExit),
    End(),
    Popup("&Edit"),
    Item("&Undo\tCtrl+Z", ecmd::kUndo),
    Separator(),
    Item("&Select All\tCtrl+A", ecmd::kSelectAll),
    Item("Cu&t\tCtrl+X", ecmd::kCut),
    Item("&Copy\tCtrl+C", ecmd::kCopy),
    Item("&Paste\tCtrl+V", ecmd::kPaste),
    Separator(),
    Item("&Overwrite\tIns", ecmd::kOverwrite),
    Item("Delete &Line\tCtrl+L", ecmd::kDeleteLine),
    Item("&Insert date/time", ecmd::kInsertDateTime),
    End(),
    Popup("&Search"),
    Item("&Find...\tCtrl+F", ecmd::kFind),
    Item("Repeat Fi&nd\tF3", ecmd::kRepeatFind),
    Item("Find &selection\tCtrl+F3", ecmd::kFindSelection),
    Separator(),
    Item("&Replace...\tCtrl+R", ecmd::kReplace),
    Separator(),
    Item("&Match Brace\tCtrl+]", ecmd::kMatchBrace),
    End(),
    Popup("&View"),
    Item("T&oolbar", ecmd::kToolbar),
    Item("&Status Bar", ecmd::kStatusBar),
    Separator(),
    Item("Set &Font...", ecmd::kSetFont),
    Item("&Tab width...", ecmd::kTabWidth),
    Item("Set &Colors...", ecmd::kSetColors),
    Separator(),
    Item("&Word Wrap\tF2", ecmd::kWordWrap),
    Item("&Hexadecimal\tF4", ecmd::kHexadecimal),
    Separator(),
    Item("&Goto Line...\tCtrl+G", ecmd::kGotoLine),
    Separator(),
    Item("&Auto indent\tF5", ecmd::kAutoIndent),
    Popup("&Indent"),
    Item("&Increase\tAlt+ right", ecmd::kIndentIncrease),
    Item("&Decrease\tAlt+ left", ecmd::kIndentDecrease),
    End(),
    End(),
    Popup("&Help"),
    Item("/* NOP  */", ecmd::kNop),
    End(),
});

constexpr auto kToolBar = std::to_array<EditorToolButton>({
    {ecmd::kSave, "document-save", nullptr},
    {ecmd::kFind, "edit-find", nullptr},
    {ecmd::kPrint, "document-print", nullptr},
    {0, nullptr, nullptr},
    {ecmd::kCut, "edit-cut", "cut"},
    {ecmd::kCopy, "edit-copy", "copy"},
    {ecmd::kPaste, "edit-paste", "paste"},
    {ecmd::kUndo, "edit-undo", nullptr},
    {0, nullptr, nullptr},
    {ecmd::kInsertDateTime, "x-office-calendar", nullptr},
    {ecmd::kSetFont, "preferences-desktop-font", nullptr},
    {ecmd::kSetColors, "preferences-desktop-color", nullptr},
    {0, nullptr, nullptr},
    {ecmd::kWordWrap, "format-text-direction-ltr", nullptr},
    {ecmd::kHexadecimal, "application-x-executable", nullptr},
    {0, nullptr, nullptr},
    {ecmd::kAutoIndent, "format-justify-left", nullptr},
    {ecmd::kIndentIncrease, "format-indent-more", nullptr},
    {ecmd::kIndentDecrease, "format-indent-less", nullptr},
    {0, nullptr, nullptr},
    {ecmd::kAbout, "help-about", nullptr},
});

constexpr auto kContextMenu =
    std::to_array<int>({ecmd::kUndo, ecmd::kCut, ecmd::kCopy, ecmd::kPaste, ecmd::kSelectAll});

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
