// Reading folders into the pane and keeping its rows in step with them.
#include "ui/pane/pane_view.h"

#include "base/general_settings.h"
#include "base/sort_param.h"
#include "shell/item_info.h"
#include "shell/shell_folder.h"
#include "shell/shell_item.h"
#include "shell/shell_namespace.h"
#include "ui/widgets/sort_list_ctrl.h"
#include "ui/commands/byte_text.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/status_service.h"
#include "ui/pane/folder_changed_event.h"
#include "ui/jobs/off_thread_read.h"
#include "ui/pane/pane_model.h"

#include <QCoreApplication>
#include <QItemSelectionModel>

#include <cerrno>
#include <sys/stat.h>
#include <unordered_set>

namespace bivora {

namespace {

// A folder is gone when looking its path up says it does not exist; a folder that
// may not be looked into is still there.
bool FolderGone(const std::string& path)
{
    return IsFolderGone(path);
}

} // namespace

// Marks the pane busy while a worker reads: commands, refresh requests and the
// records wait until it ends.
class PaneView::BusyScope {
public:
    BusyScope(PaneView& pane, bool freezeModel)
        : m_pane(pane)
        , m_freeze(freezeModel)
    {
        m_pane.m_busy = true;
        if (m_freeze)
            m_pane.m_model->SetFrozen(true);
    }
    ~BusyScope()
    {
        if (m_freeze)
            m_pane.m_model->SetFrozen(false);
        m_pane.m_busy = false;
        if (m_pane.m_refreshPending) {
            m_pane.m_refreshPending = false;
            QCoreApplication::postEvent(&m_pane, new FolderChangedEvent(nullptr));
        }
    }

private:
    PaneView& m_pane;
    bool m_freeze;
};

bool PaneView::GoToFolder(ItemIdList id)
{
    if (m_busy)
        return false;
    StatusService& status = m_ctx.status;
    status.ShowStatusMessage(QStringLiteral("Reading folder..."));

    // The worker owns the new folder until it hands it back; when it is left behind
    // after Escape it destroys the folder itself. It also puts the records in the
    // list's order and gathers their sort keys, so that the GUI thread only appends
    // rows and the window keeps painting while a large folder is sorted.
    struct Read {
        std::unique_ptr<ShellFolder> folder;
        ItemIdList id;
        int result = ShellFolder::kFailed;
        RowOrder order;
    };
    auto read = std::make_shared<Read>();
    read->folder = std::make_unique<ShellFolder>(m_ctx.ns, enumflags::kPane);
    read->id = std::move(id);
    const bool sorted = m_list->SortKey() != cmd::kUnsorted;
    const std::uint32_t sortParam = MakeSortParam(m_list->SortKey(), m_list->Ascending());
    const DateKind dateKind = m_model->ShownDateKind();
    bool finished = false;
    {
        BusyScope busy(*this, false);
        finished = RunOffGuiThread(
            [read, sorted, sortParam, dateKind](const std::atomic<bool>& cancel) {
                read->result = read->folder->Open(std::move(read->id), true, &cancel);
                if (read->result == ShellFolder::kFailed || !sorted || cancel.load())
                    return;
                std::vector<ShellItem*>& items = read->order.items;
                items.reserve(read->folder->Items().size());
                for (const auto& item : read->folder->Items())
                    items.push_back(item.get());
                read->order.keys.Build(items, dateKind, [](const ShellItem* item) { return item->Key(); });
                const std::vector<int> order = read->order.keys.Order(sortParam);
                std::vector<ShellItem*> arranged;
                arranged.reserve(items.size());
                for (const int from : order)
                    arranged.push_back(items[static_cast<std::size_t>(from)]);
                items = std::move(arranged);
                read->order.keys.Permute(order);
            },
            {&status, QStringLiteral("Reading folder..."), 300, true});
    }
    if (!finished) {
        status.ShowStatusMessage(QString());
        return false;
    }
    if (read->result == ShellFolder::kFailed) {
        const std::string& title = read->folder->Title();
        status.ShowStatusMessage(QStringLiteral("Reading from '%1' has failed miserably")
                                     .arg(title.empty() ? QStringLiteral("(that folder)") : FromBytes(title)),
                                 true);
        return false;
    }

    m_startFolder.clear();
    if (m_folder && m_folder->IsFileSystem() && m_leaveHook) {
        const ShellItem* focused = ItemAt(m_list->FocusedRow());
        m_leaveHook(*m_folder, focused ? std::optional<std::string>(focused->Name()) : std::nullopt);
    }
    // rows go before the records they point at
    m_model->Clear();
    m_folder = std::move(read->folder);
    FillRows(read->order.items.empty() ? nullptr : &read->order);

    std::optional<std::string> focusName;
    if (m_folder->IsFileSystem() && m_arriveHook)
        focusName = m_arriveHook(*m_folder);
    UpdatePaneState(focusName);

    if (read->result == ShellFolder::kPartial)
        status.ShowStatusMessage(QStringLiteral("Some items in the folder were not accessible"), true);
    else
        status.ShowStatusMessage(QString());
    return true;
}

bool PaneView::RefreshPane(bool selectArrivals, std::vector<std::string>* names)
{
    if (!m_folder)
        return false;
    if (m_busy) {
        // asked again while a read runs: the pending request re-reads afterwards
        m_refreshPending = true;
        return false;
    }
    enum class Outcome { Failed, Gone, Merged };
    struct Refresh {
        Outcome outcome = Outcome::Failed;
        std::uint64_t total = 0;
    };
    Refresh refresh;
    refresh.total = m_byteTotal;
    ShellFolder* folder = m_folder.get();
    const bool checkGone = folder->IsFileSystem() && !folder->IsFileSystemRoot();
    const std::string path = folder->Path();
    {
        // The worker changes the records: the rows answer from what they have made.
        BusyScope busy(*this, true);
        RunOffGuiThread(
            [&refresh, folder, checkGone, &path](const std::atomic<bool>& cancel) {
                if (checkGone && FolderGone(path)) {
                    refresh.outcome = Outcome::Gone;
                    return;
                }
                refresh.outcome = folder->MergeRefresh(refresh.total, &cancel) ? Outcome::Merged : Outcome::Failed;
            },
            {&m_ctx.status, QStringLiteral("Reading folder..."), 300, false});
    }
    switch (refresh.outcome) {
    case Outcome::Gone:
        GoToDesktop();
        return false;
    case Outcome::Failed:
        return false;
    case Outcome::Merged:
        break;
    }
    // A merge that ended is applied even when Escape came late: the records have changed.
    m_byteTotal = refresh.total;
    ApplyMerge(selectArrivals, names);
    return true;
}

void PaneView::ApplyMerge(bool selectArrivals, std::vector<std::string>* names)
{
    m_list->setUpdatesEnabled(false);
    const std::unordered_map<const ShellItem*, int> rowOf = m_model->RowIndex();
    auto rowIn = [](const std::unordered_map<const ShellItem*, int>& index, const ShellItem* item) {
        const auto found = index.find(item);
        return found == index.end() ? -1 : found->second;
    };

    std::vector<ShellItem*> arrivals;
    std::vector<int> vanishedRows;
    std::vector<const ShellItem*> vanished;
    std::vector<const ShellItem*> marked;
    for (const auto& own : m_folder->Items()) {
        ShellItem* item = own.get();
        if (selectArrivals && (item->state == ShellItem::kAdded || item->state == ShellItem::kChanged)) {
            marked.push_back(item);
            if (names)
                names->push_back(item->Name());
        }
        switch (item->state) {
        case ShellItem::kAdded:
            if (Allows(*item)) {
                item->state = ShellItem::kShown;
                m_byteTotal += item->size;
                arrivals.push_back(item);
            } else {
                item->state = ShellItem::kHidden;
            }
            break;
        case ShellItem::kVanished:
            vanishedRows.push_back(rowIn(rowOf, item));
            m_byteTotal -= item->size;
            vanished.push_back(item);
            break;
        case ShellItem::kChanged:
            item->state = ShellItem::kShown;
            m_model->RowChanged(rowIn(rowOf, item));
            break;
        default:
            break;
        }
    }
    // rows in ranges: the vanished ones out, the arrivals in at the end
    m_model->RemoveRows(std::move(vanishedRows));
    for (const ShellItem* item : vanished)
        m_folder->RemoveItem(item);
    m_model->AppendRows(arrivals);

    QItemSelectionModel* selection = m_list->SelectionModel();
    if (!marked.empty() || (!selectArrivals && names && !names->empty())) {
        const std::unordered_map<const ShellItem*, int> rowNow = m_model->RowIndex();
        if (!marked.empty()) {
            QItemSelection select;
            int last = -1;
            for (const ShellItem* item : marked) {
                const int row = rowIn(rowNow, item);
                if (row < 0)
                    continue;
                select.select(m_model->index(row, 0), m_model->index(row, 0));
                last = row;
            }
            selection->select(select, QItemSelectionModel::Select | QItemSelectionModel::Rows);
            // the last arrival ends with the focus
            if (last >= 0)
                m_list->SetRowState(last, 0);
        } else {
            const std::unordered_set<std::string> unselect(names->begin(), names->end());
            QItemSelection deselect;
            for (const auto& [item, row] : rowNow) {
                if (unselect.contains(item->Name()))
                    deselect.select(m_model->index(row, 0), m_model->index(row, 0));
            }
            selection->select(deselect, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        }
    }
    if (m_ctx.general.autoReSort) {
        SortRows();
        const int focused = m_list->FocusedRow();
        if (focused >= 0)
            m_list->SetRowState(focused, 0);
    }
    m_list->setUpdatesEnabled(true);
    ScheduleStatusUpdate();
}

} // namespace bivora
