#include "ui/pane/pane_compare.h"

#include "base/general_settings.h"
#include "shell/file_compare.h"
#include "shell/shell_folder.h"
#include "shell/shell_item.h"
#include "ui/commands/byte_text.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/command_router.h"
#include "ui/commands/services.h"
#include "ui/commands/status_service.h"
#include "ui/jobs/job_registry.h"
#include "ui/jobs/long_operation.h"
#include "ui/pane/folder_changed_event.h"
#include "ui/pane/pane_model.h"
#include "ui/pane/pane_view.h"
#include "ui/widgets/sort_list_ctrl.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QItemSelectionModel>
#include <QTimer>

#include <atomic>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace bivora {

namespace {

// Times less than 3 seconds apart count as the same: file systems and copies keep them
// at different precisions (FAT's is 2 seconds). File times are in nanoseconds.
constexpr std::uint64_t kCloseTicks = 3'000'000'000;
// How long a worker asked to stop may take to notice before it is no longer waited for.
constexpr int kStopGraceMs = 250;
constexpr int kProgressPollMs = 50;

bool Close(FileTime a, FileTime b)
{
    const std::uint64_t distance = a >= b ? static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b)
                                          : static_cast<std::uint64_t>(b) - static_cast<std::uint64_t>(a);
    return distance < kCloseTicks;
}

// Greater than 0 when a is newer than b: a folder is newer than a file, else the later
// time is; close times are equal whatever else says.
int Order(const ShellItem& a, const ShellItem& b, DateKind kind)
{
    const bool folderA = a.IsFolder(false);
    const bool folderB = b.IsFolder(false);
    const FileTime timeA = a.Time(kind);
    const FileTime timeB = b.Time(kind);
    const int order = folderA != folderB ? (folderA ? 1 : -1) : (timeA > timeB) - (timeA < timeB);
    return order != 0 && Close(timeA, timeB) ? 0 : order;
}

// Every record of the folder by its name, those the pane's filter hides included.
using NameIndex = std::unordered_map<std::string_view, const ShellItem*>;
NameIndex IndexByName(const ShellFolder& folder)
{
    NameIndex index;
    index.reserve(folder.Items().size());
    for (const auto& item : folder.Items())
        index.emplace(item->Name(), item.get());
    return index;
}

bool FoldersDiffer(const PaneView& a, const PaneView* b)
{
    if (!b || !a.Folder() || !b->Folder())
        return false;
    return a.Folder()->Path() != b->Folder()->Path() || !(a.Folder()->Id() == b->Folder()->Id());
}

// Sets the selected state of the given rows (ascending) by ranges; with replace every
// other row is unselected.
void SetRows(PaneView& pane, const std::vector<int>& rows, const std::vector<char>& selected, bool replace)
{
    QItemSelectionModel* model = pane.List().SelectionModel();
    const QAbstractItemModel* items = model->model();
    QItemSelection select;
    QItemSelection unselect;
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t end = i + 1;
        while (end < rows.size() && rows[end] == rows[end - 1] + 1 && selected[end] == selected[i])
            ++end;
        QItemSelection& target = selected[i] ? select : unselect;
        target.select(items->index(rows[i], 0), items->index(rows[end - 1], 0));
        i = end;
    }
    if (replace) {
        model->select(select, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        return;
    }
    model->select(unselect, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    model->select(select, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

// Selects the rows of pane that differ from (or, without differing, equal) their
// namesakes in other's folder; the pane's selection is replaced. Returns the count.
int ComparePane(PaneView& pane, const PaneView& other, bool differing, DateKind kind, bool withFolders)
{
    const NameIndex index = IndexByName(*other.Folder());
    const int rowCount = pane.Model().rowCount();
    std::vector<int> rows(static_cast<std::size_t>(rowCount));
    std::vector<char> selected(rows.size());
    int count = 0;
    int first = -1;
    for (int row = 0; row < rowCount; ++row) {
        const ShellItem& item = *pane.ItemAt(row);
        const auto found = index.find(item.Name());
        bool select = differing;
        if (found != index.end()) {
            const ShellItem& namesake = *found->second;
            const int order = Order(item, namesake, kind);
            select = differing ? order > 0 : item.size == namesake.size && order == 0;
        }
        if (select && !withFolders && item.IsFolder(false))
            select = false;
        rows[static_cast<std::size_t>(row)] = row;
        selected[static_cast<std::size_t>(row)] = select;
        if (select && count++ == 0)
            first = row;
    }
    SetRows(pane, rows, selected, true);
    if (first >= 0)
        pane.List().SetRowState(first, 0);
    return count;
}

void CompareBothPanes(PaneView& pane, bool differing)
{
    const PaneContext& ctx = pane.Context();
    PaneView* other = ctx.pair ? ctx.pair->OtherPane(&pane) : nullptr;
    if (!FoldersDiffer(pane, other))
        return;
    PaneView& left = pane.IsLeft() ? pane : *other;
    PaneView& right = pane.IsLeft() ? *other : pane;
    if (left.FilterText() != right.FilterText()
        && !ctx.prompts.AskYesNo(&pane, QStringLiteral("The two panes have different visual filters.\n"
                                                       "The synchronization may be incomplete.\n"
                                                       "Continue anyway?\n")))
        return;
    if (ctx.general.fileDateUzed != 0
        && !ctx.prompts.AskYesNo(&pane, QStringLiteral("The file dates shown are NOT the modification ones.\n"
                                                       "The comparison results may be ambiguous. Continue anyway?\n"
                                                       "(Use 'View/Options' command to change the date settings)")))
        return;
    const DateKind kind = DateKindFromSetting(ctx.general.fileDateUzed);
    const bool withFolders = ctx.general.selectIncFolders;
    const int count = ComparePane(left, right, differing, kind, withFolders)
                    + ComparePane(right, left, differing, kind, withFolders);
    if (count > 0)
        ctx.status.ShowStatusMessage(QStringLiteral("%1 items identified and selected for further action.")
                                         .arg(differing ? QStringLiteral("Differing") : QStringLiteral("Identical")));
    else
        ctx.status.ShowStatusMessage(differing ? QStringLiteral("The contents of the two folders seem identical")
                                               : QStringLiteral("No common items shared between the folders"));
}

// What Sync on Content hands its worker and gets back. The worker answers the rows in
// order; done counts the answers it has published.
struct ContentRun {
    struct Entry {
        std::string first;
        std::string second;
        bool read = false;                 // the files must be read
        FileCompareResult decided{};      // else the answer known from the records
    };
    std::vector<Entry> entries;
    std::vector<FileCompareResult> results;
    std::atomic<std::size_t> done{0};
    // the waiter's side, shared with the end handler that may run after the waiter has gone
    bool ended = false;
    QEventLoop* loop = nullptr;
};

void CompareRun(ContentRun& run, const std::atomic<bool>& stop)
{
    FileComparer comparer;
    for (std::size_t i = 0; i < run.entries.size(); ++i) {
        if (stop.load(std::memory_order_relaxed))
            return;
        const ContentRun::Entry& entry = run.entries[i];
        const FileCompareResult result = entry.read ? comparer.Compare(entry.first, entry.second, stop) : entry.decided;
        if (result == FileCompareResult::kStopped)
            return;
        run.results[i] = result;
        run.done.store(i + 1, std::memory_order_release);
    }
}

} // namespace

// Sync on Content: a friend of the pane, which it keeps busy while the worker reads.
class PaneContentCompare {
public:
    static void Run(PaneView& pane);
};

void PaneContentCompare::Run(PaneView& pane)
{
    const PaneContext& ctx = pane.Context();
    PaneView* other = ctx.pair ? ctx.pair->OtherPane(&pane) : nullptr;
    if (!FoldersDiffer(pane, other) || !pane.Folder()->IsFileSystem() || !other->Folder()->IsFileSystem())
        return;

    // What the records already tell is settled here; only files of one length are read.
    const NameIndex index = IndexByName(*other->Folder());
    auto run = std::make_shared<ContentRun>();
    std::vector<int> rows;
    std::vector<const ShellItem*> items;
    const int rowCount = pane.Model().rowCount();
    for (int row = 0; row < rowCount; ++row) {
        const ShellItem* item = pane.ItemAt(row);
        if (!item->IsFileSystem())
            continue;
        ContentRun::Entry entry;
        const auto found = index.find(item->Name());
        const bool folder = item->IsFolder(false);
        if (found == index.end() || folder != found->second->IsFolder(false))
            entry.decided = FileCompareResult::kDiffer;
        else if (folder)
            entry.decided = FileCompareResult::kSame;
        else if (item->size != found->second->size)
            entry.decided = FileCompareResult::kDiffer;
        else if (item->size == 0)
            entry.decided = FileCompareResult::kSame;
        else {
            entry.read = true;
            entry.first = item->FullPath();
            entry.second = found->second->FullPath();
        }
        run->entries.push_back(std::move(entry));
        rows.push_back(row);
        items.push_back(item);
    }
    run->results.resize(run->entries.size());

    pane.m_busy = true; // refreshes wait: the rows stay as they are until the answers are in
    const JobRegistry::JobId id = ctx.jobs.Start([run](const std::atomic<bool>& stop) { CompareRun(*run, stop); },
                                                 [run] {
                                                     run->ended = true;
                                                     if (run->loop)
                                                         run->loop->quit();
                                                 });
    if (id != 0) {
        LongOperation operation(ctx.status, QStringLiteral("Comparing contents... (ESC to abort)"),
                                run->entries.size());
        QEventLoop loop;
        run->loop = &loop;
        std::size_t shown = 0;
        bool stopAsked = false;
        QTimer grace;
        grace.setSingleShot(true);
        QObject::connect(&grace, &QTimer::timeout, &loop, &QEventLoop::quit);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            for (const std::size_t done = run->done.load(std::memory_order_acquire); shown < done; ++shown)
                operation.ItemDone();
            if (operation.IsCancelled() && !stopAsked) {
                stopAsked = true;
                ctx.jobs.Stop(id);
                grace.start(kStopGraceMs);
            }
        });
        poll.start(kProgressPollMs);
        if (!run->ended)
            loop.exec(); // input reaches the operation's guard, which lets only Escape act
        run->loop = nullptr;
    }
    pane.m_busy = false;

    // The rows answered take their new state; those after a stop keep theirs.
    const std::size_t done = run->done.load(std::memory_order_acquire);
    const bool withFolders = ctx.general.selectIncFolders;
    std::vector<int> answeredRows;
    std::vector<char> selected;
    int first = -1;
    QString unreadable;
    int unreadableCount = 0;
    for (std::size_t i = 0; i < done; ++i) {
        if (pane.ItemAt(rows[i]) != items[i])
            continue;
        bool select = run->results[i] == FileCompareResult::kDiffer;
        if (select && !withFolders && items[i]->IsFolder(false))
            select = false;
        if (run->results[i] == FileCompareResult::kUnreadable && unreadableCount++ == 0)
            unreadable = FromBytes(items[i]->Name());
        answeredRows.push_back(rows[i]);
        selected.push_back(select);
        if (select && first < 0)
            first = rows[i];
    }
    SetRows(pane, answeredRows, selected, false);

    if (unreadableCount == 1)
        ctx.status.ShowStatusMessage(QStringLiteral("Read error comparing %1").arg(unreadable), true);
    else if (unreadableCount > 1)
        ctx.status.ShowStatusMessage(
            QStringLiteral("Read error comparing %1 and %2 other files").arg(unreadable).arg(unreadableCount - 1), true);
    if (first < 0) {
        ctx.status.ShowStatusMessage(QStringLiteral("All files are identical with matching files in the other pane."),
                                     true);
    } else {
        pane.List().SetRowState(first, 0);
        ctx.status.ShowStatusMessage(QStringLiteral("Differing items identified and selected for further action."),
                                     true);
    }
    if (pane.m_refreshPending) {
        pane.m_refreshPending = false;
        QCoreApplication::postEvent(&pane, new FolderChangedEvent());
    }
}

bool PaneCompare::OnCommand(PaneView& pane, int id)
{
    switch (id) {
    case cmd::kSynchronize:
    case cmd::kLocateIdentical:
        CompareBothPanes(pane, id == cmd::kSynchronize);
        return true;
    case cmd::kSyncOnContent:
        if (pane.CommandEnabled(id).value_or(false))
            PaneContentCompare::Run(pane);
        return true;
    default:
        return false;
    }
}

bool PaneCompare::OnUpdateCommand(const PaneView& pane, int id, CommandState& state)
{
    switch (id) {
    case cmd::kSynchronize:
    case cmd::kLocateIdentical: {
        const PanePair* pair = pane.Context().pair;
        state.enabled = !pane.IsBusy() && FoldersDiffer(pane, pair ? pair->OtherPane(&pane) : nullptr);
        return true;
    }
    case cmd::kSyncOnContent:
        state.enabled = !pane.IsBusy() && pane.CommandEnabled(id).value_or(false);
        return true;
    default:
        return false;
    }
}

} // namespace bivora
