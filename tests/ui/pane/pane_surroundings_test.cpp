#include "pane_fixture.h"

#include "base/registry_keys.h"
#include "base/text_forms.h"
#include "ui/widgets/sort_list_ctrl.h"
#include "ui/commands/command_ids.h"
#include "ui/pane/pane_caption.h"

#include "../../shell/test_files.h"

#include <QAbstractItemView>
#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTest>

namespace bivora::test {
namespace {

using Names = std::vector<std::string>;
namespace reg = registry;

class PaneSurroundingsTest : public PaneFixture {};

TEST_F(PaneSurroundingsTest, CaptionShowsTheTitleAndShortensADeepPathInANarrowPane)
{
    const std::string deep = tree.MakeDir("data/one/two/three/four");
    MakePanes(deep, data);
    EXPECT_EQ(left->Caption().DisplayedText(), QString::fromStdString(deep));
    EXPECT_EQ(mainCaption, QString::fromStdString("Bivora - " + deep));
    EXPECT_TRUE(left->Caption().IsActive());
    EXPECT_FALSE(right->Caption().IsActive());

    left->Caption().resize(QFontMetrics(left->Caption().font()).horizontalAdvance(QStringLiteral("/.../three/four")) + 8,
                           left->Caption().height());
    EXPECT_EQ(left->Caption().DisplayedText(), QStringLiteral("/.../three/four"));

    // with a filter shown, at least two trailing components stay
    left->SetFilterText("*.cpp");
    left->Caption().resize(20, left->Caption().height());
    EXPECT_EQ(left->Caption().DisplayedText(), QStringLiteral("/.../three/four [*.cpp]"));
}

TEST_F(PaneSurroundingsTest, CaptionDoubleClickGoesToTheParent)
{
    const std::string sub = tree.MakeDir("data/sub");
    MakePanes(sub, data);
    QTest::mouseDClick(&left->Caption(), Qt::LeftButton);
    EXPECT_EQ(left->Folder()->Path(), data);
    EXPECT_EQ(left->FocusName("sub", false), left->List().FocusedRow());
}

TEST_F(PaneSurroundingsTest, StatusTextsForEmptyOneAndSeveralItems)
{
    const std::string empty = tree.MakeDir("empty");
    const std::string file = tree.MakeFile("data/f1234", std::string(1234, 'x'));
    tree.MakeFile("data/g6", "123456");
    tree.MakeDir("data/sub");
    MakePanes(empty, data);

    // the free space is read on a worker; the active pane's text changes when it arrives
    ASSERT_TRUE(QTest::qWaitFor([&] { return !status.paneText.contains(QStringLiteral("???")); }, 5000))
        << status.paneText.toStdString();
    const QString emptyText = left->StatusText();
    EXPECT_TRUE(emptyText.startsWith(QStringLiteral("Empty folder (")) && emptyText.endsWith(QStringLiteral(" free)")))
        << emptyText.toStdString();
    EXPECT_EQ(status.paneText, emptyText);

    EXPECT_TRUE(right->StatusText().startsWith(QStringLiteral("3 Objects, 1,240 bytes in total (")));
    Select(*right, {"f1234"});
    EXPECT_EQ(right->StatusText(),
              QStringLiteral("Selected object: 1,234 bytes, Modified ")
                  + QString::fromStdString(DateTimeText(ItemNamed(*right, "f1234")->modified)));
    Select(*right, {"sub"});
    EXPECT_TRUE(right->StatusText().startsWith(QStringLiteral("Selected object: Folder, Modified ")));
    Select(*right, {"f1234", "g6"});
    EXPECT_EQ(right->StatusText(), QStringLiteral("2 objects selected, 1,240 bytes in total"));

    // the active pane's text reaches the status bar
    right->Activate();
    QTest::qWait(1);
    EXPECT_EQ(status.paneText, right->StatusText());
}

TEST_F(PaneSurroundingsTest, TabSwitchesPanesAndBackspaceGoesUp)
{
    const std::string sub = tree.MakeDir("data/sub");
    tree.MakeFile("data/sub/inner");
    MakePanes(sub, data);
    ASSERT_EQ(pair.ActivePane(), left);

    QTest::keyClick(left->List().CurrentView(), Qt::Key_Tab);
    EXPECT_EQ(pair.ActivePane(), right);
    EXPECT_TRUE(right->Caption().IsActive());
    EXPECT_FALSE(left->Caption().IsActive());
    QTest::keyClick(right->List().CurrentView(), Qt::Key_Tab);
    EXPECT_EQ(pair.ActivePane(), left);

    QTest::keyClick(left->List().CurrentView(), Qt::Key_Backspace);
    EXPECT_EQ(left->Folder()->Path(), data);
    // Ctrl+Backspace: the Desktop, where Parent does nothing
    QTest::keyClick(left->List().CurrentView(), Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_TRUE(left->Folder()->Id().IsEmpty());
    EXPECT_FALSE(router.Update(cmd::kParent).enabled);
}

TEST_F(PaneSurroundingsTest, EnterOpensTheFocusedFolder)
{
    tree.MakeDir("data/sub");
    tree.MakeFile("data/sub/inner");
    MakePanes(data, data);
    left->List().SelectionModel()->clearSelection();
    left->FocusName("sub", false);
    QTest::keyClick(left->List().CurrentView(), Qt::Key_Return);
    EXPECT_EQ(RowNames(*left), Names{"inner"});
}

TEST_F(PaneSurroundingsTest, AltArrowsStepThroughTheSelectionAndWarp)
{
    for (const char* name : {"a", "b", "c", "d", "e"})
        tree.MakeFile(std::string("data/") + name);
    MakePanes(data, data);
    SortBy(*left, cmd::kSortByName, true);
    Select(*left, {"b", "d"});
    left->List().SetRowState(0, 0);
    QAbstractItemView* view = left->List().CurrentView();

    QTest::keyClick(view, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(left->List().FocusedRow(), 1);
    QTest::keyClick(view, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(left->List().FocusedRow(), 3);
    status.messages.clear();
    QTest::keyClick(view, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(left->List().FocusedRow(), 1);
    EXPECT_EQ(status.Last(), QStringLiteral("Cursor warped round the pane"));
    EXPECT_TRUE(status.LastIsAlert());
    QTest::keyClick(view, Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(left->List().FocusedRow(), 3);
    EXPECT_EQ(SelectedNames(*left), (Names{"b", "d"}));
}

TEST_F(PaneSurroundingsTest, CtrlSixDoesNothing)
{
    tree.MakeFile("data/a");
    tree.MakeFile("data/b");
    MakePanes(data, data);
    Select(*left, {"b"});
    status.messages.clear();
    QTest::keyClick(left->List().CurrentView(), Qt::Key_6, Qt::ControlModifier);
    EXPECT_EQ(left->Folder()->Path(), data);
    EXPECT_EQ(SelectedNames(*left), Names{"b"});
    EXPECT_EQ(pair.ActivePane(), left);
    EXPECT_TRUE(status.messages.empty());
}

TEST_F(PaneSurroundingsTest, OwnMenuWithoutSelectionRunsItsCommand)
{
    tree.MakeFile("data/b.a");
    tree.MakeFile("data/a.b");
    MakePanes(data, data);
    left->List().SelectionModel()->clearSelection();
    QStringList offered;
    left->SetMenuChooser([&](QMenu& menu, const QPoint&) -> QAction* {
        QAction* chosen = nullptr;
        for (QAction* action : menu.actions()) {
            if (action->isSeparator())
                continue;
            offered << action->text();
            if (action->menu() && action->text() == QStringLiteral("&Sort by")) {
                for (QAction* inner : action->menu()->actions()) {
                    if (inner->text() == QStringLiteral("&Name"))
                        chosen = inner;
                }
            }
        }
        return chosen;
    });
    SortBy(*left, cmd::kSortByType, true);
    ASSERT_EQ(RowNames(*left), (Names{"b.a", "a.b"}));
    left->ShowContextMenu(QPoint());
    QTest::qWait(1);
    EXPECT_EQ(offered, (QStringList{"New &file", "New f&older", "&Paste", "Paste &Link", "&Sort by", "&View"}));
    EXPECT_EQ(left->List().SortKey(), cmd::kSortByName);
    EXPECT_EQ(RowNames(*left), (Names{"a.b", "b.a"}));
}

TEST_F(PaneSurroundingsTest, PropertiesShowTheDialogForTheSelectionAndAlertWithoutOne)
{
    tree.MakeFile("data/a");
    MakePanes(data, data);
    left->List().SelectionModel()->clearSelection();
    EXPECT_FALSE(router.Update(cmd::kProperties).enabled);
    left->OnCommand(cmd::kProperties);
    EXPECT_EQ(status.Last(), QStringLiteral("No property sheet for this selection"));
    EXPECT_TRUE(status.LastIsAlert());

    Select(*left, {"a"});
    EXPECT_TRUE(router.Update(cmd::kProperties).enabled);
    status.messages.clear();
    ASSERT_TRUE(router.Execute(cmd::kProperties));
    EXPECT_EQ(prompts.Texts(ScriptedPrompts::Kind::Dialog).size(), 1);
    EXPECT_TRUE(status.messages.empty());
}

TEST_F(PaneSurroundingsTest, SettingsAreReadWithDefaultsAndWrittenAtClose)
{
    store.WriteInt(reg::section::kLeftPaneSettings, reg::value::kViewStyle, 7);
    store.WriteString(reg::section::kLeftPaneSettings, reg::value::kDisplayFilter, ",,,");
    store.WriteString(reg::section::kRightPaneSettings, reg::value::kDisplayFilter, " *.txt , *.doc ");
    store.WriteInt(reg::section::kLeftPaneSettings, reg::value::kSortBy, 99);
    store.WriteString(reg::section::kBookMarks, "2", "/some/where");
    const std::string sub = tree.MakeDir("data/sub");
    MakePanes(sub, data);

    EXPECT_EQ(left->ViewStyle(), cmd::kList);
    EXPECT_EQ(left->FilterText(), "*");
    EXPECT_EQ(right->FilterText(), "*.txt,*.doc");
    EXPECT_EQ(left->List().SortKey(), cmd::kSortByType);
    EXPECT_EQ(shared.bookmarks[2], "/some/where");

    shared.bookmarks[4] = "/another";
    store.ClearWriteLog();
    ClosePanes();
    EXPECT_EQ(store.GetString(reg::section::kLeftPaneSettings, reg::value::kInitialFolder), sub);
    EXPECT_EQ(store.GetString(reg::section::kRightPaneSettings, reg::value::kInitialFolder), data);
    EXPECT_EQ(store.GetString(reg::section::kRightPaneSettings, reg::value::kDisplayFilter), "*.txt,*.doc");
    EXPECT_EQ(store.GetInt(reg::section::kLeftPaneSettings, reg::value::kSortBy, 0), cmd::kSortByType);
    EXPECT_EQ(store.GetString(reg::section::kBookMarks, "4"), "/another");
    EXPECT_EQ(store.GetString(reg::section::kBookMarks, "2"), "/some/where");
}

TEST_F(PaneSurroundingsTest, NothingIsWrittenWithoutSaveSettings)
{
    general.saveSettings = false;
    MakePanes(data, data);
    store.ClearWriteLog();
    ClosePanes();
    EXPECT_TRUE(store.Writes().empty());
}

TEST_F(PaneSurroundingsTest, APaneOnAVirtualFolderKeepsTheStoredStartFolder)
{
    store.WriteString(reg::section::kLeftPaneSettings, reg::value::kInitialFolder, "  " + data + "  ");
    PaneContext context = Context(true);
    auto pane = std::make_unique<PaneView>(context, true);
    pane->InitialUpdate();
    EXPECT_EQ(pane->Folder()->Path(), data);
    ASSERT_TRUE(pane->GoToDesktop() || pane->Folder()->Id().IsEmpty());
    // the Desktop is a file-system folder here (its directory); Computer is not
    ASSERT_TRUE(pane->GoToTyped("::{Computer}"));
    EXPECT_FALSE(pane->Folder()->IsFileSystem());
    pane.reset();
    EXPECT_EQ(store.GetString(reg::section::kLeftPaneSettings, reg::value::kInitialFolder), "  " + data + "  ");
}

} // namespace
} // namespace bivora::test
