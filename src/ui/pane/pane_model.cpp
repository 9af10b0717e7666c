#include "ui/pane/pane_model.h"

#include "ui/commands/byte_text.h"

#include "shell/shell_item.h"
#include "ui/platform/icon_cache.h"

#include <QIcon>

#include <algorithm>
#include <unordered_set>

namespace bivora {

namespace {

// A made text is never null, so an empty text stays "made".
QString Made(QString text)
{
    if (text.isNull())
        text = QLatin1String("");
    return text;
}

} // namespace

PaneModel::PaneModel(IconCache& icons, QObject* parent)
    : SortableRowModel(parent)
    , m_icons(icons)
{
}

int PaneModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

const QString& PaneModel::NameText(const Row& row) const
{
    if (row.name.isNull())
        row.name = Made(FromBytes(row.item->DisplayName()));
    return row.name;
}

const QString& PaneModel::SizeText(const Row& row) const
{
    if (row.size.isNull())
        row.size = Made(FromBytes(row.item->SizeText()));
    return row.size;
}

const QString& PaneModel::DateText(const Row& row) const
{
    if (row.date.isNull())
        row.date = Made(FromBytes(row.item->DateText(m_dateKind)));
    return row.date;
}

QVariant PaneModel::Icon(const Row& row) const
{
    if (row.icon == kIconNotAsked) {
        // asked once per row
        row.icon = m_icons.IconIndex(*row.item);
        row.link = row.item->IsLink();
    }
    if (row.icon < 0)
        return {};
    return m_icons.Icon(row.icon, row.link);
}

QVariant PaneModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(m_rows.size()))
        return {};
    const Row& row = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        switch (index.column()) {
        case kNameColumn:
            return NameText(row);
        case kSizeColumn:
            return SizeText(row);
        case kDateColumn:
            return DateText(row);
        default:
            return {};
        }
    case Qt::DecorationRole:
        return index.column() == kNameColumn ? Icon(row) : QVariant();
    default:
        return {};
    }
}

ShellItem* PaneModel::ItemAt(int row) const
{
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return nullptr;
    return m_rows[static_cast<std::size_t>(row)].item;
}

int PaneModel::RowOf(const ShellItem* item) const
{
    const auto found = std::find_if(m_rows.begin(), m_rows.end(), [item](const Row& row) { return row.item == item; });
    return found == m_rows.end() ? -1 : static_cast<int>(found - m_rows.begin());
}

std::unordered_map<const ShellItem*, int> PaneModel::RowIndex() const
{
    std::unordered_map<const ShellItem*, int> index;
    index.reserve(m_rows.size());
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        index.emplace(m_rows[i].item, static_cast<int>(i));
    return index;
}

void PaneModel::Clear()
{
    if (m_rows.empty())
        return;
    beginRemoveRows(QModelIndex(), 0, static_cast<int>(m_rows.size()) - 1);
    m_rows.clear();
    ForgetSortKeys();
    endRemoveRows();
}

int PaneModel::AppendRows(const std::vector<ShellItem*>& items)
{
    const int first = static_cast<int>(m_rows.size());
    if (items.empty())
        return first;
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(items.size()) - 1);
    ForgetSortKeys();
    m_rows.reserve(m_rows.size() + items.size());
    for (ShellItem* item : items) {
        Row row;
        row.item = item;
        m_rows.push_back(std::move(row));
    }
    endInsertRows();
    return first;
}

void PaneModel::RemoveRows(std::vector<int> rows)
{
    const int count = static_cast<int>(m_rows.size());
    std::erase_if(rows, [count](int row) { return row < 0 || row >= count; });
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // from the bottom up, so the rows still to go keep their numbers
    std::size_t end = rows.size();
    while (end > 0) {
        std::size_t begin = end - 1;
        while (begin > 0 && rows[begin - 1] == rows[begin] - 1)
            --begin;
        const int first = rows[begin];
        const int last = rows[end - 1];
        beginRemoveRows(QModelIndex(), first, last);
        m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
        ForgetSortKeys();
        endRemoveRows();
        end = begin;
    }
}

void PaneModel::RowChanged(int row)
{
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return;
    Row& entry = m_rows[static_cast<std::size_t>(row)];
    entry.size = QString();
    entry.date = QString();
    // a record that became a folder or a link looks different as well
    entry.icon = kIconNotAsked;
    ForgetSortKeys();
    Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void PaneModel::SetDateKind(int dateKind)
{
    if (dateKind == m_dateKind)
        return;
    m_dateKind = dateKind;
    ForgetSortKeys();
    for (Row& row : m_rows)
        row.date = QString();
    if (!m_rows.empty())
        Q_EMIT dataChanged(index(0, kDateColumn), index(static_cast<int>(m_rows.size()) - 1, kDateColumn));
}

QString PaneModel::SizeText(int row) const
{
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return {};
    return SizeText(m_rows[static_cast<std::size_t>(row)]);
}

QString PaneModel::DateText(int row) const
{
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return {};
    return DateText(m_rows[static_cast<std::size_t>(row)]);
}

bool PaneModel::IsConsistent() const
{
    std::unordered_set<const ShellItem*> seen;
    for (const Row& row : m_rows) {
        if (!row.item || !seen.insert(row.item).second)
            return false;
    }
    return true;
}

void PaneModel::PermuteRows(const std::vector<int>& newOrder)
{
    std::vector<Row> reordered;
    reordered.reserve(m_rows.size());
    for (const int from : newOrder)
        reordered.push_back(std::move(m_rows[static_cast<std::size_t>(from)]));
    m_rows = std::move(reordered);
    // the keys move with their rows: a re-sort needs no new gathering
    if (m_sortKeysValid)
        m_sortKeys.Permute(newOrder);
}

void PaneModel::SetSortKeys(RowSortKeys keys)
{
    if (keys.Size() != m_rows.size() || keys.DateKind() != m_dateKind)
        return;
    m_sortKeys = std::move(keys);
    m_sortKeysValid = true;
}

int PaneModel::CompareRows(int rowA, int rowB, std::uint32_t sortParam) const
{
    if (!m_sortKeysValid) {
        std::vector<ShellItem*> items;
        items.reserve(m_rows.size());
        for (const Row& row : m_rows)
            items.push_back(row.item);
        m_sortKeys.Build(items, m_dateKind);
        m_sortKeysValid = true;
    }
    return m_sortKeys.Compare(static_cast<std::size_t>(rowA), static_cast<std::size_t>(rowB), sortParam);
}

} // namespace bivora
