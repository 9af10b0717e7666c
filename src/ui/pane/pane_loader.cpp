// Reading folders into the pane and keeping its rows in step with them.
#include "ui/pane/pane_view.h"

#include "base/general_settings.h"
#include "base/sort_param.h"
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
#include "ui/pane/pane_watch.h"

#include <QCoreApplication>
#include <QItemSelectionModel>

#include <cstring>
#include <unordered_set>

namespace bivora {

// Marks the pane busy while a worker reads: commands, refresh requests and the
// records wait until it ends.
class PaneView::BusyScope {
public:
    explicit BusyScope(PaneView& pane) : m_pane(pane) { m_pane.m_busy = true; }
    ~BusyScope()
    {
        m_pane.m_busy = false;
        if (m_pane.m_refreshPending) {
            m_pane.m_refreshPending = false;
            QCoreApplication::postEvent(&m_pane, new FolderChangedEvent());
        }
    }

private:
    PaneView& m_pane;
};

bool PaneView::GoToFolder(ItemIdList id)
{
    if (m_busy)
        return false;
    StatusService& status = m_ctx.status;
    status.ShowStatusMessage(QStringLiteral("Reading folder..."));

    // The worker owns the new folder until it hands it back, and the folder shares the
    // namespace, so a worker no longer waited for touches nothing of the pane's. It
    // also puts the records in the list's order and gathers their sort keys, so that
    // the GUI thread only appends rows and the window keeps painting while a large
    // folder is sorted.
    struct Read {
        std::unique_ptr<ShellFolder> folder;
        ItemIdList id;
        FolderReadResult result;
        std::string name; // of a folder that could not be read
        RowOrder order;
        std::shared_ptr<FolderWatcher> watcher;
    };
    auto read = std::make_shared<Read>();
    read->folder = std::make_unique<ShellFolder>(m_ctx.ns, enumflags::kPane);
    read->id = std::move(id);
    const bool sorted = m_list->SortKey() != cmd::kUnsorted;
    const std::uint32_t sortParam = MakeSortParam(m_list->SortKey(), m_list->Ascending());
    const DateKind dateKind = m_model->ShownDateKind();
    bool finished = false;
    {
        BusyScope busy(*this);
        finished = RunOffGuiThread(
            m_ctx.jobs,
            [read, sorted, sortParam, dateKind](const std::atomic<bool>& cancel) {
                read->watcher = PaneWatch::Prepare(read->folder->Namespace(), read->id, read->folder->EnumFlags());
                read->result = read->folder->Open(read->id, true, &cancel);
                if (read->result == ShellFolder::kFailed) {
                    const ShellNamespace& ns = read->folder->Namespace();
                    read->name = ns.ParsingName(read->id).value_or(ns.DisplayName(read->id).value_or(std::string()));
                    return;
                }
                if (!sorted || cancel.load())
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
            {&status, QStringLiteral("Reading folder..."), 300});
    }
    if (!finished) {
        status.ShowStatusMessage(QString());
        return false;
    }
    if (read->result == ShellFolder::kFailed) {
        status.ShowStatusMessage(QStringLiteral("Reading from '%1' has failed: %2")
                                     .arg(read->name.empty() ? QStringLiteral("(that folder)") : FromBytes(read->name),
                                          QString::fromLocal8Bit(std::strerror(read->result.error))),
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
    m_watch->Stop();
    m_folder = std::move(read->folder);
    ++m_folderGeneration;
    m_watch->Start(std::move(read->watcher), *m_folder, *this, m_folderGeneration);
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
    // The worker reads into records of its own and compares them with a copy of what
    // the folder held; the difference is applied here, so the rows keep reading their
    // records while it runs.
    struct Refresh {
        RefreshReader reader;
        RefreshDiff diff;
        FolderReadResult result;
    };
    auto refresh = std::make_shared<Refresh>(Refresh{m_folder->PrepareRefresh(), {}, {}});
    bool finished = false;
    {
        BusyScope busy(*this);
        finished = RunOffGuiThread(
            m_ctx.jobs,
            [refresh](const std::atomic<bool>& cancel) {
                refresh->result = refresh->reader.Read(refresh->diff, &cancel);
            },
            {&m_ctx.status, QStringLiteral("Reading folder..."), 300});
    }
    if (!finished)
        return false;
    if (refresh->result == ShellFolder::kFailed) {
        // a folder that may not be read any more is still there; one that has gone is left
        if (refresh->result.Gone() && m_folder->IsFileSystem() && !m_folder->IsFileSystemRoot())
            GoToDesktop();
        return false;
    }
    std::optional<RefreshApplied> applied = m_folder->ApplyRefresh(std::move(refresh->diff));
    if (!applied)
        return false; // the records changed meanwhile; the next refresh sees it
    ApplyRefreshToRows(*applied, selectArrivals, names);
    return true;
}

void PaneView::ApplyRefreshToRows(RefreshApplied& applied, bool selectArrivals, std::vector<std::string>* names)
{
    m_list->setUpdatesEnabled(false);
    std::unordered_map<const ShellItem*, int> rowOf;
    if (!applied.changed.empty() || !applied.vanished.empty())
        rowOf = m_model->RowIndex();
    auto rowIn = [](const std::unordered_map<const ShellItem*, int>& index, const ShellItem* item) {
        const auto found = index.find(item);
        return found == index.end() ? -1 : found->second;
    };

    // Arrivals and shown records that changed are marked in the folder's order.
    std::unordered_set<const ShellItem*> toMark;
    if (selectArrivals)
        toMark.insert(applied.added.begin(), applied.added.end());
    for (const RefreshApplied::Changed& change : applied.changed) {
        const int row = rowIn(rowOf, change.item);
        if (row < 0)
            continue; // hidden by the filter: nothing to show or count
        m_byteTotal += change.item->size - change.oldSize; // wraps back when it shrank
        m_model->RowChanged(row);
        if (selectArrivals)
            toMark.insert(change.item);
    }
    std::vector<const ShellItem*> marked;
    if (!toMark.empty()) {
        for (const auto& own : m_folder->Items()) {
            if (!toMark.contains(own.get()))
                continue;
            marked.push_back(own.get());
            if (names)
                names->push_back(own->Name());
        }
    }

    std::vector<ShellItem*> arrivals;
    for (ShellItem* item : applied.added) {
        if (Allows(*item)) {
            m_byteTotal += item->size;
            arrivals.push_back(item);
        }
    }
    std::vector<int> vanishedRows;
    for (const auto& item : applied.vanished) {
        const int row = rowIn(rowOf, item.get());
        if (row >= 0) {
            vanishedRows.push_back(row);
            m_byteTotal -= item->size;
        }
    }
    // rows in ranges: the vanished ones out (before their records go), the arrivals in at the end
    m_model->RemoveRows(std::move(vanishedRows));
    applied.vanished.clear();
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
