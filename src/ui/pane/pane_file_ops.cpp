// The pane's file operations: Copy to, Move to and Delete.
#include "ui/pane/pane_view.h"

#include "base/general_settings.h"
#include "base/registry_keys.h"
#include "shell/shell_folder.h"
#include "shell/shell_item.h"
#include "ui/commands/byte_text.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/services.h"
#include "ui/commands/status_service.h"
#include "ui/pane/file_transfer.h"
#include "ui/pane/pane_model.h"
#include "ui/pane/target_folder_dlg.h"
#include "ui/platform/clipboard_items.h"

namespace bivora {

namespace {

// The folder that holds path.
std::string ParentOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The paths of the selected rows that are directory entries, in row order: only
// those are the file system's to copy, move or delete (a drive, the home folder or a
// trashed item is not).
std::vector<std::string> SelectedEntryPaths(const PaneView& pane)
{
    std::vector<std::string> paths;
    for (const int row : pane.SelectedRows()) {
        const ShellItem* item = pane.ItemAt(row);
        if (item && item->Id().kind == ItemId::Kind::Entry && item->IsFileSystem())
            paths.push_back(item->FullPath());
    }
    return paths;
}

HistoryList& TargetHistory(const PaneContext& ctx)
{
    PaneSharedState& shared = ctx.shared;
    if (!shared.targetFolderHistoryLoaded) {
        shared.targetFolderHistory.Load(ctx.general.historyItems, ctx.store,
                                        registry::section::kTargetFolderHistory);
        shared.targetFolderHistoryLoaded = true;
        if (shared.targetFolderHistoryLoadedHook)
            shared.targetFolderHistoryLoadedHook();
    }
    return shared.targetFolderHistory;
}

} // namespace

bool PaneView::OnFileOpCommand(int id)
{
    switch (id) {
    case cmd::kCopyTo:
    case cmd::kMoveTo:
        if (CommandEnabled(id).value_or(false))
            TransferSelection(id == cmd::kMoveTo);
        return true;
    case cmd::kDelete:
        DeleteSelection();
        return true;
    default:
        return false;
    }
}

bool PaneView::OnUpdateFileOpCommand(int id, CommandState& state)
{
    switch (id) {
    case cmd::kCopyTo:
    case cmd::kMoveTo:
    case cmd::kDelete:
        state.enabled = !m_busy && CommandEnabled(id).value_or(false);
        return true;
    default:
        return false;
    }
}

void PaneView::TransferSelection(bool move)
{
    PaneView* other = m_ctx.pair ? m_ctx.pair->OtherPane(this) : nullptr;
    if (!m_folder || !other || !other->Folder())
        return;
    const std::string here = m_folder->IsFileSystem() ? m_folder->Path() : std::string();
    const std::string there = other->Folder()->IsFileSystem() ? other->Folder()->Path() : std::string();
    std::string target;
    if (m_ctx.keyboard.Ctrl()) {
        if (move && !here.empty() && here == there) {
            m_ctx.status.ShowStatusMessage(
                QStringLiteral("Move requires a different target folder; try the 'Rename' command"), true);
            return;
        }
        target = there;
    } else {
        TargetFolderDlg dialog(window(), m_ctx.prompts, m_ctx.jobs, m_ctx.ns, m_ctx.general, TargetHistory(m_ctx),
                               m_ctx.shared.driveFolders, here, there, !move);
        if (m_ctx.prompts.Exec(dialog) != QDialog::Accepted)
            return;
        target = dialog.Target();
    }

    const std::vector<std::string> paths = SelectedEntryPaths(*this);
    if (paths.empty()) {
        m_ctx.status.ShowStatusMessage(
            QStringLiteral("Try as you may, this folder won't source any file operations"), true);
        return;
    }
    PendingFileOp op;
    op.sourceFolder = here.empty() ? ParentOf(paths.front()) : here;
    op.destinationFolder = target;
    if (target.empty()) {
        // a virtual folder takes no files
        m_ctx.status.ShowStatusMessage(QStringLiteral("This computer won't comply with your demands"), true);
        return;
    }
    FileOpRequest request;
    request.kind = move ? FileOpKind::Move : FileOpKind::Copy;
    request.sources = paths;
    request.targetFolder = target;
    request.renameOnCollision = !move && op.sourceFolder == target;
    request.askConfirmation = m_ctx.general.askConfirmation;
    // the items being moved are drawn cut while they go; what stays (a cancel, a skip)
    // is drawn plainly again
    if (move)
        m_model->SetCutRows(SelectedRows());
    RunPaneFileOp(*this, request, op, move ? kEffectMove : kEffectCopy);
    if (move)
        m_model->SetCutRows({});
}

void PaneView::DeleteSelection()
{
    const std::vector<int> rows = SelectedRows();
    if (rows.empty() || !m_folder)
        return;
    const std::vector<std::string> paths = SelectedEntryPaths(*this);
    if (paths.empty()) {
        m_ctx.status.ShowStatusMessage(QStringLiteral("Neither man nor beast can delete in here"), true);
        return;
    }
    const bool permanent = m_ctx.keyboard.Shift();
    if (permanent) {
        const QString question = paths.size() == 1
            ? QStringLiteral("Delete '%1' permanently?\n\nIt does not go to the trash and cannot be brought back.")
                  .arg(FromBytes(paths.front().substr(paths.front().find_last_of('/') + 1)))
            : QStringLiteral("Delete these %1 items permanently?\n\nThey do not go to the trash and cannot be "
                             "brought back.")
                  .arg(paths.size());
        if (!m_ctx.prompts.AskYesNo(window(), question, Prompts::Icon::Exclamation))
            return;
    }
    PendingFileOp op;
    op.sourceFolder = m_folder->IsFileSystem() ? m_folder->Path() : ParentOf(paths.front());
    FileOpRequest request;
    request.kind = permanent ? FileOpKind::Delete : FileOpKind::Trash;
    request.sources = paths;
    // the items left the source, whichever way they went
    RunPaneFileOp(*this, request, op, kEffectMove);
}

} // namespace bivora
