#include "pane_fixture.h"

#include "ui/commands/command_ids.h"
#include "ui/frame/pane_splitter.h"
#include "ui/widgets/sort_list_ctrl.h"

#include <QAbstractItemView>
#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLayout>
#include <QMenu>
#include <QTest>
#include <QTreeView>

#include <unistd.h>

namespace bivora::test {
namespace {

using Names = std::vector<std::string>;

// The list, the keys and the menus of a pane as a person meets them.
class PaneListTest : public PaneFixture {};

TEST_F(PaneListTest, ColumnClickSortsAscendingUnlessTheWholeColumnAlreadyIs)
{
    tree.MakeDir("data/a");
    tree.MakeDir("data/b");
    tree.MakeFile("data/z", "1");
    tree.MakeFile("data/y", "22");
    MakePanes(data, data);
    // by size: the two folders on top, then the files out of name order
    SortBy(*left, cmd::kSortBySize, true);
    ASSERT_EQ(RowNames(*left), (Names{"a", "b", "z", "y"}));
    SortBy(*right, cmd::kSortByName, false);
    const Names descending = RowNames(*right);

    left->List().ColumnClick(0);
    EXPECT_EQ(left->List().SortKey(), cmd::kSortByName);
    EXPECT_TRUE(left->List().Ascending());
    EXPECT_EQ(RowNames(*left), (Names{"a", "b", "y", "z"}));
    left->List().ColumnClick(0);
    EXPECT_FALSE(left->List().Ascending());
    EXPECT_EQ(RowNames(*left), descending);
    EXPECT_TRUE(left->IsConsistent());
}

TEST_F(PaneListTest, RightClickOnEmptySpaceOffersThePaneMenu)
{
    tree.MakeFile("data/a");
    tree.MakeFile("data/b");
    MakePanes(data, data);
    left->List().OnCommand(cmd::kDetails);
    Select(*left, {"a", "b"});
    QStringList offered;
    left->SetMenuChooser([&](QMenu& menu, const QPoint&) -> QAction* {
        for (QAction* action : menu.actions())
            offered << action->text();
        return nullptr;
    });
    QTreeView* details = left->List().DetailsView();
    QWidget* viewport = details->viewport();
    const QPoint empty(10, viewport->height() - 5);
    ASSERT_FALSE(details->indexAt(empty).isValid());
    QTest::mousePress(viewport, Qt::RightButton, {}, empty);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, empty, viewport->mapToGlobal(empty));
    QApplication::sendEvent(viewport, &menu);
    QTest::mouseRelease(viewport, Qt::RightButton, {}, empty);

    EXPECT_TRUE(SelectedNames(*left).empty());
    ASSERT_FALSE(offered.isEmpty());
    EXPECT_EQ(offered.front(), QStringLiteral("New &file"));
}

TEST_F(PaneListTest, PropertiesWithoutASelectionSayWhyByKeyAndByCommand)
{
    tree.MakeFile("data/a");
    MakePanes(data, data);
    left->List().SelectionModel()->clearSelection();
    ASSERT_FALSE(router.Update(cmd::kProperties).enabled);

    QTest::keyClick(left->List().CurrentView(), Qt::Key_F12);
    EXPECT_EQ(status.Last(), QStringLiteral("No property sheet for this selection"));
    EXPECT_TRUE(status.LastIsAlert());
    status.messages.clear();
    left->OnCommand(cmd::kProperties);
    EXPECT_EQ(status.Last(), QStringLiteral("No property sheet for this selection"));

    // with a selection the key shows the sheet
    Select(*left, {"a"});
    status.messages.clear();
    QTest::keyClick(left->List().CurrentView(), Qt::Key_F12);
    EXPECT_EQ(prompts.Texts(ScriptedPrompts::Kind::Dialog).size(), 1);
    EXPECT_TRUE(status.messages.empty());
}

TEST_F(PaneListTest, WithOnePaneShownTheSwitchingKeysStayInIt)
{
    tree.MakeFile("data/a");
    MakePanes(data, data);
    // the panes side by side in the window's splitter
    auto* splitter = new PaneSplitter(window.get());
    window->layout()->addWidget(splitter);
    splitter->SetPanes(left, right, 300);
    splitter->show();
    window->layout()->activate();
    left->List().OnCommand(cmd::kDetails);
    left->Activate();
    splitter->SetActiveColumn(0);
    splitter->OnePane();
    ASSERT_EQ(splitter->ColumnWidth(1), 0);

    QAbstractItemView* view = left->List().CurrentView();
    struct Key {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
    };
    for (const Key& key : {Key{Qt::Key_Tab, {}}, Key{Qt::Key_Tab, Qt::ShiftModifier},
                           Key{Qt::Key_Tab, Qt::ControlModifier}, Key{Qt::Key_Right, {}}}) {
        SCOPED_TRACE(key.key);
        QTest::keyClick(view, key.key, key.mods);
        EXPECT_EQ(pair.ActivePane(), left);
        EXPECT_TRUE(left->IsActive());
        EXPECT_FALSE(right->IsActive());
    }

    splitter->EqualPanes();
    QTest::keyClick(view, Qt::Key_Tab);
    EXPECT_EQ(pair.ActivePane(), right);
}

TEST_F(PaneListTest, ATenDigitSizeFitsItsColumnOnAFirstStart)
{
    const std::string big = tree.MakeFile("data/big");
    ASSERT_EQ(::truncate(big.c_str(), 5368709120LL), 0);
    MakePanes(data, data);
    left->List().OnCommand(cmd::kDetails);
    QTreeView* details = left->List().DetailsView();
    ASSERT_EQ(left->Model().index(0, 1).data().toString(), QStringLiteral("5,368,709,120"));
    // the widest cell of the column as the view measures it (public on the base class)
    EXPECT_LE(static_cast<QAbstractItemView*>(details)->sizeHintForColumn(1), details->header()->sectionSize(1));
}

} // namespace
} // namespace bivora::test
