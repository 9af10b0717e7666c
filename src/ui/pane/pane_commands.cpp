// The pane's commands and their enabling.
#include "ui/pane/pane_view.h"

#include "base/settings_store.h"
#include "shell/shell_folder.h"
#include "ui/widgets/sort_list_ctrl.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/status_service.h"
#include "ui/pane/pane_batch.h"
#include "ui/pane/pane_clipboard.h"
#include "ui/pane/folder_changed_event.h"
#include "ui/pane/pane_compare.h"
#include "ui/pane/pane_navigator.h"
#include "ui/pane/pane_selection.h"
#include "ui/platform/clipboard_items.h"
#include "ui/platform/execute_item.h"

#include <QCoreApplication>
#include <QItemSelectionModel>

namespace bivora {

void PaneView::Route(int id)
{
    if (m_ctx.router)
        m_ctx.router->Execute(id);
    else
        OnCommand(id);
}

void PaneView::Refresh()
{
    PaneView* target = Target();
    const bool refreshed = target->RefreshPane(false, nullptr);
    m_ctx.status.ShowStatusMessage(refreshed ? QStringLiteral("%1 pane contents have been refreshed")
                                                   .arg(target->IsLeft() ? QStringLiteral("Left") : QStringLiteral("Right"))
                                             : QStringLiteral("Refresh has failed; stale-ness is triumphant again"));
}

std::optional<bool> PaneView::CommandEnabled(int id) const
{
    const bool selection = m_list->SelectionModel()->hasSelection();
    const bool fileSystem = m_folder && m_folder->IsFileSystem();
    const bool desktop = !m_folder || m_folder->Id().IsEmpty();
    switch (id) {
    case cmd::kCut:
    case cmd::kCopy:
    case cmd::kDelete:
    case cmd::kProperties:
    case cmd::kCopyTo:
    case cmd::kMoveTo:
    case cmd::kLikeThisOne:
    case cmd::kSelectionStore:
        return selection;
    case cmd::kRename:
    case cmd::kView:
    case cmd::kEdit:
    case cmd::kGenerateBatch:
        return selection && fileSystem;
    case cmd::kNewFile:
    case cmd::kNewFolder:
    case cmd::kContainingText:
    case cmd::kFolderData:
    case cmd::kFindFiles:
    case cmd::kSyncOnContent:
        return fileSystem;
    case cmd::kPaste:
    case cmd::kPasteShortcut:
        return ClipboardHoldsItems();
    case cmd::kParent:
    case cmd::kDesktop:
        return !desktop;
    case cmd::kRoot:
        return !desktop && fileSystem && !m_folder->IsFileSystemRoot();
    default:
        return PaneSelection::Enabled(*this, id);
    }
}

bool PaneView::OnCommand(int id)
{
    if (m_busy) {
        // a command that arrives while a read runs is dropped, not run half-way
        return id == cmd::kRefresh || id == cmd::kSortAgain || id == cmd::kParent || id == cmd::kRoot
            || id == cmd::kDesktop || id == cmd::kProperties;
    }
    switch (id) {
    case cmd::kRefresh:
        Refresh();
        return true;
    case cmd::kSortAgain:
        SortRows();
        return true;
    case cmd::kParent:
        GoParent();
        return true;
    case cmd::kRoot:
        GoRoot();
        return true;
    case cmd::kDesktop:
        GoDesktopCommand();
        return true;
    case cmd::kProperties:
        Properties();
        return true;
    case cmd::kCut:
    case cmd::kCopy:
    case cmd::kPaste:
    case cmd::kPasteShortcut:
        return PaneClipboard::OnCommand(*this, id);
    case cmd::kRename:
    case cmd::kNewFile:
    case cmd::kNewFolder:
    case cmd::kView:
    case cmd::kEdit:
        return OnItemCommand(id);
    case cmd::kSynchronize:
    case cmd::kLocateIdentical:
    case cmd::kSyncOnContent:
        return PaneCompare::OnCommand(*this, id);
    case cmd::kGenerateBatch:
        GenerateBatch(*this);
        return true;
    case cmd::kContainingText:
        ContainingText();
        return true;
    case cmd::kFolderData:
        FolderData();
        return true;
    case cmd::kFindFiles:
        FindFiles();
        return true;
    default:
        if (OnFileOpCommand(id) || PaneSelection::OnCommand(*this, id))
            return true;
        return m_nav->OnCommand(id);
    }
}

bool PaneView::OnUpdateCommand(int id, CommandState& state)
{
    switch (id) {
    case cmd::kRefresh:
    case cmd::kSortAgain:
        state.enabled = m_folder != nullptr && !m_busy;
        return true;
    case cmd::kParent:
    case cmd::kRoot:
    case cmd::kDesktop:
    case cmd::kProperties:
    case cmd::kCut:
    case cmd::kCopy:
    case cmd::kPaste:
    case cmd::kPasteShortcut:
    case cmd::kGenerateBatch:
        state.enabled = !m_busy && CommandEnabled(id).value_or(true);
        return true;
    case cmd::kFolderData:
        state.enabled = m_ctx.showFolderData && !m_busy && CommandEnabled(id).value_or(true);
        return true;
    case cmd::kFindFiles:
        state.enabled = m_ctx.findFiles && !m_busy && CommandEnabled(id).value_or(true);
        return true;
    case cmd::kRename:
    case cmd::kNewFile:
    case cmd::kNewFolder:
    case cmd::kView:
    case cmd::kEdit:
    case cmd::kContainingText:
        state.enabled = !m_busy && !m_list->IsEditingLabel() && CommandEnabled(id).value_or(true);
        return true;
    case cmd::kSynchronize:
    case cmd::kLocateIdentical:
    case cmd::kSyncOnContent:
        return PaneCompare::OnUpdateCommand(*this, id, state);
    default:
        if (OnUpdateFileOpCommand(id, state) || PaneSelection::OnUpdateCommand(*this, id, state))
            return true;
        // commands whose handlers come later stay unclaimed, and so disabled
        return m_nav->OnUpdateCommand(id, state);
    }
}

// The statistics are read on a worker while the pane waits (answering nothing else, as
// for any read); a refresh that came meanwhile runs afterwards.
void PaneView::FolderData()
{
    if (!m_ctx.showFolderData || !m_folder || !m_folder->IsFileSystem())
        return;
    m_busy = true;
    m_ctx.showFolderData(this, m_folder->Path());
    m_busy = false;
    if (m_refreshPending) {
        m_refreshPending = false;
        QCoreApplication::postEvent(this, new FolderChangedEvent());
    }
}

// The criteria dialog is modal; the results window it opens searches on its own worker.
void PaneView::FindFiles()
{
    if (!m_ctx.findFiles || !m_folder || !m_folder->IsFileSystem())
        return;
    m_ctx.findFiles(this, m_folder->Path());
}

} // namespace bivora
