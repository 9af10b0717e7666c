#include "name_size_model.h"

#include "base/sort_param.h"
#include "ui/commands/command_ids.h"

#include <QItemSelectionModel>
#include <QPersistentModelIndex>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <random>

namespace bivora::test {
namespace {

std::uint32_t ByName(bool ascending) { return MakeSortParam(cmd::kSortByName, ascending); }
std::uint32_t BySize(bool ascending) { return MakeSortParam(cmd::kSortBySize, ascending); }

void Fill(NameSizeModel& model, const std::vector<std::pair<const char*, int>>& rows)
{
    for (const auto& [name, size] : rows)
        model.Append(QString::fromUtf8(name), size);
}

TEST(SortableRowModel, SortMovesRowsAndTheirPersistentIndexesWithoutReset)
{
    NameSizeModel model;
    model.SetColumns({QStringLiteral("Name"), QStringLiteral("Size")}, {Qt::AlignLeft, Qt::AlignRight});
    Fill(model, {{"delta", 4}, {"Alpha", 1}, {"charlie", 3}, {"bravo", 2}});
    const QPersistentModelIndex delta(model.index(0, 1));
    const QPersistentModelIndex bravo(model.index(3, 0));
    QSignalSpy aboutToChange(&model, &QAbstractItemModel::layoutAboutToBeChanged);

    ASSERT_TRUE(model.SortRows([&](int a, int b) { return CompareNameSize(model, a, b, ByName(true)); }));

    EXPECT_TRUE(model.IsConsistent());
    EXPECT_EQ(model.Names(), (std::vector<QString>{"Alpha", "bravo", "charlie", "delta"}));
    EXPECT_EQ(model.Resets(), 0);
    ASSERT_EQ(aboutToChange.count(), 1);
    EXPECT_EQ(aboutToChange.at(0).at(1).value<QAbstractItemModel::LayoutChangeHint>(),
              QAbstractItemModel::VerticalSortHint);
    EXPECT_EQ(model.LayoutChanges(), 1);
    EXPECT_EQ(delta.row(), 3);
    EXPECT_EQ(delta.column(), 1);
    EXPECT_EQ(bravo.row(), 1);
    EXPECT_EQ(bravo.data().toString(), QStringLiteral("bravo"));
}

TEST(SortableRowModel, UnchangedOrderEmitsNothing)
{
    NameSizeModel model;
    model.SetColumns({QStringLiteral("Name")}, {Qt::AlignLeft});
    Fill(model, {{"a", 1}, {"b", 2}, {"c", 3}});

    EXPECT_FALSE(model.SortRows([&](int a, int b) { return CompareNameSize(model, a, b, ByName(true)); }));
    EXPECT_EQ(model.LayoutChanges(), 0);

    NameSizeModel single;
    single.SetColumns({QStringLiteral("Name")}, {Qt::AlignLeft});
    single.Append(QStringLiteral("only"), 1);
    EXPECT_FALSE(single.SortRows([](int, int) { return 1; }));
    EXPECT_EQ(single.LayoutChanges(), 0);
}

TEST(SortableRowModel, EqualRowsKeepTheirOrder)
{
    NameSizeModel model;
    model.SetColumns({QStringLiteral("Name"), QStringLiteral("Size")}, {Qt::AlignLeft, Qt::AlignRight});
    Fill(model, {{"e", 2}, {"d", 1}, {"c", 2}, {"b", 1}, {"a", 2}});
    // sizes only, so that ties are real ties
    model.SortRows([&](int a, int b) { return model.At(a).size - model.At(b).size; });
    EXPECT_EQ(model.Names(), (std::vector<QString>{"d", "b", "e", "c", "a"}));
    EXPECT_TRUE(model.IsConsistent());
}

TEST(SortableRowModel, LargeListSortsAndKeepsSelectionAndCurrent)
{
    NameSizeModel model;
    model.SetColumns({QStringLiteral("Name"), QStringLiteral("Size")}, {Qt::AlignLeft, Qt::AlignRight});
    std::mt19937 random(7);
    std::uniform_int_distribution<int> sizes(0, 5000);
    constexpr int kRows = 100000;
    for (int i = 0; i < kRows; ++i)
        model.Append(QStringLiteral("file%1").arg(i), sizes(random));

    QItemSelectionModel selection(&model);
    const std::vector<int> chosen{5, 999, 12345, 77777};
    for (int row : chosen)
        selection.select(model.index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection.setCurrentIndex(model.index(42, 0), QItemSelectionModel::NoUpdate);

    model.SortRows([&](int a, int b) { return CompareNameSize(model, a, b, BySize(false)); });

    ASSERT_TRUE(model.IsConsistent());
    for (int row = 1; row < kRows; ++row)
        ASSERT_LE(CompareNameSize(model, row - 1, row, BySize(false)), 0) << "row " << row;
    EXPECT_EQ(model.At(selection.currentIndex().row()).id, 42);
    const QModelIndexList selected = selection.selectedRows(1);
    ASSERT_EQ(selected.size(), static_cast<qsizetype>(chosen.size()));
    std::vector<int> ids;
    for (const QModelIndex& index : selected)
        ids.push_back(model.At(index.row()).id);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, chosen);
}

TEST(SortableRowModel, ColumnsChangeAsRangesAndCarryTitlesAndAlignment)
{
    NameSizeModel model;
    model.Append(QStringLiteral("a"), 1);
    QSignalSpy inserted(&model, &QAbstractItemModel::columnsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::columnsRemoved);

    model.SetColumns({QStringLiteral("Name"), QStringLiteral("Size"), QStringLiteral("Modified")},
                     {Qt::AlignLeft, Qt::AlignRight, Qt::AlignLeft});
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(model.columnCount(), 3);
    EXPECT_EQ(Qt::Alignment(model.headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask,
              Qt::AlignRight);

    model.SetColumnTitle(2, QStringLiteral("Created"));
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Created"));

    model.SetColumns({QStringLiteral("Name")}, {});
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(model.columnCount(), 1);
    EXPECT_EQ(model.Resets(), 0);
    EXPECT_EQ(model.rowCount(), 1);
}

} // namespace
} // namespace bivora::test
