#include "ui/pane/pane_model.h"

#include "ui/commands/byte_text.h"

#include "base/sort_param.h"
#include "base/text_forms.h"
#include "shell/shell_item.h"
#include "ui/commands/command_ids.h"
#include "ui/platform/icon_cache.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPalette>

#include <algorithm>
#include <unordered_set>

namespace bivora {

// The row order numbers its keys as the sort commands that choose them.
static_assert(sort_key::kName == cmd::kSortByName && sort_key::kType == cmd::kSortByType
              && sort_key::kSize == cmd::kSortBySize && sort_key::kDate == cmd::kSortByDate);

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
    connect(&m_icons, &IconCache::IconsFound, this, &PaneModel::UpdateWaitingIcons);
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
        row.size = Made(FromBytes(SizeColumnText(row.item->IsFolder(false), row.item->IsFileSystem(), row.item->size)));
    return row.size;
}

const QString& PaneModel::DateText(const Row& row) const
{
    if (row.date.isNull())
        row.date = Made(FromBytes(DateTimeText(row.item->Time(m_dateKind))));
    return row.date;
}

QVariant PaneModel::Icon(const Row& row) const
{
    if (row.icon == kIconNotAsked) {
        // asked once per row; a row whose type is still being read asks again
        row.icon = m_icons.IconIndex(*row.item, &row.iconWaiting);
        row.link = row.item->IsLink();
    }
    if (row.icon < 0)
        return {};
    return m_icons.Icon(row.icon, row.link);
}

void PaneModel::UpdateWaitingIcons()
{
    const int count = static_cast<int>(m_rows.size());
    int first = -1;
    for (int i = 0; i <= count; ++i) {
        bool changed = false;
        if (i < count) {
            const Row& row = m_rows[static_cast<std::size_t>(i)];
            if (row.iconWaiting && row.icon != kIconNotAsked) {
                const int before = row.icon;
                row.icon = m_icons.IconIndex(*row.item, &row.iconWaiting);
                changed = row.icon != before;
            }
        }
        if (changed && first < 0)
            first = i;
        if (!changed && first >= 0) {
            Q_EMIT dataChanged(index(first, kNameColumn), index(i - 1, kNameColumn), {Qt::DecorationRole});
            first = -1;
        }
    }
}

QVariant PaneModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(m_rows.size()))
        return {};
    const Row& row = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::EditRole:
        return index.column() == kNameColumn ? QVariant(NameText(row)) : QVariant();
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
        if (index.column() != kNameColumn)
            return {};
        if (row.cut) {
            // the icon's own dimmed look, in both list sizes
            const QVariant icon = Icon(row);
            if (!icon.isValid())
                return icon;
            const QIcon normal = icon.value<QIcon>();
            QIcon dimmed;
            for (const int size : {16, 32})
                dimmed.addPixmap(normal.pixmap(QSize(size, size), QIcon::Disabled));
            return dimmed;
        }
        return Icon(row);
    case Qt::ForegroundRole:
        if (row.dropHighlight)
            return QGuiApplication::palette().brush(QPalette::Active, QPalette::HighlightedText);
        if (row.cut)
            return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
        return {};
    case Qt::BackgroundRole:
        if (row.dropHighlight)
            return QGuiApplication::palette().brush(QPalette::Active, QPalette::Highlight);
        return {};
    default:
        return {};
    }
}

Qt::ItemFlags PaneModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = SortableRowModel::flags(index);
    if (index.isValid() && index.column() == kNameColumn)
        flags |= Qt::ItemIsEditable;
    return flags;
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

void PaneModel::SetRowItem(int row, ShellItem* item)
{
    if (row < 0 || row >= static_cast<int>(m_rows.size()) || !item)
        return;
    Row& entry = m_rows[static_cast<std::size_t>(row)];
    entry = Row();
    entry.item = item;
    // the gathered keys hold the old name
    ForgetSortKeys();
    Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void PaneModel::SetDateKind(DateKind dateKind)
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

void PaneModel::RowLookChanged(int row)
{
    Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1),
                       {Qt::DecorationRole, Qt::ForegroundRole, Qt::BackgroundRole});
}

void PaneModel::SetCutRows(const std::vector<int>& rows)
{
    const int count = static_cast<int>(m_rows.size());
    std::vector<bool> cut(m_rows.size(), false);
    for (const int row : rows) {
        if (row >= 0 && row < count)
            cut[static_cast<std::size_t>(row)] = true;
    }
    for (int i = 0; i < count; ++i) {
        Row& entry = m_rows[static_cast<std::size_t>(i)];
        if (entry.cut != cut[static_cast<std::size_t>(i)]) {
            entry.cut = cut[static_cast<std::size_t>(i)];
            RowLookChanged(i);
        }
    }
}

bool PaneModel::IsCut(int row) const
{
    return row >= 0 && row < static_cast<int>(m_rows.size()) && m_rows[static_cast<std::size_t>(row)].cut;
}

void PaneModel::SetDropHighlight(int row)
{
    const int count = static_cast<int>(m_rows.size());
    if (row >= count)
        row = -1;
    const int before = DropHighlightRow();
    if (before == row)
        return;
    if (before >= 0) {
        m_rows[static_cast<std::size_t>(before)].dropHighlight = false;
        RowLookChanged(before);
    }
    if (row >= 0) {
        m_rows[static_cast<std::size_t>(row)].dropHighlight = true;
        RowLookChanged(row);
    }
}

int PaneModel::DropHighlightRow() const
{
    const auto found = std::find_if(m_rows.begin(), m_rows.end(), [](const Row& row) { return row.dropHighlight; });
    return found == m_rows.end() ? -1 : static_cast<int>(found - m_rows.begin());
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
    if (keys.Size() != m_rows.size() || keys.Kind() != m_dateKind)
        return;
    m_sortKeys = std::move(keys);
    m_sortKeysValid = true;
}

int PaneModel::CompareRows(int rowA, int rowB, std::uint32_t sortParam) const
{
    if (!m_sortKeysValid) {
        m_sortKeys.Build(m_rows, m_dateKind, [](const Row& row) { return row.item->Key(); });
        m_sortKeysValid = true;
    }
    return m_sortKeys.Compare(static_cast<std::size_t>(rowA), static_cast<std::size_t>(rowB), sortParam);
}

std::vector<int> PaneModel::OrderRows(std::uint32_t sortParam) const
{
    if (!m_sortKeysValid) {
        m_sortKeys.Build(m_rows, m_dateKind, [](const Row& row) { return row.item->Key(); });
        m_sortKeysValid = true;
    }
    return m_sortKeys.Order(sortParam);
}

} // namespace bivora
