#pragma once

#include "ui/widgets/sortable_row_model.h"
#include "base/date_kind.h"
#include "base/row_sort_keys.h"

#include <QString>

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace bivora {

class IconCache;
class ShellItem;

// The rows of a pane: one row per shown record of the pane's folder. Column 0 is the
// display name (with the record's icon), column 1 the size text, column 2 the date
// text of the chosen time. A row's texts are made when a view first asks for them and
// kept, so a folder of 100,000 records costs only the rows that are painted.
//
// The records belong to the folder; the model only points at them. A row keeps what
// the view shows of its record: its texts and its icon index. A record without a row
// is not shown (the filter hides it).
class PaneModel final : public SortableRowModel {
public:
    enum Column { kNameColumn = 0, kSizeColumn = 1, kDateColumn = 2 };

    explicit PaneModel(IconCache& icons, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The name is editable, by the label editor the pane opens (the list opens none itself).
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    ShellItem* ItemAt(int row) const;
    // The row showing item (a search by record), -1 when none.
    int RowOf(const ShellItem* item) const;
    // Every row's record with its row, for the many look-ups of one refresh.
    std::unordered_map<const ShellItem*, int> RowIndex() const;

    // Removes every row (one range).
    void Clear();
    // Appends rows for the records (one range); returns the first new row.
    int AppendRows(const std::vector<ShellItem*>& items);
    // Takes sort keys gathered elsewhere (on a reading worker) for the rows as they
    // stand, key i for row i, instead of gathering them at the next sort. Keys of
    // another count or date kind are not taken.
    void SetSortKeys(RowSortKeys keys);
    // Removes the rows (any order, duplicates allowed), contiguous ones as one range.
    void RemoveRows(std::vector<int> rows);

    // The record's size or times changed: its texts are made anew.
    void RowChanged(int row);
    // The row shows another record now (a renamed entry's): all its texts and its icon anew.
    void SetRowItem(int row, ShellItem* item);
    // The date column shows another time.
    void SetDateKind(DateKind dateKind);
    DateKind ShownDateKind() const { return m_dateKind; }

    // The texts as the Size and date columns show them.
    QString SizeText(int row) const;
    QString DateText(int row) const;

    // The pane's row order (CompareRowKeys) of two rows under a sort parameter, from
    // keys gathered once for the rows (RowSortKeys) and rearranged with them.
    int CompareRows(int rowA, int rowB, std::uint32_t sortParam) const;
    // The rows in that order, position i holding the row that goes there, by a radix
    // sort of the same keys: for many rows much faster than sorting by CompareRows.
    std::vector<int> OrderRows(std::uint32_t sortParam) const;

    // Rows marked cut are drawn dimmed until they are rebuilt or the marks are set
    // anew; SetCutRows replaces every earlier mark.
    void SetCutRows(const std::vector<int>& rows);
    bool IsCut(int row) const;
    // The row a drag hovers over, drawn highlighted; -1 for none. One row at a time.
    void SetDropHighlight(int row);
    int DropHighlightRow() const;

    // No row without a record and no record on two rows.
    bool IsConsistent() const;

protected:
    void PermuteRows(const std::vector<int>& newOrder) override;

private:
    struct Row {
        ShellItem* item = nullptr;
        // made on first use; a null QString means "not made yet"
        mutable QString name;
        mutable QString size;
        mutable QString date;
        mutable int icon = kIconNotAsked;
        mutable bool link = false;
        mutable bool iconWaiting = false; // the generic icon while the content is read
        bool cut = false;
        bool dropHighlight = false;
    };
    static constexpr int kIconNotAsked = -2;

    void ForgetSortKeys() { m_sortKeysValid = false; }

    const QString& NameText(const Row& row) const;
    const QString& SizeText(const Row& row) const;
    const QString& DateText(const Row& row) const;
    QVariant Icon(const Row& row) const;
    // Announces a change of the look of whole rows.
    void RowLookChanged(int row);
    // Asks again for the icons of rows that waited for their content; contiguous rows
    // whose icon changed are announced as one range.
    void UpdateWaitingIcons();

    IconCache& m_icons;
    std::vector<Row> m_rows;
    DateKind m_dateKind = DateKind::kModified;
    mutable RowSortKeys m_sortKeys;
    mutable bool m_sortKeysValid = false;
};

} // namespace bivora
