#include "name_size_model.h"

#include "base/settings_store.h"
#include "ui/widgets/sort_list_ctrl.h"
#include "ui/commands/command_ids.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QTest>
#include <QTreeView>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>
#include <numeric>

namespace bivora::test {
namespace {

const std::string kSection = "Test Pane Settings";
const std::vector<int> kDefaultWidths{150, 70, 120};

class SortListCtrlTest : public ::testing::Test {
protected:
    std::unique_ptr<SortListCtrl> Make()
    {
        auto ctrl = std::make_unique<SortListCtrl>(model, store, [this] { return saveAllowed; });
        EXPECT_TRUE(ctrl->MakeColumns({QStringLiteral("Name"), QStringLiteral("Size"), QStringLiteral("Modified")},
                                      kDefaultWidths, {Qt::AlignLeft, Qt::AlignRight, Qt::AlignLeft}, kSection));
        ctrl->AttachSorting([this](int a, int b, std::uint32_t param) { return CompareNameSize(model, a, b, param); },
                            {cmd::kSortByName, cmd::kSortBySize, cmd::kSortByDate});
        ctrl->RestoreViewStyle();
        ctrl->SetClock([this] { return now; });
        ctrl->SetBeep([this] { ++beeps; });
        return ctrl;
    }

    void Fill(const std::vector<std::pair<const char*, int>>& rows)
    {
        for (const auto& [name, size] : rows)
            model.Append(QString::fromUtf8(name), size);
    }

    std::vector<int> ColumnWidths(const SortListCtrl& ctrl) const
    {
        std::vector<int> widths;
        const QHeaderView* header = ctrl.DetailsView()->header();
        for (int i = 0; i < header->count(); ++i)
            widths.push_back(header->sectionSize(i));
        return widths;
    }

    std::vector<int> SelectedIds(const SortListCtrl& ctrl) const
    {
        std::vector<int> ids;
        for (const QModelIndex& index : ctrl.SelectionModel()->selectedRows(0))
            ids.push_back(model.At(index.row()).id);
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    MemorySettingsStore store;
    NameSizeModel model;
    bool saveAllowed = true;
    std::int64_t now = 100000;
    int beeps = 0;
};

TEST_F(SortListCtrlTest, StoredColumnWidthsAreCheckedEntryByEntry)
{
    const int screenWidth = QGuiApplication::primaryScreen()->size().width();
    const QString tooWide = QString::number(screenWidth + 1);
    saveAllowed = false;
    // what a first start gives; a refused entry falls back to its column's value of it
    const std::vector<int> first = ColumnWidths(*Make());
    struct Case {
        const char* name;
        std::optional<QString> stored;
        std::vector<int> expected;
    };
    const std::vector<Case> cases{
        {"all good", QStringLiteral("200,80,90"), {200, 80, 90}},
        {"one entry too few", QStringLiteral("200,80"), first},
        {"one entry too many", QStringLiteral("200,80,90,100"), first},
        {"entry of 5", QStringLiteral("200,5,90"), {200, first[1], 90}},
        {"entry wider than the screen", QStringLiteral("200,80,") + tooWide, {200, 80, first[2]}},
        {"screen width itself", QStringLiteral("10,80,") + QString::number(screenWidth), {10, 80, screenWidth}},
        {"garbage entries", QStringLiteral("wide,-40,"), first},
        {"small stored widths stay small", QStringLiteral("150,70,120"), kDefaultWidths},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemorySettingsStore fresh;
        store = fresh;
        if (c.stored)
            store.WriteString(kSection, "szColumnWidths", c.stored->toStdString());
        auto ctrl = Make();
        EXPECT_EQ(ColumnWidths(*ctrl), c.expected);
    }
}

TEST_F(SortListCtrlTest, DefaultWidthsGrowWithTheFontAndKeepTheirProportions)
{
    saveAllowed = false;
    const QFont original = QApplication::font();
    std::vector<int> sizeWidths;
    for (const int pixelSize : {6, 13, 20}) {
        SCOPED_TRACE(pixelSize);
        QFont font = original;
        font.setPixelSize(pixelSize);
        QApplication::setFont(font);
        const std::vector<int> widths = ColumnWidths(*Make());
        for (std::size_t i = 0; i < widths.size(); ++i) {
            EXPECT_GE(widths[i], kDefaultWidths[i]) << "defaults never shrink";
            EXPECT_NEAR(double(widths[i]) / widths[1], double(kDefaultWidths[i]) / kDefaultWidths[1], 0.05);
        }
        sizeWidths.push_back(widths[1]);
    }
    QApplication::setFont(original);
    EXPECT_EQ(sizeWidths.front(), kDefaultWidths[1]) << "a font smaller than the defaults' keeps them";
    EXPECT_LT(sizeWidths[1], sizeWidths[2]);
}

TEST_F(SortListCtrlTest, StoredSortAndViewValuesOutsideTheirRangeReadAsDefaults)
{
    struct Case {
        std::int32_t sortBy;
        std::int32_t viewStyle;
        int expectedKey;
        int expectedStyle;
    };
    const std::vector<Case> cases{
        {32775, 7, cmd::kSortByType, cmd::kList},
        {32782, 59407, cmd::kSortByType, cmd::kList},
        {-1, 59412, cmd::kSortByType, cmd::kList},
        {cmd::kUnsorted, cmd::kSmallIcons, cmd::kUnsorted, cmd::kSmallIcons},
        {cmd::kSortByFolder, cmd::kDetails, cmd::kSortByFolder, cmd::kDetails},
    };
    saveAllowed = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sortBy);
        store.WriteInt(kSection, "nSortBy", c.sortBy);
        store.WriteInt(kSection, "nViewStyle", c.viewStyle);
        store.WriteInt(kSection, "bSortAscending", 0);
        auto ctrl = Make();
        EXPECT_EQ(ctrl->SortKey(), c.expectedKey);
        EXPECT_EQ(ctrl->ViewStyle(), c.expectedStyle);
        EXPECT_FALSE(ctrl->Ascending());
        const bool details = c.expectedStyle == cmd::kDetails;
        EXPECT_EQ(ctrl->CurrentView(), details ? static_cast<QAbstractItemView*>(ctrl->DetailsView())
                                               : static_cast<QAbstractItemView*>(ctrl->IconView()));
    }
}

TEST_F(SortListCtrlTest, SettingsAreWrittenAtDestructionOnlyWhenAllowed)
{
    store.WriteString(kSection, "szColumnWidths", "111,22,33");
    {
        auto ctrl = Make();
        ctrl->OnCommand(cmd::kSortBySize);
        ctrl->OnCommand(cmd::kAscending);
        ctrl->DetailsView()->header()->resizeSection(0, 300);
        saveAllowed = false;
        store.ClearWriteLog();
    }
    EXPECT_TRUE(store.Writes().empty());

    // list view: everything but the widths, so the widths stored earlier survive
    saveAllowed = true;
    store.ClearWriteLog();
    {
        auto ctrl = Make();
        ctrl->OnCommand(cmd::kSortBySize);
        ctrl->OnCommand(cmd::kAscending);
        ctrl->OnCommand(cmd::kLargeIcons);
    }
    EXPECT_EQ(store.GetInt(kSection, "nSortBy", 0), cmd::kSortBySize);
    EXPECT_EQ(store.GetInt(kSection, "bSortAscending", 7), 0);
    EXPECT_EQ(store.GetInt(kSection, "nViewStyle", 0), cmd::kLargeIcons);
    EXPECT_EQ(store.GetString(kSection, "szColumnWidths"), "111,22,33");
    EXPECT_EQ(store.Writes().size(), 3u);

    // details view: the current widths of all columns as well
    {
        auto ctrl = Make();
        EXPECT_EQ(ctrl->SortKey(), cmd::kSortBySize);
        EXPECT_FALSE(ctrl->Ascending());
        EXPECT_EQ(ctrl->ViewStyle(), cmd::kLargeIcons);
        ctrl->OnCommand(cmd::kDetails);
        ctrl->DetailsView()->header()->resizeSection(2, 250);
    }
    EXPECT_EQ(store.GetString(kSection, "szColumnWidths"), "111,22,250");
    EXPECT_EQ(store.GetInt(kSection, "nViewStyle", 0), cmd::kDetails);
}

TEST_F(SortListCtrlTest, ColumnClickTurnsAnAscendingColumnAndSortsOthersAscending)
{
    // in name order the sizes run downwards
    Fill({{"d", 1}, {"b", 3}, {"a", 4}, {"c", 2}});
    auto ctrl = Make();
    ctrl->OnCommand(cmd::kSortByName);
    ASSERT_EQ(model.Names(), (std::vector<QString>{"a", "b", "c", "d"}));
    ASSERT_TRUE(ctrl->Ascending());

    ctrl->OnCommand(cmd::kDetails);
    ctrl->resize(500, 300);
    ctrl->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ctrl.get()));
    QHeaderView* header = ctrl->DetailsView()->header();
    const auto clickColumn = [&](int column) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    };

    EXPECT_TRUE(header->isSortIndicatorShown());
    EXPECT_EQ(header->sortIndicatorSection(), 0);
    clickColumn(0);
    EXPECT_EQ(model.Names(), (std::vector<QString>{"d", "c", "b", "a"}));
    EXPECT_FALSE(ctrl->Ascending());
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    clickColumn(0);
    EXPECT_EQ(model.Names(), (std::vector<QString>{"a", "b", "c", "d"}));
    EXPECT_TRUE(ctrl->Ascending());
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);

    // sizes run descending in name order: any arrangement but ascending sorts ascending
    clickColumn(1);
    EXPECT_EQ(ctrl->SortKey(), cmd::kSortBySize);
    EXPECT_TRUE(ctrl->Ascending());
    EXPECT_EQ(model.Names(), (std::vector<QString>{"d", "c", "b", "a"}));
    EXPECT_EQ(header->sortIndicatorSection(), 1);
    clickColumn(1);
    EXPECT_EQ(model.Names(), (std::vector<QString>{"a", "b", "c", "d"}));
    EXPECT_FALSE(ctrl->Ascending());
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_TRUE(model.IsConsistent());
    EXPECT_EQ(model.Resets(), 0);

    // a key without a column of its own shows no arrow
    ctrl->OnCommand(cmd::kSortByType);
    EXPECT_FALSE(header->isSortIndicatorShown());
}

TEST_F(SortListCtrlTest, ColumnClickLooksAtTheWholeColumn)
{
    using Names = std::vector<QString>;
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, int>> rows;
        Names first;  // after one click on the name column
        Names second; // after another
    };
    const std::vector<Case> cases{
        {"two rows out of order", {{"b", 1}, {"a", 2}}, {"a", "b"}, {"b", "a"}},
        {"two rows in order", {{"a", 1}, {"b", 2}}, {"b", "a"}, {"a", "b"}},
        {"a sorted start over unsorted rows", {{"a", 1}, {"b", 1}, {"d", 1}, {"c", 1}}, {"a", "b", "c", "d"},
         {"d", "c", "b", "a"}},
        {"descending but for the last pair", {{"d", 1}, {"c", 1}, {"a", 1}, {"b", 1}}, {"a", "b", "c", "d"},
         {"d", "c", "b", "a"}},
        {"equal names then one out of order", {{"a", 1}, {"A", 2}, {"b", 1}, {"a", 3}}, {"a", "A", "a", "b"},
         {"b", "a", "A", "a"}},
    };
    saveAllowed = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        model.Clear();
        Fill(c.rows);
        auto ctrl = Make();
        ctrl->ColumnClick(0);
        EXPECT_EQ(model.Names(), c.first);
        EXPECT_EQ(ctrl->SortKey(), cmd::kSortByName);
        ctrl->ColumnClick(0);
        EXPECT_EQ(model.Names(), c.second);
    }
}

TEST_F(SortListCtrlTest, ColumnClickOnEqualRowsChangesOnlyTheKey)
{
    Fill({{"b", 7}, {"a", 7}, {"c", 7}});
    auto ctrl = Make();
    // sizes only, so the rows are really equal under the clicked column
    ctrl->AttachSorting([this](int a, int b, std::uint32_t) { return model.At(a).size - model.At(b).size; },
                        {cmd::kSortByName, cmd::kSortBySize, cmd::kSortByDate});
    ctrl->OnCommand(cmd::kAscending);
    const int layoutsBefore = model.LayoutChanges();

    ctrl->ColumnClick(1);
    EXPECT_EQ(ctrl->SortKey(), cmd::kSortBySize);
    EXPECT_FALSE(ctrl->Ascending());
    EXPECT_EQ(model.Names(), (std::vector<QString>{"b", "a", "c"}));
    EXPECT_EQ(model.LayoutChanges(), layoutsBefore);

    // a single row: the key changes all the same
    NameSizeModel one;
    one.Append(QStringLiteral("x"), 1);
    SortListCtrl single(one, store, nullptr);
    single.MakeColumns({QStringLiteral("Name"), QStringLiteral("Size")}, {100, 50}, {Qt::AlignLeft, Qt::AlignRight},
                       kSection);
    single.AttachSorting([](int, int, std::uint32_t) { return 1; }, {cmd::kSortByName, cmd::kSortBySize});
    single.ColumnClick(0);
    EXPECT_EQ(single.SortKey(), cmd::kSortByName);
}

TEST_F(SortListCtrlTest, SortAndViewCommandsThroughTheRouter)
{
    Fill({{"b", 1}, {"c", 3}, {"a", 2}});
    auto ctrl = Make();
    CommandRouter router([&] { return std::vector<CommandTarget*>{ctrl.get()}; });

    EXPECT_TRUE(router.Execute(cmd::kSortBySize));
    EXPECT_EQ(model.Names(), (std::vector<QString>{"b", "a", "c"}));
    for (int id = cmd::kUnsorted; id <= cmd::kSortByFolder; ++id)
        EXPECT_EQ(router.Update(id).checked, id == cmd::kSortBySize) << id;
    EXPECT_TRUE(router.Update(cmd::kAscending).checked);

    EXPECT_TRUE(router.Execute(cmd::kAscending));
    EXPECT_EQ(model.Names(), (std::vector<QString>{"c", "a", "b"}));
    EXPECT_FALSE(router.Update(cmd::kAscending).checked);
    EXPECT_TRUE(router.Update(cmd::kAscending).enabled);

    // unsorted: the order stays and the direction cannot be changed
    EXPECT_TRUE(router.Execute(cmd::kUnsorted));
    EXPECT_EQ(model.Names(), (std::vector<QString>{"c", "a", "b"}));
    EXPECT_FALSE(router.Update(cmd::kAscending).enabled);
    EXPECT_FALSE(router.Execute(cmd::kAscending));
    EXPECT_FALSE(ctrl->Ascending());

    EXPECT_TRUE(router.Execute(cmd::kSortByName));
    EXPECT_EQ(model.Names(), (std::vector<QString>{"c", "b", "a"}));

    for (int style : {cmd::kSmallIcons, cmd::kLargeIcons, cmd::kDetails, cmd::kList}) {
        EXPECT_TRUE(router.Execute(style));
        for (int id = cmd::kSmallIcons; id <= cmd::kDetails; ++id)
            EXPECT_EQ(router.Update(id).checked, id == style) << style << " " << id;
    }
    EXPECT_FALSE(ctrl->OnCommand(cmd::kRefresh));
    CommandState state;
    EXPECT_FALSE(ctrl->OnUpdateCommand(cmd::kSortAgain, state));
    EXPECT_TRUE(model.IsConsistent());
}

TEST_F(SortListCtrlTest, InsertTogglesTheFocusedRowAndMovesOn)
{
    Fill({{"a", 1}, {"b", 2}, {"c", 3}});
    auto ctrl = Make();
    QWidget* view = ctrl->CurrentView();

    QTest::keyClick(view, Qt::Key_Insert);
    EXPECT_EQ(ctrl->FocusedRow(), 0);
    EXPECT_TRUE(SelectedIds(*ctrl).empty());

    QTest::keyClick(view, Qt::Key_Insert);
    EXPECT_EQ(ctrl->FocusedRow(), 1);
    EXPECT_EQ(SelectedIds(*ctrl), std::vector<int>{0});

    QTest::keyClick(view, Qt::Key_Insert);
    QTest::keyClick(view, Qt::Key_Insert);
    EXPECT_EQ(ctrl->FocusedRow(), 2);
    EXPECT_EQ(SelectedIds(*ctrl), (std::vector<int>{0, 1, 2}));

    // the last row: toggled off again, the focus stays
    QTest::keyClick(view, Qt::Key_Insert);
    EXPECT_EQ(ctrl->FocusedRow(), 2);
    EXPECT_EQ(SelectedIds(*ctrl), (std::vector<int>{0, 1}));
}

TEST_F(SortListCtrlTest, ShiftLettersJumpToNamesByExtension)
{
    Fill({{"readme", 1}, {"a.doc", 1}, {"notes.tx", 1}, {"log.tar", 1}, {"old.TX", 1}, {"x.Tx2", 1}});
    auto ctrl = Make();
    QWidget* view = ctrl->CurrentView();
    ctrl->SetRowState(0, 1);

    QTest::keyClick(view, Qt::Key_T, Qt::ShiftModifier);
    EXPECT_EQ(ctrl->FocusedRow(), 2); // ".T" in notes.tx
    now += 999;
    QTest::keyClick(view, Qt::Key_X, Qt::ShiftModifier);
    EXPECT_EQ(ctrl->FocusedRow(), 4); // ".TX" after notes.tx: old.TX
    EXPECT_EQ(SelectedIds(*ctrl), std::vector<int>{4});
    now += 500;
    QTest::keyClick(view, Qt::Key_2, Qt::ShiftModifier);
    EXPECT_EQ(ctrl->FocusedRow(), 4) << "digits are not part of the type-ahead";

    now += 10;
    QTest::keyClick(view, Qt::Key_T, Qt::ShiftModifier);
    EXPECT_EQ(beeps, 1) << "no name holds .TXT after old.TX, nor before it";
    EXPECT_EQ(ctrl->FocusedRow(), 4);
    EXPECT_EQ(SelectedIds(*ctrl), std::vector<int>{4});

    // after a pause a new buffer starts, and the search wraps once to the top
    now += 1001;
    QTest::keyClick(view, Qt::Key_D, Qt::ShiftModifier);
    EXPECT_EQ(ctrl->FocusedRow(), 1);
    EXPECT_EQ(SelectedIds(*ctrl), std::vector<int>{1});
    EXPECT_EQ(beeps, 1);

    // Ctrl is no type-ahead
    now += 10;
    QTest::keyClick(view, Qt::Key_T, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(ctrl->FocusedRow(), 1);
    EXPECT_EQ(beeps, 1);
}

TEST_F(SortListCtrlTest, KeysTheListDoesNotHandleGoToTheOwnerFirst)
{
    Fill({{"a", 1}, {"b", 2}});
    auto ctrl = Make();
    std::vector<int> keys;
    ctrl->SetKeyHandler([&](QKeyEvent& event) {
        if (event.key() != Qt::Key_Shift)
            keys.push_back(event.key());
        return event.key() == Qt::Key_Down;
    });
    ctrl->SetRowState(0, 0);
    QWidget* view = ctrl->CurrentView();
    QTest::keyClick(view, Qt::Key_Insert);
    QTest::keyClick(view, Qt::Key_A, Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(keys, (std::vector<int>{Qt::Key_Return, Qt::Key_Down}));
    EXPECT_EQ(ctrl->FocusedRow(), 1) << "Insert moved on; the consumed Down did not reach the view";
}

TEST_F(SortListCtrlTest, SetRowStateModes)
{
    Fill({{"a", 1}, {"b", 2}, {"c", 3}});
    auto ctrl = Make();
    ctrl->SetRowState(1, 1);
    ctrl->SetRowState(2, 1);
    EXPECT_EQ(SelectedIds(*ctrl), (std::vector<int>{1, 2}));
    EXPECT_EQ(ctrl->FocusedRow(), 2);
    ctrl->SetRowState(0, 5);
    EXPECT_EQ(ctrl->FocusedRow(), 0);
    EXPECT_EQ(SelectedIds(*ctrl), (std::vector<int>{1, 2}));
    ctrl->SetRowState(2, -1);
    EXPECT_EQ(SelectedIds(*ctrl), std::vector<int>{1});
    EXPECT_EQ(ctrl->FocusedRow(), 0);
    ctrl->SetRowState(7, 1);
    ctrl->SetRowState(1, -2);
    EXPECT_EQ(SelectedIds(*ctrl), std::vector<int>{1});
}

TEST_F(SortListCtrlTest, SelectionAndFocusSurviveSortsAndViewChanges)
{
    Fill({{"e", 5}, {"a", 1}, {"d", 4}, {"b", 2}, {"c", 3}});
    auto ctrl = Make();
    ctrl->resize(600, 300);
    ctrl->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ctrl.get()));

    // a click in the list view selects the whole row, as the details view shows it
    QListView* list = ctrl->IconView();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(model.index(2, 0)).center());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      list->visualRect(model.index(4, 0)).center());
    ASSERT_EQ(SelectedIds(*ctrl), (std::vector<int>{2, 4}));
    EXPECT_EQ(ctrl->SelectionModel()->selectedRows(2).size(), 2);

    ctrl->OnCommand(cmd::kSortByName);
    EXPECT_EQ(model.Names(), (std::vector<QString>{"a", "b", "c", "d", "e"}));
    EXPECT_EQ(SelectedIds(*ctrl), (std::vector<int>{2, 4}));
    EXPECT_EQ(model.At(ctrl->FocusedRow()).id, 4);

    ctrl->OnCommand(cmd::kDetails);
    EXPECT_EQ(SelectedIds(*ctrl), (std::vector<int>{2, 4}));
    EXPECT_EQ(model.At(ctrl->FocusedRow()).id, 4);

    // a click on the size cell of another row still focuses the row, in the name column
    QTreeView* details = ctrl->DetailsView();
    QTest::mouseClick(details->viewport(), Qt::LeftButton, {}, details->visualRect(model.index(0, 1)).center());
    EXPECT_EQ(SelectedIds(*ctrl), std::vector<int>{1});
    EXPECT_EQ(ctrl->SelectionModel()->currentIndex().column(), 0);

    ctrl->OnCommand(cmd::kAscending);
    ctrl->OnCommand(cmd::kList);
    EXPECT_EQ(model.At(ctrl->FocusedRow()).id, 1);
    EXPECT_EQ(ctrl->FocusedRow(), 4);
    EXPECT_EQ(ctrl->IconView()->currentIndex(), model.index(4, 0));
    EXPECT_EQ(SelectedIds(*ctrl), std::vector<int>{1});
    EXPECT_TRUE(model.IsConsistent());
    EXPECT_EQ(model.Resets(), 0);
}

TEST_F(SortListCtrlTest, SelectedRowsAreRowsSelectedInEveryColumnAndSurviveResorts)
{
    struct Range {
        int top, bottom, left, right;
    };
    struct Case {
        const char* what;
        std::vector<Range> ranges;
    };
    // rows of 3 columns; a row counts when its columns are covered, by one range or several
    const std::vector<Case> cases{
        {"nothing", {}},
        {"whole rows, overlapping and out of order", {{30, 39, 0, 2}, {3, 5, 0, 2}, {4, 12, 0, 2}, {0, 0, 0, 2}}},
        {"columns covered by several ranges", {{2, 2, 0, 1}, {2, 2, 2, 2}, {4, 6, 1, 2}, {5, 5, 0, 0}}},
        {"columns with a gap or a part missing", {{7, 7, 0, 0}, {7, 7, 2, 2}, {8, 9, 0, 1}, {10, 10, 1, 1}}},
        {"parts over whole rows", {{1, 3, 0, 2}, {2, 4, 1, 2}, {4, 4, 0, 0}, {20, 20, 0, 1}}},
    };
    for (int i = 0; i < 40; ++i)
        model.Append(QStringLiteral("name %1").arg((i * 17) % 40, 2, 10, QLatin1Char('0')), i % 7);
    auto ctrl = Make();
    QItemSelectionModel& selection = *ctrl->SelectionModel();
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        selection.clear();
        for (const Range& r : test.ranges)
            selection.select(QItemSelection(model.index(r.top, r.left), model.index(r.bottom, r.right)),
                             QItemSelectionModel::Select);
        // the selection model's own answer, slow for many ranges, is the reference
        std::vector<int> expected;
        for (const QModelIndex& index : selection.selectedRows(0))
            expected.push_back(index.row());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(ctrl->SelectedRows(), expected);
        std::vector<int> ids;
        for (const int row : expected)
            ids.push_back(model.At(row).id);
        std::sort(ids.begin(), ids.end());
        EXPECT_EQ(SelectedIds(*ctrl), ids);
    }

    // a whole block selected by size is scattered by a sort by name, and back; a cell
    // selected alone and the focused row go along
    selection.clear();
    ctrl->OnCommand(cmd::kSortBySize);
    selection.select(QItemSelection(model.index(5, 0), model.index(24, 2)), QItemSelectionModel::Select);
    selection.select(model.index(30, 1), QItemSelectionModel::Select);
    selection.setCurrentIndex(model.index(33, 0), QItemSelectionModel::NoUpdate);
    const int cellId = model.At(30).id;
    const int focusedId = model.At(33).id;
    std::vector<int> ids;
    for (const int row : ctrl->SelectedRows())
        ids.push_back(model.At(row).id);
    std::sort(ids.begin(), ids.end());
    ASSERT_EQ(ids.size(), 20u);
    for (const int command : {cmd::kSortByName, cmd::kAscending, cmd::kSortBySize, cmd::kSortByName}) {
        SCOPED_TRACE(command);
        ctrl->OnCommand(command);
        const std::vector<int> rows = ctrl->SelectedRows();
        std::vector<int> after;
        for (const int row : rows)
            after.push_back(model.At(row).id);
        std::sort(after.begin(), after.end());
        EXPECT_EQ(after, ids);
        EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));
        const int cellRow = model.RowOfId(cellId);
        EXPECT_TRUE(selection.isSelected(model.index(cellRow, 1)));
        EXPECT_FALSE(selection.isSelected(model.index(cellRow, 0)));
        EXPECT_EQ(model.At(ctrl->FocusedRow()).id, focusedId);
    }
    EXPECT_GT(ctrl->SelectionModel()->selection().size(), 2);
}

TEST_F(SortListCtrlTest, AnOrderingReplacesTheSortOnlyForRowsOutOfOrder)
{
    Fill({{"c", 1}, {"a", 3}, {"b", 2}});
    auto ctrl = Make();
    int asked = 0;
    std::size_t answerLength = 3;
    // the order by size, descending or not, as the comparison gives it
    ctrl->SetOrdering([&](std::uint32_t param) {
        ++asked;
        std::vector<int> order(answerLength);
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&](int a, int b) { return CompareNameSize(model, a, b, param) < 0; });
        return order;
    });
    ctrl->OnCommand(cmd::kSortBySize);
    EXPECT_EQ(model.Names(), (std::vector<QString>{"c", "b", "a"}));
    EXPECT_EQ(asked, 1);
    ctrl->OnCommand(cmd::kSortBySize); // in order already: nothing to ask
    EXPECT_EQ(asked, 1);
    answerLength = 2; // an answer that does not fit falls back to the comparison
    ctrl->OnCommand(cmd::kSortByName);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(model.Names(), (std::vector<QString>{"a", "b", "c"}));
    EXPECT_TRUE(model.IsConsistent());
}

TEST_F(SortListCtrlTest, DoubleClickOnEmptySpaceReportsNoRow)
{
    Fill({{"a", 1}});
    auto ctrl = Make();
    ctrl->OnCommand(cmd::kDetails);
    ctrl->resize(400, 300);
    ctrl->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ctrl.get()));
    std::vector<int> rows;
    QObject::connect(ctrl.get(), &SortListCtrl::RowDoubleClicked, [&](int row) { rows.push_back(row); });
    QTreeView* details = ctrl->DetailsView();
    QTest::mouseDClick(details->viewport(), Qt::LeftButton, {}, details->visualRect(model.index(0, 0)).center());
    QTest::mouseDClick(details->viewport(), Qt::LeftButton, {}, QPoint(20, details->viewport()->height() - 5));
    EXPECT_EQ(rows, (std::vector<int>{0, -1}));
}

TEST_F(SortListCtrlTest, ContextMenuByMouseOnEmptySpaceAndByShiftF10)
{
    Fill({{"a", 1}, {"b", 2}});
    auto ctrl = Make();
    ctrl->OnCommand(cmd::kDetails);
    ctrl->resize(400, 300);
    ctrl->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ctrl.get()));
    std::vector<bool> requests; // fromKeyboard of each
    QObject::connect(ctrl.get(), &SortListCtrl::ContextMenuRequested,
                     [&](const QPoint&, bool fromKeyboard) { requests.push_back(fromKeyboard); });
    QTreeView* details = ctrl->DetailsView();
    QWidget* viewport = details->viewport();
    const auto rightClick = [&](QPoint pos, Qt::KeyboardModifiers mods) {
        QTest::mousePress(viewport, Qt::RightButton, mods, pos);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, pos, viewport->mapToGlobal(pos), mods);
        QApplication::sendEvent(viewport, &menu);
        QTest::mouseRelease(viewport, Qt::RightButton, mods, pos);
    };
    const QPoint empty(20, viewport->height() - 5);
    ASSERT_FALSE(details->indexAt(empty).isValid());

    // on a selected row the selection stays, as it is what the menu is about
    ctrl->SetRowState(0, 1);
    ctrl->SetRowState(1, 1);
    rightClick(details->visualRect(model.index(1, 0)).center(), Qt::NoModifier);
    EXPECT_EQ(SelectedIds(*ctrl), (std::vector<int>{0, 1}));
    // Ctrl or Shift held keeps it on empty space too
    rightClick(empty, Qt::ControlModifier);
    EXPECT_EQ(SelectedIds(*ctrl), (std::vector<int>{0, 1}));
    rightClick(empty, Qt::NoModifier);
    EXPECT_TRUE(SelectedIds(*ctrl).empty());
    EXPECT_EQ(requests, (std::vector<bool>{false, false, false}));

    ctrl->SetRowState(0, 1);
    QTest::keyClick(details, Qt::Key_F10, Qt::ShiftModifier);
    QTest::keyClick(details, Qt::Key_F10); // plain F10 is the owner's
    EXPECT_EQ(requests, (std::vector<bool>{false, false, false, true}));
    EXPECT_EQ(SelectedIds(*ctrl), std::vector<int>{0});
}

TEST_F(SortListCtrlTest, FocusRectangleWithoutKeyboardFocus)
{
    Fill({{"a much longer name.txt", 1}, {"b", 2}});
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new QLineEdit(&window);
    layout->addWidget(edit);
    auto ctrl = Make();
    layout->addWidget(ctrl.get());
    window.resize(600, 400);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    EXPECT_TRUE(ctrl->FocusRectangle().isEmpty()) << "no focused row";
    ctrl->SetRowState(1, 0);
    ctrl->setFocus();
    ASSERT_TRUE(ctrl->CurrentView()->hasFocus());
    EXPECT_TRUE(ctrl->FocusRectangle().isEmpty()) << "the view draws its own while it has the focus";

    edit->setFocus();
    const QRect label = ctrl->FocusRectangle();
    const QRect item = ctrl->IconView()->visualRect(model.index(1, 0));
    const int textWidth = ctrl->IconView()->fontMetrics().horizontalAdvance(QStringLiteral("b")) + 3;
    EXPECT_EQ(label.width(), textWidth);
    EXPECT_TRUE(item.contains(label));
    EXPECT_GT(label.left(), item.left()) << "the label starts after the icon";

    // details: the part of the row right of the name, with or without the focus
    ctrl->OnCommand(cmd::kDetails);
    const QHeaderView* header = ctrl->DetailsView()->header();
    const QRect rest = ctrl->FocusRectangle();
    EXPECT_EQ(rest.left(), header->sectionSize(0));
    EXPECT_EQ(rest.right(), header->length() - 1);
    ctrl->setFocus();
    EXPECT_EQ(ctrl->FocusRectangle(), rest);
}

} // namespace
} // namespace bivora::test
