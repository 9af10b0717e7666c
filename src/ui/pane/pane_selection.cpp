// Selecting by rule and the visual filter of a pane.
#include "ui/pane/pane_selection.h"

#include "base/general_settings.h"
#include "base/pattern_list.h"
#include "base/registry_keys.h"
#include "shell/shell_item.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/command_router.h"
#include "ui/commands/services.h"
#include "ui/commands/status_service.h"
#include "ui/jobs/off_thread_read.h"
#include "ui/pane/pane_model.h"
#include "ui/pane/pane_view.h"
#include "ui/pane/select_items_dlg.h"
#include "ui/widgets/sort_list_ctrl.h"

#include <QItemSelection>
#include <QItemSelectionModel>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace bivora {

namespace {

const QString kInvalidPattern = QStringLiteral("The specified pattern is invalid");
const QString kNoMatch = QStringLiteral("No items match the specified pattern");

std::string FoldedAscii(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
    }
    return folded;
}

// The selected state of every row, one flag a row.
using RowFlags = std::vector<char>;

RowFlags CurrentFlags(const PaneView& pane)
{
    RowFlags flags(static_cast<std::size_t>(pane.Model().rowCount()), 0);
    for (int row : pane.SelectedRows())
        flags[static_cast<std::size_t>(row)] = 1;
    return flags;
}

// Makes exactly the flagged rows selected (before: the flags as they were read). The selection model compares the old and
// the new selection range by range, which costs their product when both are long
// lists of scattered ranges; after a clear the old one is empty and the new one is
// taken in one call, so the cost follows the number of rows.
void ApplyFlags(PaneView& pane, const RowFlags& before, const RowFlags& flags)
{
    if (flags == before)
        return;
    QItemSelectionModel* selectionModel = pane.List().SelectionModel();
    const QAbstractItemModel* model = selectionModel->model();
    const int lastColumn = std::max(model->columnCount() - 1, 0);
    const int rows = static_cast<int>(flags.size());
    QItemSelection selection;
    for (int row = 0; row < rows;) {
        if (!flags[static_cast<std::size_t>(row)]) {
            ++row;
            continue;
        }
        int end = row;
        while (end + 1 < rows && flags[static_cast<std::size_t>(end + 1)])
            ++end;
        selection.append(QItemSelectionRange(model->index(row, 0), model->index(end, lastColumn)));
        row = end + 1;
    }
    selectionModel->clearSelection();
    if (!selection.isEmpty())
        selectionModel->select(selection, QItemSelectionModel::Select);
}

bool IsFolderRow(const PaneView& pane, int row)
{
    const ShellItem* item = pane.ItemAt(row);
    return item && item->IsFolder(false);
}

void Alert(const PaneContext& ctx, const QString& text)
{
    ctx.status.ShowStatusMessage(text, true);
}

void SelectAll(PaneView& pane)
{
    ApplyFlags(pane, CurrentFlags(pane), RowFlags(static_cast<std::size_t>(pane.Model().rowCount()), 1));
}

void Invert(PaneView& pane, bool includeFolders)
{
    const RowFlags before = CurrentFlags(pane);
    RowFlags flags = before;
    for (std::size_t row = 0; row < flags.size(); ++row) {
        if (includeFolders || !IsFolderRow(pane, static_cast<int>(row)))
            flags[row] = !flags[row];
    }
    ApplyFlags(pane, before, flags);
}

// Above this many name-pattern pairs the matching runs on a worker: a long stored
// pattern over a big folder would otherwise hold the window for seconds.
constexpr std::size_t kInlineMatches = 4'000'000;

// Which rows' names the list matches (one flag a row); nullopt when Escape stopped it.
std::optional<RowFlags> MatchRows(PaneView& pane, const PaneContext& ctx, const PatternList& list)
{
    const std::size_t rows = static_cast<std::size_t>(pane.Model().rowCount());
    RowFlags matches(rows, 0);
    if (rows * list.Count() <= kInlineMatches) {
        for (std::size_t row = 0; row < rows; ++row) {
            const ShellItem* item = pane.ItemAt(static_cast<int>(row));
            matches[row] = item && list.Match(item->Name());
        }
        return matches;
    }
    // the worker owns what it reads, so that one left behind after Escape touches nothing of the pane's
    struct Job {
        PatternList list;
        std::vector<std::string> names;
        RowFlags matches;
    };
    auto job = std::make_shared<Job>();
    job->list = list;
    job->names.reserve(rows);
    for (std::size_t row = 0; row < rows; ++row) {
        const ShellItem* item = pane.ItemAt(static_cast<int>(row));
        job->names.push_back(item ? item->Name() : std::string());
    }
    job->matches = std::move(matches);
    const bool finished = PaneSelection::RunBusy(pane, [&] {
        return RunOffGuiThread(
            ctx.jobs,
            [job](const std::atomic<bool>& stop) {
                for (std::size_t row = 0; row < job->names.size() && !stop.load(std::memory_order_relaxed); ++row)
                    job->matches[row] = job->list.Match(job->names[row]);
            },
            {&ctx.status, QStringLiteral("Selecting items..."), 300});
    });
    if (!finished) {
        ctx.status.ShowStatusMessage(QString());
        return std::nullopt;
    }
    return std::move(job->matches);
}

// Selects (or unselects) the rows whose names the first entry of "Selection Pattern
// History" matches, under the options of the Select Items dialog.
void ApplyPattern(PaneView& pane, const PaneContext& ctx, bool select)
{
    const std::string* text = ctx.shared.selectionPatternHistory.First();
    PatternList list;
    if (!text || !list.Parse(*text)) {
        Alert(ctx, kInvalidPattern);
        return;
    }
    const bool within = ctx.shared.selectWithinSelection;
    const bool includeFolders = ctx.general.selectIncFolders;
    const std::optional<RowFlags> matches = MatchRows(pane, ctx, list);
    if (!matches)
        return;
    const RowFlags before = CurrentFlags(pane);
    RowFlags flags = before;
    if (select && !ctx.general.selectAddOnTop && !within)
        std::fill(flags.begin(), flags.end(), 0);
    if (flags.empty()) {
        Alert(ctx, kNoMatch);
        return;
    }
    const bool narrowing = select && within;
    int first = -1;
    for (std::size_t row = 0; row < flags.size(); ++row) {
        if (narrowing && !flags[row])
            continue;
        const ShellItem* item = pane.ItemAt(static_cast<int>(row));
        if (!item || (!includeFolders && item->IsFolder(false)))
            continue;
        if ((*matches)[row]) {
            flags[row] = select ? 1 : 0;
            if (first < 0)
                first = static_cast<int>(row);
        } else if (narrowing) {
            flags[row] = 0;
        }
    }
    ApplyFlags(pane, before, flags);
    if (first < 0)
        Alert(ctx, kNoMatch);
    else
        pane.List().SetRowState(first, 0);
}

// Select group / Unselect group: the dialog unless Ctrl is held.
void SelectGroup(PaneView& pane, PaneContext& ctx, bool select)
{
    if (!ctx.keyboard.Ctrl()) {
        SelectItemsDlg::Options options{ctx.general.selectIncFolders, ctx.general.selectAddOnTop,
                                        ctx.shared.selectWithinSelection};
        SelectItemsDlg dialog(&pane, ctx.prompts, ctx.shared.selectionPatternHistory, ctx.general.historyItems,
                              !select, !pane.SelectedRows().empty(), options);
        if (ctx.prompts.Exec(dialog) != QDialog::Accepted)
            return;
        options = dialog.Chosen();
        ctx.general.selectIncFolders = options.includeFolders;
        ctx.general.selectAddOnTop = options.addOnTop;
        ctx.shared.selectWithinSelection = options.withinSelection;
    }
    ApplyPattern(pane, ctx, select);
}

// Like this one: the pattern "*" and the focused item's extension (no dot), so that it
// also takes names that merely end in those letters. Without a focused row the first
// selected one stands in.
void LikeThisOne(PaneView& pane, PaneContext& ctx, bool select)
{
    int row = pane.List().FocusedRow();
    if (row < 0) {
        const std::vector<int> selected = pane.SelectedRows();
        if (selected.empty())
            return;
        row = selected.front();
    }
    const ShellItem* item = pane.ItemAt(row);
    const std::string name = item ? item->Name() : std::string();
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 == name.size()) {
        Alert(ctx, QStringLiteral("The focused item has no extension"));
        return;
    }
    ctx.shared.selectionPatternHistory.Add(ctx.general.historyItems, "*" + name.substr(dot + 1));
    ApplyPattern(pane, ctx, select);
}

void StoreSelection(PaneView& pane, PaneContext& ctx)
{
    std::vector<std::string>& stored = ctx.shared.selectionClipboard;
    stored.clear();
    for (int row : pane.SelectedRows()) {
        if (const ShellItem* item = pane.ItemAt(row))
            stored.push_back(item->Name());
    }
    ctx.status.ShowStatusMessage(QStringLiteral("Current selection stored"));
}

// Selects or unselects the rows named in the selection clipboard (letters compared
// without case); the last row selected gets the focus.
void RecallSelection(PaneView& pane, PaneContext& ctx, bool select)
{
    const RowFlags before = CurrentFlags(pane);
    RowFlags flags = before;
    if (select && !ctx.general.selectAddOnTop)
        std::fill(flags.begin(), flags.end(), 0);
    std::unordered_map<std::string, int> rowOfName;
    rowOfName.reserve(flags.size());
    for (std::size_t row = 0; row < flags.size(); ++row) {
        if (const ShellItem* item = pane.ItemAt(static_cast<int>(row)))
            rowOfName.emplace(FoldedAscii(item->Name()), static_cast<int>(row));
    }
    int found = -1;
    for (const std::string& name : ctx.shared.selectionClipboard) {
        const auto it = rowOfName.find(FoldedAscii(name));
        if (it == rowOfName.end())
            continue;
        flags[static_cast<std::size_t>(it->second)] = select ? 1 : 0;
        found = it->second;
    }
    ApplyFlags(pane, before, flags);
    if (found < 0)
        Alert(ctx, QStringLiteral("No matching items in the selection clipboard"));
    else if (select)
        pane.List().SetRowState(found, 0);
}

PaneView& TargetPane(PaneView& pane, PaneContext& ctx)
{
    PaneView* target = ctx.pair ? ctx.pair->TargetPane(&pane) : nullptr;
    return target ? *target : pane;
}

void UseFilter(PaneView& pane, PaneContext& ctx)
{
    PaneView& target = TargetPane(pane, ctx);
    if (target.FilterText() != "*") {
        target.SetVisualFilter("*");
        return;
    }
    if (ctx.shared.lastVisualFilter.empty()) {
        ctx.status.ShowStatusMessage(QStringLiteral("No visual filter has been defined earlier."));
        return;
    }
    target.SetVisualFilter(ctx.shared.lastVisualFilter);
}

} // namespace

bool PaneSelection::RunBusy(PaneView& pane, const std::function<bool()>& wait)
{
    // nothing else runs in the pane meanwhile; a change reported now is refreshed after
    pane.m_busy = true;
    const bool finished = wait();
    pane.m_busy = false;
    if (pane.m_refreshPending) {
        pane.m_refreshPending = false;
        QTimer::singleShot(0, &pane, [&pane] { pane.RefreshPane(false, nullptr); });
    }
    return finished;
}

bool PaneView::SetVisualFilter(const std::string& text)
{
    PatternList list;
    if (!list.Parse(text))
        return false;
    PaneSelection::TakeFilter(*this, std::move(list));
    ReapplyFilter();
    return true;
}

void PaneSelection::TakeFilter(PaneView& pane, PatternList&& list)
{
    const std::string canonical = list.CanonicalText();
    if (FoldedAscii(canonical) == FoldedAscii(pane.m_filterText))
        return;
    pane.m_filterText = canonical;
    pane.m_filter = std::move(list);
    if (canonical == "*")
        pane.m_filter.Clear();
    PaneSharedState& shared = pane.m_ctx.shared;
    shared.visualFilterHistory.Add(pane.m_ctx.general.historyItems, canonical);
    if (canonical != "*")
        shared.lastVisualFilter = canonical;
}

void PaneSelection::LoadPatternHistory(PaneContext& ctx)
{
    PaneSharedState& shared = ctx.shared;
    if (shared.selectionPatternHistoryLoaded)
        return;
    shared.selectionPatternHistoryLoaded = true;
    shared.selectionPatternHistory.Load(ctx.general.historyItems, ctx.store, registry::section::kSelectionPatternHistory);
    if (shared.selectionPatternHistory.Count() == 0)
        shared.selectionPatternHistory.Add(ctx.general.historyItems, "*.*");
}

void PaneSelection::SavePatternHistory(const PaneContext& ctx)
{
    if (ctx.shared.selectionPatternHistoryLoaded)
        ctx.shared.selectionPatternHistory.Save(ctx.general.historyItems, ctx.store,
                                                registry::section::kSelectionPatternHistory);
}

std::optional<bool> PaneSelection::Enabled(const PaneView& pane, int id)
{
    switch (id) {
    case cmd::kSelectAll:
    case cmd::kUseFilter:
        return true;
    case cmd::kSelectGroup:
    case cmd::kInvertSelection:
        return pane.Model().rowCount() > 0;
    case cmd::kUnselectGroup:
    case cmd::kLikeThisOne:
    case cmd::kUnlikeThisOne:
    case cmd::kSelectionStore:
        return pane.List().SelectionModel()->hasSelection();
    case cmd::kSelectionSelect:
    case cmd::kSelectionUnselect:
        return !pane.m_ctx.shared.selectionClipboard.empty();
    default:
        return std::nullopt;
    }
}

bool PaneSelection::OnUpdateCommand(PaneView& pane, int id, CommandState& state)
{
    const std::optional<bool> enabled = Enabled(pane, id);
    if (!enabled)
        return false;
    state.enabled = !pane.m_busy && *enabled;
    if (id == cmd::kUseFilter)
        state.checked = pane.FilterText() != "*";
    return true;
}

bool PaneSelection::OnCommand(PaneView& pane, int id)
{
    if (!Enabled(pane, id).value_or(false))
        return Enabled(pane, id).has_value(); // a greyed command of ours does nothing
    PaneContext& ctx = pane.m_ctx;
    switch (id) {
    case cmd::kSelectAll:
        SelectAll(pane);
        return true;
    case cmd::kInvertSelection:
        Invert(pane, ctx.general.selectIncFolders);
        return true;
    case cmd::kSelectGroup:
    case cmd::kUnselectGroup:
        SelectGroup(pane, ctx, id == cmd::kSelectGroup);
        return true;
    case cmd::kLikeThisOne:
    case cmd::kUnlikeThisOne:
        LikeThisOne(pane, ctx, id == cmd::kLikeThisOne);
        return true;
    case cmd::kSelectionStore:
        StoreSelection(pane, ctx);
        return true;
    case cmd::kSelectionSelect:
    case cmd::kSelectionUnselect:
        RecallSelection(pane, ctx, id == cmd::kSelectionSelect);
        return true;
    case cmd::kUseFilter:
        UseFilter(pane, ctx);
        return true;
    default:
        return false;
    }
}

} // namespace bivora
