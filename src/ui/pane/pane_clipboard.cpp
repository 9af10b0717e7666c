// Cut, Copy, Paste and Paste Link.
#include "ui/pane/pane_clipboard.h"

#include "shell/shell_folder.h"
#include "shell/shell_item.h"
#include "shell/shell_namespace.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/status_service.h"
#include "ui/pane/file_transfer.h"
#include "ui/pane/pane_model.h"
#include "ui/pane/pane_view.h"
#include "ui/platform/clipboard_items.h"

namespace bivora {

std::optional<std::string> PaneClipboard::ItemPath(const ShellItem& item)
{
    if (!item.Folder())
        return std::nullopt;
    if (item.IsFileSystem() && item.Folder()->IsFileSystem())
        return item.FullPath();
    // a Desktop entry or a drive: its own place in the file system, if it has one
    return item.Folder()->Namespace().FileSystemPath(item.AbsoluteId(false));
}

std::optional<std::string> PaneClipboard::FolderPath(const PaneView& pane)
{
    const ShellFolder* folder = pane.Folder();
    if (!folder)
        return std::nullopt;
    if (folder->IsFileSystem() && !folder->Path().empty())
        return folder->Path();
    return folder->Namespace().FileSystemPath(folder->Id());
}

std::optional<std::vector<std::string>> PaneClipboard::SelectedPaths(const PaneView& pane)
{
    std::vector<std::string> paths;
    for (const int row : pane.SelectedRows()) {
        const ShellItem* item = pane.ItemAt(row);
        std::optional<std::string> path = item ? ItemPath(*item) : std::nullopt;
        if (!path || path->empty())
            return std::nullopt;
        paths.push_back(std::move(*path));
    }
    if (paths.empty())
        return std::nullopt;
    return paths;
}

void PaneClipboard::ClearCutMarks(PaneView& pane)
{
    pane.Model().SetCutRows({});
    if (pane.m_ctx.pair) {
        if (PaneView* other = pane.m_ctx.pair->OtherPane(&pane))
            other->Model().SetCutRows({});
    }
}

bool PaneClipboard::OnCommand(PaneView& pane, int id)
{
    switch (id) {
    case cmd::kCut:
    case cmd::kCopy: {
        const std::optional<std::vector<std::string>> paths = SelectedPaths(pane);
        if (!paths) {
            pane.m_ctx.status.ShowStatusMessage(QStringLiteral("This folder has a dyslexia wrt. this verb"), true);
            return true;
        }
        const bool cut = id == cmd::kCut;
        PutItemsOnClipboard(*paths, cut ? kEffectMove : kEffectCopy);
        ClearCutMarks(pane);
        if (cut)
            pane.Model().SetCutRows(pane.SelectedRows());
        return true;
    }
    case cmd::kPaste:
    case cmd::kPasteShortcut: {
        // the transfer reads the clipboard (refusing data with anything but local files)
        // and reports what it could not do
        const std::optional<std::string> folder = FolderPath(pane);
        PasteIntoFolder(pane, id == cmd::kPaste ? kEffectNone : kEffectLink, nullptr, folder.value_or(std::string()),
                        true);
        return true;
    }
    default:
        return false;
    }
}

} // namespace bivora
