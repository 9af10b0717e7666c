#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <functional>
#include <vector>

namespace bivora {

// The flat table model behind a SortListCtrl. It owns the column titles and
// alignments and reorders rows without a reset: a sort moves the persistent
// indexes along with their rows, so the selection, the current row and any
// QPersistentModelIndex of a caller survive it.
//
// A derived model supplies rowCount(), data() and PermuteRows(); the columns are
// set through SetColumns (normally by SortListCtrl::MakeColumns).
class SortableRowModel : public QAbstractTableModel {
public:
    // Orders two rows by their current indices: negative, zero or positive.
    using RowCompare = std::function<int(int rowA, int rowB)>;

    explicit SortableRowModel(QObject* parent = nullptr);

    // Replaces the columns; a missing alignment is left alignment.
    void SetColumns(const std::vector<QString>& titles, const std::vector<Qt::Alignment>& alignments);
    void SetColumnTitle(int column, const QString& title);
    QString ColumnTitle(int column) const;
    Qt::Alignment ColumnAlignment(int column) const;

    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Sorts the rows stably by compare, which is asked only about rows of the
    // order before the sort. Emits a layout change with a vertical-sort hint and
    // nothing at all when the order stays the same. Returns true when rows moved.
    bool SortRows(const RowCompare& compare);
    // SortRows in two steps, for a caller that acts between them. SortedOrder gives
    // the stable order by compare (position i holds the row that goes there), or
    // nothing when the rows run in that order already, at one comparison per row.
    std::vector<int> SortedOrder(const RowCompare& compare) const;
    // Whether the rows run in the order of compare already.
    bool InOrder(const RowCompare& compare) const;
    // Puts the rows in an order of SortedOrder with one layout change; returns the
    // new row of each old row (nothing, and no change, for an order of another length).
    std::vector<int> ApplyOrder(const std::vector<int>& order);

protected:
    // Reorders the derived model's row storage: the row at new position i is the
    // row that was at newOrder[i]. Called between layoutAboutToBeChanged and
    // layoutChanged; it must not emit signals of its own.
    virtual void PermuteRows(const std::vector<int>& newOrder) = 0;

private:
    std::vector<QString> m_titles;
    std::vector<Qt::Alignment> m_alignments;
};

} // namespace bivora
