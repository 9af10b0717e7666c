#include "ui/widgets/sortable_row_model.h"

#include <algorithm>
#include <numeric>

namespace bivora {

SortableRowModel::SortableRowModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void SortableRowModel::SetColumns(const std::vector<QString>& titles, const std::vector<Qt::Alignment>& alignments)
{
    const int oldCount = static_cast<int>(m_titles.size());
    const int newCount = static_cast<int>(titles.size());
    // Columns are removed and inserted as ranges so that the views keep their rows.
    if (newCount < oldCount) {
        beginRemoveColumns(QModelIndex(), newCount, oldCount - 1);
        m_titles.resize(newCount);
        m_alignments.resize(newCount);
        endRemoveColumns();
    } else if (newCount > oldCount) {
        beginInsertColumns(QModelIndex(), oldCount, newCount - 1);
        m_titles.resize(newCount);
        m_alignments.resize(newCount, Qt::AlignLeft);
        endInsertColumns();
    }
    for (int i = 0; i < newCount; ++i) {
        m_titles[i] = titles[i];
        m_alignments[i] = i < static_cast<int>(alignments.size()) ? alignments[i] : Qt::Alignment(Qt::AlignLeft);
    }
    if (newCount > 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, newCount - 1);
}

void SortableRowModel::SetColumnTitle(int column, const QString& title)
{
    if (column < 0 || column >= static_cast<int>(m_titles.size()))
        return;
    m_titles[column] = title;
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

QString SortableRowModel::ColumnTitle(int column) const
{
    if (column < 0 || column >= static_cast<int>(m_titles.size()))
        return {};
    return m_titles[column];
}

Qt::Alignment SortableRowModel::ColumnAlignment(int column) const
{
    if (column < 0 || column >= static_cast<int>(m_alignments.size()))
        return Qt::AlignLeft;
    return m_alignments[column];
}

int SortableRowModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_titles.size());
}

QVariant SortableRowModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(m_titles.size()))
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return m_titles[section];
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_alignments[section] | Qt::AlignVCenter);
    return {};
}

bool SortableRowModel::SortRows(const RowCompare& compare)
{
    const std::vector<int> order = SortedOrder(compare);
    if (order.empty())
        return false;
    ApplyOrder(order);
    return true;
}

std::vector<int> SortableRowModel::SortedOrder(const RowCompare& compare) const
{
    const int count = rowCount();
    // Rows already in order (a re-sort after a refresh, rows added in order) cost one
    // comparison each and no layout change.
    if (count < 2 || !compare || InOrder(compare))
        return {};

    std::vector<int> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&compare](int a, int b) { return compare(a, b) < 0; });
    return order;
}

bool SortableRowModel::InOrder(const RowCompare& compare) const
{
    const int count = rowCount();
    for (int row = 1; row < count; ++row) {
        if (compare(row - 1, row) > 0)
            return false;
    }
    return true;
}

std::vector<int> SortableRowModel::ApplyOrder(const std::vector<int>& order)
{
    const int count = static_cast<int>(order.size());
    if (count != rowCount())
        return {};
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);

    PermuteRows(order);

    std::vector<int> newRowOf(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        newRowOf[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])] = i;

    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& index : from) {
        const int oldRow = index.row();
        if (oldRow < 0 || oldRow >= count)
            to.append(index);
        else
            to.append(this->index(newRowOf[static_cast<std::size_t>(oldRow)], index.column()));
    }
    changePersistentIndexList(from, to);

    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    return newRowOf;
}

} // namespace bivora
