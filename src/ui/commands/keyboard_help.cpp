#include "ui/commands/keyboard_help.h"

#include "ui/commands/main_menu.h"

#include <QRegularExpression>
#include <QString>

#include <vector>

namespace bivora {

namespace {

struct ExtraKey {
    const char* key;
    const char* what;
};

// Keys without a menu item of their own: the extra keys of the window's actions and
// the pane's own keys.
constexpr ExtraKey kExtraKeys[] = {
    {"Ctrl+F5", "Copy the selected items straight into the other pane's folder"},
    {"Ctrl+F6", "Move the selected items straight into the other pane's folder"},
    {"Ctrl+Grey +", "Select by the last pattern, without the dialog"},
    {"Ctrl+Grey -", "Unselect by the last pattern, without the dialog"},
    {"Alt+Grey -", "Unselect all items with the focused item's extension"},
    {"Ctrl+Alt+J", "Toggle the visual filter of the inactive pane"},
    {"Ctrl+Alt+I", "Show the inactive pane's folder in the active pane"},
    {"Ctrl+0 .. Ctrl+5", "Go to a bookmark; with Shift, set it to the active pane's folder"},
    {"Ctrl+7 .. Ctrl+9", "Apply a layout; with Shift, define it from the window"},
    {"Ctrl+Shift+A .. Z", "Go to the drive or mount of that letter"},
    {"Enter", "Open the focused item"},
    {"Tab", "Switch to the other pane"},
    {"Shift+Tab", "Go to the address bar"},
    {"Ctrl+Tab", "Go to the folder tree, when it is shown"},
    {"Alt+Up, Alt+Down", "Move the selection one row up or down"},
};

std::string Line(const QString& left, const QString& right)
{
    return (QStringLiteral("  ") + left.leftJustified(20) + QStringLiteral("  ") + right).toStdString() + '\n';
}

// The menu's spelling of a key ("Alt+ left", "Alt + G+") in one form ("Alt+Left",
// "Alt+Grey +").
QString KeyName(QString key)
{
    key = key.simplified();
    key.replace(QStringLiteral("+ "), QStringLiteral("+"));
    key.replace(QRegularExpression(QStringLiteral("(\\w) \\+(\\w)")), QStringLiteral("\\1+\\2"));
    if (key.endsWith(QStringLiteral("+G+")))
        key = key.chopped(2) + QStringLiteral("Grey +");
    for (qsizetype at = key.indexOf(u'+'); at >= 0 && at + 1 < key.size(); at = key.indexOf(u'+', at + 1))
        key[at + 1] = key[at + 1].toUpper();
    return key;
}

std::string Heading(std::string_view title)
{
    return std::string(title) + '\n' + std::string(title.size(), '-') + '\n';
}

} // namespace

std::string MenuKeysSection(std::string_view title, std::span<const MenuEntry> menu)
{
    std::string text = Heading(title);
    std::vector<QString> popups;
    for (const MenuEntry& entry : menu) {
        switch (entry.kind) {
        case MenuEntry::Kind::Popup:
            popups.push_back(PlainMenuText(QString::fromUtf8(entry.text)));
            break;
        case MenuEntry::Kind::End:
            if (!popups.empty())
                popups.pop_back();
            break;
        case MenuEntry::Kind::Separator:
            break;
        case MenuEntry::Kind::Item: {
            const QString item = QString::fromUtf8(entry.text);
            const qsizetype tab = item.indexOf(u'\t');
            if (tab < 0)
                break;
            QString where;
            for (const QString& popup : popups)
                where += popup + QStringLiteral(" > ");
            text += Line(KeyName(item.mid(tab + 1)), where + PlainMenuText(item));
            break;
        }
        }
    }
    return text;
}

std::string KeyboardHelpText(std::string_view otherWindows)
{
    std::string text = "Bivora keyboard commands\n========================\n\n" +
                       MenuKeysSection("Main window (menu commands)", MainMenuTable());
    text += '\n' + Heading("Other keys of the main window");
    for (const ExtraKey& extra : kExtraKeys)
        text += Line(QString::fromUtf8(extra.key), QString::fromUtf8(extra.what));
    if (!otherWindows.empty())
        text += '\n' + std::string(otherWindows);
    text += "\n\"Grey\" keys are those of the numeric keypad.\n";
    return text;
}

} // namespace bivora
