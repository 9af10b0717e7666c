// Transfers into a folder, and the refresh of the panes after a file operation.
#include "ui/pane/file_transfer.h"

#include "base/general_settings.h"
#include "shell/shell_folder.h"
#include "shell/shell_namespace.h"
#include "ui/commands/status_service.h"
#include "ui/jobs/file_op_runner.h"
#include "ui/pane/pane_view.h"
#include "ui/platform/clipboard_items.h"

#include <array>

namespace bivora {

namespace {

// The file-system folder a pane shows; empty for a virtual one.
std::string PathShown(const PaneView* pane)
{
    const ShellFolder* folder = pane ? pane->Folder() : nullptr;
    return folder && folder->IsFileSystem() ? folder->Path() : std::string();
}

std::array<PaneView*, 2> BothPanes(PaneView& pane)
{
    PaneView* other = pane.Context().pair ? pane.Context().pair->OtherPane(&pane) : nullptr;
    return {&pane, other == &pane ? nullptr : other};
}

// Holds off the watch refresh of the panes that show the operation's folders, and
// gives it back, on every path, to the folders those panes show by then (a refresh may
// have sent a pane elsewhere).
class WatchHold {
public:
    WatchHold(PaneView& pane, const PendingFileOp& op) : m_panes(BothPanes(pane)), m_op(op) { Set(false); }
    ~WatchHold() { Set(true); }
    WatchHold(const WatchHold&) = delete;
    WatchHold& operator=(const WatchHold&) = delete;

private:
    void Set(bool on)
    {
        for (PaneView* pane : m_panes) {
            const std::string path = PathShown(pane);
            if (!path.empty() && (path == m_op.sourceFolder || path == m_op.destinationFolder))
                pane->Folder()->watchRefresh.store(on);
        }
    }

    std::array<PaneView*, 2> m_panes;
    const PendingFileOp& m_op;
};

QString TitleOf(FileOpKind kind)
{
    switch (kind) {
    case FileOpKind::Copy:
        return QStringLiteral("Copying");
    case FileOpKind::Move:
        return QStringLiteral("Moving");
    case FileOpKind::Link:
        return QStringLiteral("Linking");
    case FileOpKind::Delete:
        return QStringLiteral("Deleting");
    case FileOpKind::Trash:
        break;
    }
    return QStringLiteral("Moving to the trash");
}

// The effect of a transfer: the one asked for, else the data's, where any value with
// the copy bit counts as copy.
int EffectOf(int requested, int dataEffect)
{
    if (requested != kEffectNone)
        return requested;
    if (dataEffect & kEffectCopy)
        return kEffectCopy;
    if (dataEffect == kEffectMove || dataEffect == kEffectLink)
        return dataEffect;
    return kEffectCopy;
}

} // namespace

FileOpResult RunPaneFileOp(PaneView& pane, const FileOpRequest& request, PendingFileOp& op, int outcome)
{
    const PaneContext& ctx = pane.Context();
    FileOpResult result;
    {
        WatchHold hold(pane, op);
        const Environment env = ctx.ns.Env();
        FileOpRunOptions options;
        options.parent = pane.window();
        options.title = TitleOf(request.kind);
        result = RunFileOpJob(
            ctx.jobs, ctx.prompts,
            [request, env](FileOpCallbacks& callbacks, const std::atomic<bool>& cancel) {
                return RunFileOperation(request, callbacks, RealFileSystem(), env, &cancel);
            },
            options);
        op.outcome = outcome;
        RefreshAfterOperation(pane, op);
    }
    return result;
}

void RefreshAfterOperation(PaneView& pane, const PendingFileOp& op)
{
    if (op.outcome == 0)
        return;
    std::array<PaneView*, 2> order = BothPanes(pane);
    // the destination's pane first: its refresh gathers the names the source's unselects
    if (PathShown(order[0]) != op.destinationFolder)
        std::swap(order[0], order[1]);
    std::vector<std::string> names;
    std::vector<std::string>* shared = op.outcome == kEffectCopy ? &names : nullptr;
    for (PaneView* each : order) {
        const std::string path = PathShown(each);
        if (path.empty())
            continue;
        if (path == op.destinationFolder)
            each->RefreshPane(true, shared);
        else if (path == op.sourceFolder)
            each->RefreshPane(false, shared);
    }
}

bool PasteIntoFolder(PaneView& pane, int effect, const ItemTransfer* data, const std::string& targetFolder,
                     bool report)
{
    const bool dropped = data != nullptr;
    std::optional<ItemTransfer> clipboard;
    if (!dropped) {
        clipboard = ClipboardItems();
        data = clipboard ? &*clipboard : nullptr;
    }
    PendingFileOp op;
    op.sourceFolder = data ? data->SourceFolder() : std::string();
    op.destinationFolder = targetFolder;
    if (op.sourceFolder.empty()) {
        // nothing usable to transfer: a paste the user asked for hears of it
        if (report)
            pane.Context().status.ShowStatusMessage(QStringLiteral("This computer won't comply with your demands"),
                                                    true);
        return false;
    }

    const int chosen = EffectOf(effect, data->effect);
    // a drop leaves its items on the clipboard, as a copy or cut there would
    if (dropped)
        PutItemsOnClipboard(data->paths, chosen);

    int outcome = chosen;
    if (data->paths.empty() || targetFolder.empty()) {
        outcome = 0;
    } else {
        const PaneContext& ctx = pane.Context();
        FileOpRequest request;
        request.kind = chosen == kEffectMove ? FileOpKind::Move
                                             : (chosen == kEffectLink ? FileOpKind::Link : FileOpKind::Copy);
        request.sources = data->paths;
        request.targetFolder = targetFolder;
        // copies into the folder they come from take new names
        request.renameOnCollision = chosen == kEffectCopy && op.sourceFolder == targetFolder;
        request.askConfirmation = ctx.general.askConfirmation;
        const FileOpResult result = RunPaneFileOp(pane, request, op, outcome);
        if (chosen == kEffectMove && !result.cancelled)
            ClearClipboard(); // the items are no longer where the clipboard says
    }
    if (outcome == 0 && report) {
        pane.Context().status.ShowStatusMessage(QStringLiteral("This computer won't comply with your demands"),
                                                true);
    }
    return outcome != 0;
}

} // namespace bivora
