// The pane's item commands: Rename in place, New File / New Folder, View / Edit.
#include "ui/pane/pane_view.h"

#include "base/general_settings.h"
#include "shell/folder_edits.h"
#include "shell/shell_folder.h"
#include "shell/shell_item.h"
#include "ui/commands/byte_text.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/services.h"
#include "ui/commands/status_service.h"
#include "ui/jobs/off_thread_read.h"
#include "ui/pane/folder_changed_event.h"
#include "ui/pane/pane_model.h"
#include "ui/platform/open_in_editor.h"
#include "ui/widgets/sort_list_ctrl.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QLineEdit>

#include <memory>

namespace bivora {

namespace {

// The entered name as bytes, without the white space at its ends.
std::string TrimmedName(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; };
    while (begin < end && blank(bytes[begin]))
        ++begin;
    while (end > begin && blank(bytes[end - 1]))
        --end;
    return std::string(bytes.constData() + begin, static_cast<std::size_t>(end - begin));
}

} // namespace

bool PaneView::OnItemCommand(int id)
{
    switch (id) {
    case cmd::kRename: {
        int row = m_list->FocusedRow();
        if (row < 0) {
            const std::vector<int> selected = SelectedRows();
            row = selected.empty() ? -1 : selected.front();
        }
        BeginRename(row);
        return true;
    }
    case cmd::kNewFile:
        NewItem(NewItemKind::File);
        return true;
    case cmd::kNewFolder:
        NewItem(NewItemKind::Folder);
        return true;
    case cmd::kView:
    case cmd::kEdit:
        ViewOrEdit(id == cmd::kView);
        return true;
    default:
        return false;
    }
}

bool PaneView::RunItemWork(std::function<void()> work, const QString& text)
{
    // A rename or a creation is one call, but on a dead network mount even that hangs:
    // the pane waits for it as for a read, with the window painting.
    m_busy = true;
    const bool finished = RunOffGuiThread(
        m_ctx.jobs, [work = std::move(work)](const std::atomic<bool>&) { work(); }, {&m_ctx.status, text, 300});
    m_busy = false;
    if (m_refreshPending) {
        m_refreshPending = false;
        QCoreApplication::postEvent(this, new FolderChangedEvent());
    }
    return finished;
}

bool PaneView::BeginRename(int row)
{
    if (m_busy || m_list->IsEditingLabel())
        return false;
    const ShellItem* item = ItemAt(row);
    // the Desktop's own items (Computer, Home...) are no entries of its directory
    const bool entry = !item || item->Id().kind == ItemId::Kind::Entry;
    if (!m_folder || !m_folder->IsFileSystem() || !entry) {
        m_ctx.status.ShowStatusMessage(QStringLiteral("Rename is not supported for virtual folders"), true);
        return false;
    }
    if (!item)
        return false;
    // The folder's watcher holds its refreshes until the name is settled.
    m_folder->watchRefresh = false;
    const std::uint64_t generation = m_folderGeneration;
    const bool started = m_list->EditLabel(row, [this, generation](int at, const std::optional<QString>& text) {
        EndRename(at, text, generation);
    });
    if (!started) {
        m_folder->watchRefresh = true;
        return false;
    }
    // a file's name is offered without its extension, which a rename rarely changes
    if (QLineEdit* editor = m_list->LabelEditor(); editor && !item->IsFolder(false)) {
        const qsizetype dot = editor->text().lastIndexOf(u'.');
        if (dot > 0)
            editor->setSelection(0, static_cast<int>(dot));
    }
    return true;
}

void PaneView::EndRename(int row, const std::optional<QString>& text, std::uint64_t generation)
{
    // whatever happens, the watcher of the folder the edit began in may refresh again
    struct Restore {
        PaneView& pane;
        std::uint64_t generation;
        ~Restore()
        {
            if (pane.m_folder && pane.m_folderGeneration == generation)
                pane.m_folder->watchRefresh = true;
        }
    } restore{*this, generation};

    ShellItem* item = ItemAt(row);
    if (!text || !item || !m_folder || m_folderGeneration != generation)
        return;
    // The editor shows a name that is not UTF-8 with replacement characters: an edit
    // that changed nothing must not write those back.
    if (*text == FromBytes(item->Name()))
        return;
    const std::string name = TrimmedName(*text);
    if (name.empty() || name == item->Name())
        return;

    m_ctx.status.ShowStatusMessage(QStringLiteral("Renaming..."));
    struct Rename {
        std::string directory;
        std::string from;
        std::string to;
        SysResult<FindData> result = SysResult<FindData>::Failure(ECANCELED);
    };
    auto rename = std::make_shared<Rename>();
    rename->directory = m_folder->Directory();
    rename->from = item->Name();
    rename->to = name;
    const bool finished =
        RunItemWork([rename] { rename->result = RenameEntry(rename->directory, rename->from, rename->to); },
                    QStringLiteral("Renaming"));
    // the pane may have moved on while it waited
    ShellItem* renamed = nullptr;
    if (finished && rename->result && m_folder && m_folderGeneration == generation && ItemAt(row) == item) {
        const std::uint64_t oldSize = item->size;
        renamed = m_folder->ReplaceRenamed(item, std::move(*rename->result));
        if (renamed) {
            // the old record is gone: the row points at the new one before anything asks it
            m_model->SetRowItem(row, renamed);
            m_byteTotal += renamed->size - oldSize;
        }
    }
    if (!renamed) {
        m_ctx.status.ShowStatusMessage(QStringLiteral("For one reason or other, the item can't be renamed"), true);
        return;
    }
    m_ctx.status.ShowStatusMessage(QString());
    if (m_ctx.general.autoReSort)
        SortRows();
    ScheduleStatusUpdate();
}

void PaneView::NewItem(NewItemKind kind)
{
    if (m_busy || !m_folder || !m_folder->IsFileSystem() || m_list->IsEditingLabel())
        return;
    ShellFolder& folder = *m_folder;
    folder.watchRefresh = false;
    struct Create {
        std::string directory;
        NewItemKind kind;
        SysResult<FindData> result = SysResult<FindData>::Failure(ECANCELED);
    };
    auto create = std::make_shared<Create>();
    create->directory = folder.Directory();
    create->kind = kind;
    const std::uint64_t generation = m_folderGeneration;
    const bool finished = RunItemWork([create] { create->result = CreateNewEntry(create->directory, create->kind); },
                                      QStringLiteral("Creating"));
    if (finished && create->result && m_folder && m_folderGeneration == generation) {
        if (ShellItem* item = m_folder->AppendCreated(std::move(*create->result))) {
            // the last row, also when the filter would hide it: the user names it now
            const int row = m_model->AppendRows({item});
            m_byteTotal += item->size;
            m_list->SelectionModel()->clearSelection();
            m_list->SetRowState(row, 1);
            ScheduleStatusUpdate();
            if (BeginRename(row))
                return; // the end of the edit turns the watcher's refreshes back on
        }
    }
    if (m_folder && m_folderGeneration == generation)
        m_folder->watchRefresh = true;
    m_ctx.status.ShowStatusMessage(QStringLiteral("New %1 creation request has beed declined")
                                       .arg(kind == NewItemKind::File ? QStringLiteral("file") : QStringLiteral("folder")),
                                   true);
}

void PaneView::ViewOrEdit(bool readOnly)
{
    std::vector<std::string> paths;
    for (const int row : SelectedRows()) {
        const ShellItem* item = ItemAt(row);
        if (item && !item->IsFolder(false))
            paths.push_back(item->FullPath());
    }
    if (paths.empty()) {
        m_ctx.status.ShowStatusMessage(QStringLiteral("This operation requires a file object"), true);
        return;
    }
    const bool forceInternal = m_ctx.keyboard.Ctrl();
    for (const std::string& path : paths) {
        const QString failure =
            OpenInEditor(path, readOnly, forceInternal, m_ctx.general, m_ctx.launcher, m_ctx.prompts, this,
                         m_ctx.openInternalEditor);
        if (!failure.isEmpty())
            m_ctx.status.ShowStatusMessage(failure, true);
    }
}

} // namespace bivora
