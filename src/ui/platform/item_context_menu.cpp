#include "ui/platform/item_context_menu.h"

#include "ui/commands/command_ids.h"
#include "ui/platform/desktop_apps.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <optional>
#include <set>

namespace bivora {

namespace {

const QString kOpenWithPrefix = QStringLiteral("openwith:");
const char* const kShownProperty = "bivoraShownApplications";

QAction* AddVerb(QMenu& menu, const QString& text, const QString& verb, const QString& help, bool enabled = true)
{
    QAction* action = menu.addAction(text);
    action->setData(verb);
    action->setStatusTip(help);
    action->setEnabled(enabled);
    return action;
}

bool OneFolder(const std::vector<SelectedItem>& items)
{
    return items.size() == 1 && items.front().isFolder;
}

// The MIME types of the items, each once, in the order of the items.
std::vector<std::string> TypesOf(const std::vector<SelectedItem>& items)
{
    std::vector<std::string> types;
    for (const SelectedItem& item : items) {
        const std::string type = item.mimeType.empty() ? "application/octet-stream" : item.mimeType;
        if (std::find(types.begin(), types.end(), type) == types.end())
            types.push_back(type);
    }
    return types;
}

// The applications that can open every selected item, in the order of the first
// item's type (its default first); nullopt while a type's answer is still to come.
std::optional<std::vector<const DesktopEntry*>> CommonApplications(const std::vector<std::string>& types,
                                                                   const DesktopAppDatabase& apps)
{
    auto common = apps.ApplicationsFor(types.front());
    if (!common)
        return std::nullopt;
    for (size_t i = 1; i < types.size(); ++i) {
        const auto others = apps.ApplicationsFor(types[i]);
        if (!others)
            return std::nullopt;
        const std::set<const DesktopEntry*> allowed(others->begin(), others->end());
        std::erase_if(*common, [&](const DesktopEntry* entry) { return !allowed.count(entry); });
    }
    return common;
}

QIcon AppIcon(const std::string& icon)
{
    const QString name = QString::fromStdString(icon);
    if (name.startsWith(QLatin1Char('/')))
        return QIcon(name);
    return QIcon::fromTheme(name);
}

// Fills the Open With submenu from the answers at hand: the applications, the default
// set apart, or a disabled line while the answers are being looked up. A refill that
// would show the same applications leaves the menu as it is.
void FillOpenWith(QMenu& openWith, const std::vector<std::string>& types, const DesktopAppDatabase& apps)
{
    const auto applications = CommonApplications(types, apps);
    // what the submenu shows, to leave it alone when that stays the same
    QStringList shown;
    if (!applications)
        shown << QStringLiteral("?");
    else
        for (const DesktopEntry* entry : *applications)
            shown << QString::fromStdString(entry->id) + QLatin1Char('\n') + QString::fromStdString(entry->name) +
                         QLatin1Char('\n') + QString::fromStdString(entry->icon);
    const QVariant before = openWith.property(kShownProperty);
    if (before.isValid() && before.toStringList() == shown)
        return;
    openWith.setProperty(kShownProperty, shown);
    openWith.clear();
    if (!applications) {
        AddVerb(openWith, QStringLiteral("Looking for applications..."), {},
                QStringLiteral("The applications for the selection are being looked up"), false);
        openWith.menuAction()->setEnabled(true);
        return;
    }
    for (size_t i = 0; i < applications->size(); ++i) {
        const DesktopEntry& entry = *(*applications)[i];
        const QString name = QString::fromStdString(entry.name);
        QAction* action = AddVerb(openWith, name, kOpenWithPrefix + QString::fromStdString(entry.id),
                                  QStringLiteral("Opens the selection with %1").arg(name));
        action->setIcon(AppIcon(entry.icon));
        if (i == 0 && applications->size() > 1)
            openWith.addSeparator(); // the default stands apart
    }
    openWith.menuAction()->setEnabled(!applications->empty());
}

} // namespace

std::unique_ptr<QMenu> BuildItemContextMenu(const std::vector<SelectedItem>& items, const DesktopAppDatabase& apps,
                                            const ItemMenuOptions& options, QWidget* parent)
{
    if (items.empty())
        return nullptr;
    auto menu = std::make_unique<QMenu>(parent);
    const bool several = items.size() > 1;

    QAction* open = AddVerb(*menu, QStringLiteral("&Open"), QStringLiteral("open"),
                            several ? QStringLiteral("Opens the selected items") : QStringLiteral("Opens the selected item"));
    menu->setDefaultAction(open);

    QMenu* openWith = menu->addMenu(QStringLiteral("Open &With"));
    openWith->menuAction()->setStatusTip(QStringLiteral("Opens the selection with another application"));
    const std::vector<std::string> types = TypesOf(items);
    FillOpenWith(*openWith, types, apps);
    QObject::connect(&apps, &DesktopAppDatabase::AnswersArrived, openWith,
                     [openWith, types, &apps] { FillOpenWith(*openWith, types, apps); });
    apps.Request(types);
    menu->addSeparator();

    AddVerb(*menu, QStringLiteral("Cu&t"), QStringLiteral("cut"),
            QStringLiteral("Cuts the selection and puts it on the clipboard"));
    AddVerb(*menu, QStringLiteral("&Copy"), QStringLiteral("copy"),
            QStringLiteral("Copies the selection and puts it on the clipboard"));
    if (OneFolder(items)) {
        AddVerb(*menu, QStringLiteral("&Paste"), QStringLiteral("paste"),
                QStringLiteral("Pastes the clipboard's items into this folder"), options.canPaste);
        AddVerb(*menu, QStringLiteral("Paste as &Link"), QStringLiteral("pastelink"),
                QStringLiteral("Makes links in this folder to the clipboard's items"), options.canPaste);
    }
    menu->addSeparator();
    AddVerb(*menu, QStringLiteral("&Delete"), QStringLiteral("delete"),
            QStringLiteral("Moves the selection to the trash"));
    AddVerb(*menu, QStringLiteral("Rena&me"), QStringLiteral("rename"), QStringLiteral("Renames the selected item"),
            !several && options.canRename);
    menu->addSeparator();
    AddVerb(*menu, QStringLiteral("P&roperties"), QStringLiteral("properties"),
            QStringLiteral("Shows the properties of the selection"));
    return menu;
}

QString VerbOf(const QAction* action)
{
    return action ? action->data().toString() : QString();
}

QString ShowItemContextMenu(QMenu& menu, const QPoint& globalPosition)
{
    return VerbOf(menu.exec(globalPosition));
}

VerbAction RunShellVerb(const QString& verb, const std::vector<SelectedItem>& items)
{
    struct TableRow {
        const char* verb;
        int command;
    };
    static constexpr TableRow kVerbTable[] = {
        {"cut", cmd::kCut},
        {"copy", cmd::kCopy},
        {"delete", cmd::kDelete},
        {"rename", cmd::kRename},
    };
    for (const TableRow& row : kVerbTable)
        if (verb == QLatin1String(row.verb))
            return {VerbAction::Kind::PostCommand, row.command, {}, {}};
    if (verb == QLatin1String("paste") && OneFolder(items))
        return {VerbAction::Kind::PasteIntoFolder, 0, items.front().path, {}};
    return {};
}

VerbAction InvokeItemVerb(const QString& verb, const std::vector<SelectedItem>& items)
{
    if (items.empty())
        return {};
    if (verb == QLatin1String("open"))
        return {VerbAction::Kind::Open, 0, {}, {}};
    if (verb.startsWith(kOpenWithPrefix) && verb.size() > kOpenWithPrefix.size())
        return {VerbAction::Kind::OpenWith, 0, {}, verb.mid(kOpenWithPrefix.size()).toStdString()};
    if (verb == QLatin1String("pastelink") && OneFolder(items))
        return {VerbAction::Kind::PasteLinkIntoFolder, 0, items.front().path, {}};
    if (verb == QLatin1String("properties"))
        return {VerbAction::Kind::ShowProperties, 0, {}, {}};
    return {};
}

} // namespace bivora
