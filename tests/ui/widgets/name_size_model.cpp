#include "name_size_model.h"

#include "base/sort_param.h"
#include "ui/commands/command_ids.h"

#include <QIcon>
#include <QPixmap>

namespace bivora::test {

NameSizeModel::NameSizeModel()
{
    connect(this, &QAbstractItemModel::modelReset, this, [this] { ++m_resets; });
    connect(this, &QAbstractItemModel::layoutChanged, this, [this] { ++m_layoutChanges; });
}

void NameSizeModel::Append(const QString& name, int size)
{
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    m_rows.push_back(Row{name, size, row});
    endInsertRows();
}

void NameSizeModel::Clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

int NameSizeModel::RowOfId(int id) const
{
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].id == id)
            return static_cast<int>(i);
    }
    return -1;
}

std::vector<QString> NameSizeModel::Names() const
{
    std::vector<QString> names;
    for (const Row& row : m_rows)
        names.push_back(row.name);
    return names;
}

std::vector<int> NameSizeModel::Ids() const
{
    std::vector<int> ids;
    for (const Row& row : m_rows)
        ids.push_back(row.id);
    return ids;
}

bool NameSizeModel::IsConsistent() const
{
    std::vector<bool> seen(m_rows.size(), false);
    for (const Row& row : m_rows) {
        if (row.id < 0 || row.id >= static_cast<int>(m_rows.size()) || seen[static_cast<std::size_t>(row.id)])
            return false;
        seen[static_cast<std::size_t>(row.id)] = true;
    }
    return rowCount() == static_cast<int>(m_rows.size());
}

int NameSizeModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant NameSizeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DecorationRole && index.column() == 0) {
        static const QIcon icon = [] {
            QPixmap pixmap(16, 16);
            pixmap.fill(Qt::darkCyan);
            return QIcon(pixmap);
        }();
        return icon;
    }
    if (role != Qt::DisplayRole)
        return {};
    const Row& row = At(index.row());
    return index.column() == 0 ? QVariant(row.name) : QVariant(QString::number(row.size));
}

void NameSizeModel::PermuteRows(const std::vector<int>& newOrder)
{
    std::vector<Row> rows;
    rows.reserve(m_rows.size());
    for (int from : newOrder)
        rows.push_back(std::move(m_rows[static_cast<std::size_t>(from)]));
    m_rows = std::move(rows);
}

int CompareNameSize(const NameSizeModel& model, int rowA, int rowB, std::uint32_t param)
{
    const NameSizeModel::Row& a = model.At(rowA);
    const NameSizeModel::Row& b = model.At(rowB);
    int result = a.name.compare(b.name, Qt::CaseInsensitive);
    if (SortParamKey(param) == cmd::kSortBySize && a.size != b.size)
        result = a.size < b.size ? -1 : 1;
    result = result < 0 ? -1 : (result > 0 ? 1 : 0);
    return SortParamAscending(param) ? result : -result;
}

} // namespace bivora::test
