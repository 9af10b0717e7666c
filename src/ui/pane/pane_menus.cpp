// The item and pane context menus, opening items and their properties.
#include "ui/pane/pane_view.h"

#include "shell/shell_folder.h"
#include "shell/shell_item.h"
#include "ui/widgets/sort_list_ctrl.h"
#include "ui/commands/byte_text.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/status_service.h"
#include "ui/pane/file_transfer.h"
#include "ui/platform/clipboard_items.h"
#include "ui/platform/desktop_apps.h"
#include "ui/platform/execute_item.h"
#include "ui/platform/item_context_menu.h"
#include "ui/commands/services.h"
#include "ui/jobs/job_registry.h"

#include <QCoreApplication>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QMimeDatabase>
#include <QPointer>

#include <functional>

namespace bivora {

void PaneView::OpenItem(bool useFocus)
{
    const std::vector<int> selected = SelectedRows();
    int row = selected.empty() ? -1 : selected.front();
    if (row < 0 && useFocus)
        row = m_list->FocusedRow();
    const ShellItem* item = ItemAt(row);
    if (!item) {
        m_ctx.status.ShowStatusMessage(QStringLiteral("No item is selected to act upon"), true);
        return;
    }
    if (item->IsFolder(true)) {
        Target()->GoToFolder(item->AbsoluteId(true));
        return;
    }
    Execute(item->FullPath());
}

namespace {

// Takes down the launcher call that executing an item decides on, so that a worker
// can decide (reading the file's first bytes) and the GUI thread make the call.
class DeferredLauncher final : public Launcher {
public:
    bool OpenWithDefault(const QString& path) override
    {
        m_call = [path](Launcher& launcher) { return Status(launcher.OpenWithDefault(path)); };
        return true;
    }
    bool StartDetached(const QString& program, const QStringList& arguments,
                       const QString& workingDirectory) override
    {
        m_call = [program, arguments, workingDirectory](Launcher& launcher) {
            return Status(launcher.StartDetached(program, arguments, workingDirectory));
        };
        return true;
    }
    SysStatus StartExact(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory) override
    {
        m_call = [program, arguments, workingDirectory](Launcher& launcher) {
            return launcher.StartExact(program, arguments, workingDirectory);
        };
        return SysStatus(Done{});
    }
    // Makes the call taken down; success when there was none. A failure keeps its
    // errno where the launcher gave one.
    SysStatus MakeCall(Launcher& launcher) const { return m_call ? m_call(launcher) : SysStatus(Done{}); }

private:
    static SysStatus Status(bool started) { return started ? SysStatus(Done{}) : SysStatus::Failure(0); }
    std::function<SysStatus(Launcher&)> m_call;
};

} // namespace

void PaneView::Execute(const std::string& path)
{
    // The worker reads the file's first bytes and decides; the launcher is called and
    // the outcome reported on the GUI thread when it has ended. A hanging disk costs a
    // job, not the window.
    struct Run {
        std::string path;
        DeferredLauncher launcher;
        ExecuteResult result;
    };
    auto run = std::make_shared<Run>();
    run->path = path;
    QPointer<PaneView> self(this);
    m_ctx.jobs.Start([run](const std::atomic<bool>&) { run->result = ExecuteItem(run->path, run->launcher); },
                     [self, run] {
                         if (!self)
                             return;
                         QString message = run->result.message;
                         if (run->result.Succeeded()) {
                             const SysStatus started = run->launcher.MakeCall(self->m_ctx.launcher);
                             if (!started)
                                 message = LaunchFailureText(run->result.kind, run->path, started.Error());
                         }
                         if (!message.isEmpty())
                             self->m_ctx.status.ShowStatusMessage(message, true);
                     });
}

std::vector<SelectedItem> PaneView::SelectedItems() const
{
    std::vector<SelectedItem> items;
    static const QMimeDatabase mime;
    for (const int row : SelectedRows()) {
        const ShellItem* item = ItemAt(row);
        SelectedItem selected;
        selected.path = item->FullPath();
        selected.isFolder = item->IsFolder(true);
        selected.isLink = item->IsLink();
        if (selected.isFolder)
            selected.mimeType = "inode/directory";
        else if (item->IsFileSystem())
            selected.mimeType = mime.mimeTypeForFile(QFile::decodeName(QByteArray::fromStdString(selected.path)),
                                                     QMimeDatabase::MatchExtension)
                                    .name()
                                    .toStdString();
        items.push_back(std::move(selected));
    }
    return items;
}

void PaneView::Properties()
{
    std::vector<std::string> paths;
    for (const int row : SelectedRows())
        paths.push_back(ItemAt(row)->FullPath());
    if (paths.empty()) {
        m_ctx.status.ShowStatusMessage(QStringLiteral("No property sheet for this selection"), true);
        return;
    }
    if (!m_ctx.showProperties || !m_ctx.showProperties(this, paths))
        m_ctx.status.ShowStatusMessage(QStringLiteral("No property sheet for this selection"), true);
}

QAction* PaneView::ChooseFrom(QMenu& menu, const QPoint& globalPos)
{
    if (m_menuChooser)
        return m_menuChooser(menu, globalPos);
    return menu.exec(globalPos);
}

void PaneView::ShowContextMenu(const QPoint& globalPos)
{
    if (m_busy)
        return;
    if (!SelectedRows().empty() && ShowItemMenu(globalPos))
        return;
    ShowPaneMenu(globalPos);
}

bool PaneView::ShowItemMenu(const QPoint& globalPos)
{
    if (!m_ctx.apps || !m_folder)
        return false;
    const std::vector<SelectedItem> items = SelectedItems();
    ItemMenuOptions options;
    options.canPaste = ClipboardHoldsItems();
    options.canRename = items.size() == 1 && m_folder->IsFileSystem();
    std::unique_ptr<QMenu> menu = BuildItemContextMenu(items, *m_ctx.apps, options, this);
    if (!menu)
        return false;
    const QString verb = VerbOf(ChooseFrom(*menu, globalPos));
    if (verb.isEmpty())
        return true;
    VerbAction action = RunShellVerb(verb, items);
    if (action.kind == VerbAction::Kind::NotHandled)
        action = InvokeItemVerb(verb, items);
    switch (action.kind) {
    case VerbAction::Kind::PostCommand:
        QTimer::singleShot(0, this, [this, id = action.command] { Route(id); });
        break;
    case VerbAction::Kind::Open:
        // files start each on their own; a folder is browsed, and that ends the list
        for (const SelectedItem& item : items) {
            if (item.isFolder) {
                Target()->GoToTyped(item.path);
                break;
            }
            Execute(item.path);
        }
        break;
    case VerbAction::Kind::OpenWith:
        if (const DesktopEntry* entry = m_ctx.apps->Find(action.desktopId)) {
            std::vector<std::string> files;
            for (const SelectedItem& item : items)
                files.push_back(item.path);
            if (!LaunchApplication(*entry, files, m_ctx.launcher))
                m_ctx.status.ShowStatusMessage(QStringLiteral("The application could not be started"), true);
        }
        break;
    case VerbAction::Kind::ShowProperties:
        Properties();
        break;
    case VerbAction::Kind::PasteIntoFolder:
    case VerbAction::Kind::PasteLinkIntoFolder: {
        const int effect = action.kind == VerbAction::Kind::PasteLinkIntoFolder ? kEffectLink : kEffectNone;
        QTimer::singleShot(0, this, [this, effect, folder = action.folder] {
            PasteIntoFolder(*this, effect, nullptr, folder, true);
        });
        break;
    }
    case VerbAction::Kind::NotHandled:
        break;
    }
    return true;
}

void PaneView::ShowPaneMenu(const QPoint& globalPos)
{
    QMenu menu(this);
    auto add = [this](QMenu& into, const QString& text, int id) {
        QAction* action = into.addAction(text);
        action->setData(id);
        const CommandState state = m_ctx.router ? m_ctx.router->Update(id) : [this, id] {
            CommandState own;
            if (!m_list->OnUpdateCommand(id, own) && !OnUpdateCommand(id, own))
                own.enabled = false;
            return own;
        }();
        action->setEnabled(state.enabled);
        if (state.checked) {
            action->setCheckable(true);
            action->setChecked(true);
        }
    };
    add(menu, QStringLiteral("New &file"), cmd::kNewFile);
    add(menu, QStringLiteral("New f&older"), cmd::kNewFolder);
    menu.addSeparator();
    add(menu, QStringLiteral("&Paste"), cmd::kPaste);
    add(menu, QStringLiteral("Paste &Link"), cmd::kPasteShortcut);
    menu.addSeparator();
    QMenu* sortBy = menu.addMenu(QStringLiteral("&Sort by"));
    add(*sortBy, QStringLiteral("&Name"), cmd::kSortByName);
    add(*sortBy, QStringLiteral("&Type"), cmd::kSortByType);
    add(*sortBy, QStringLiteral("&Size"), cmd::kSortBySize);
    add(*sortBy, QStringLiteral("&Date"), cmd::kSortByDate);
    add(*sortBy, QStringLiteral("&Unsorted"), cmd::kUnsorted);
    sortBy->addSeparator();
    add(*sortBy, QStringLiteral("&Ascending"), cmd::kAscending);
    QMenu* view = menu.addMenu(QStringLiteral("&View"));
    add(*view, QStringLiteral("Lar&ge Icons"), cmd::kLargeIcons);
    add(*view, QStringLiteral("S&mall Icons"), cmd::kSmallIcons);
    add(*view, QStringLiteral("&List"), cmd::kList);
    add(*view, QStringLiteral("&Details"), cmd::kDetails);

    QAction* chosen = ChooseFrom(menu, globalPos);
    if (!chosen || !chosen->isEnabled())
        return;
    const int id = chosen->data().toInt();
    if (id != 0)
        QTimer::singleShot(0, this, [this, id] { Route(id); });
}

} // namespace bivora
