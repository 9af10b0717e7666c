#include "pane_fixture.h"

#include "base/registry_keys.h"
#include "ui/commands/command_ids.h"
#include "ui/pane/pane_navigator.h"
#include "ui/widgets/sort_list_ctrl.h"
#include "../wait_until.h"

#include <QAbstractItemView>
#include <QTest>
#include <QTreeView>

#include <filesystem>

namespace bivora::test {
namespace {

using Names = std::vector<std::string>;

const QString kNoSense = QStringLiteral("The CPU cannot make any sense of the last input");

class PaneNavigationTest : public PaneFixture {
protected:
    std::string Shown(const PaneView& pane) const { return pane.Folder() ? pane.Folder()->Path() : std::string(); }
    std::string FocusedName(const PaneView& pane) const
    {
        const ShellItem* item = pane.ItemAt(pane.List().FocusedRow());
        return item ? item->Name() : std::string();
    }
    void Key(PaneView& pane, int key, Qt::KeyboardModifiers modifiers)
    {
        keyboard.SetModifiers(modifiers);
        QTest::keyClick(pane.List().CurrentView(), static_cast<Qt::Key>(key), modifiers);
        keyboard.SetModifiers(Qt::NoModifier);
    }
};

// What typed text does to the active pane: where it ends, with which filter and rows,
// and which texts are refused with the alert while the pane stays where it was.
TEST_F(PaneNavigationTest, TypedInputGoesFiltersOrIsRefused)
{
    const std::string cfg = tree.MakeDir("data/cfg");
    tree.MakeFile("data/cfg/a.conf");
    tree.MakeFile("data/cfg/b.txt");
    tree.MakeDir("data/cfg/sub.d");
    tree.MakeFile("data/y.txt");
    tree.MakeFile("data/z.log");
    const std::string odd = tree.MakeDir("data/\xff odd");
    const std::string drive = tree.MakeDir("drive");
    const std::string remembered = tree.MakeDir("drive/remembered");
    const std::string docs = tree.MakeDir("home/docs");
    tree.WriteMountTable(MountLine(27, "/", "ext4", "/dev/vda") + MountLine(28, drive, "ext4", "/dev/vdb"));
    MakePanes(data, data);
    // the panes remember the last folder shown on each drive, which "D:" goes back to
    ASSERT_TRUE(left->GoToTyped(remembered + "/"));
    ASSERT_TRUE(left->GoToTyped(data));

    struct Row {
        const char* label;
        std::string start; // the folder the left pane shows first
        std::string text;
        std::string folder; // where it ends; empty: where it started
        std::string filter;
        Names rows; // empty: not checked
        bool refused = false;
    };
    const Row rows[] = {
        {"pattern after a folder", data, cfg + "/*.conf", cfg, "*.conf", {"sub.d", "a.conf"}},
        {"pattern alone", data, "*.txt", data, "*.txt", {"cfg", "\xff odd", "y.txt"}},
        {"relative", data, "cfg/sub.d/..", cfg, "*", {}},
        {"parent", cfg, "..", data, "*", {}},
        {"home", data, " ~/docs ", docs, "*", {}},
        {"drive letter alone", data, "D:", remembered, "*", {}},
        {"below a drive", data, "d:/remembered/..", drive, "*", {}},
        {"not UTF-8", data, odd, odd, "*", {}},
        {"virtual", data, "::{Computer}", "::{Computer}", "*", {}},
        {"parent in Computer", "::{Computer}", "..", "", "*", {}, true},
        {"relative in Computer", "::{Computer}", "cfg", "", "*", {}, true},
        {"a file", data, data + "/y.txt", "", "*", {}, true},
        {"pattern in a folder part", data, data + "/c*/b.txt", "", "*", {}, true},
        {"empty", data, "   ", "", "*", {}, true},
        {"drive without a drive", data, "Q:", "", "*", {}, true},
        {"missing folder", data, data + "/nowhere", "", "*", {}, true},
        {"control character", data, data + "/cfg\n", "", "*", {}, true},
        {"pasted page", data, std::string(100 * 1024, 'x'), "", "*", {}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        left->SetFilterText("*");
        ASSERT_TRUE(left->GoToFolder(IdOf(row.start)));
        const std::string before = Shown(*left);
        status.messages.clear();

        EXPECT_EQ(left->GoToTyped(row.text), !row.refused);
        EXPECT_EQ(Shown(*left), row.folder.empty() ? before : row.folder);
        EXPECT_EQ(left->FilterText(), row.filter);
        if (!row.rows.empty()) {
            EXPECT_EQ(RowNames(*left), row.rows);
        }
        EXPECT_EQ(status.Said(kNoSense), row.refused);
        EXPECT_TRUE(left->IsConsistent());
    }
    EXPECT_EQ(Shown(*right), data);
}

// The history moves with Previous and Next, loses its forward part when a new folder
// is opened from the middle, drops a folder that has gone, and every folder comes back
// with the row that had the focus when it was left.
TEST_F(PaneNavigationTest, PreviousAndNextFollowTheHistoryAndRestoreTheFocus)
{
    const std::string a = tree.MakeDir("a");
    const std::string b = tree.MakeDir("b");
    const std::string c = tree.MakeDir("c");
    const std::string d = tree.MakeDir("d");
    tree.MakeFile("a/x.txt");
    tree.MakeFile("a/y.txt");
    tree.MakeFile("a/z.txt");
    MakePanes(a, data);
    const auto state = [this](int id) { return router.Update(id); };

    EXPECT_FALSE(state(cmd::kPrevious).enabled);
    left->FocusName("y.txt", false);
    ASSERT_TRUE(left->GoToTyped(b));
    ASSERT_TRUE(left->GoToTyped(c));
    ASSERT_TRUE(router.Execute(cmd::kPrevious));
    ASSERT_TRUE(router.Execute(cmd::kPrevious));
    EXPECT_EQ(Shown(*left), a);
    EXPECT_EQ(FocusedName(*left), "y.txt");
    EXPECT_TRUE(state(cmd::kNext).enabled);
    EXPECT_EQ(state(cmd::kNext).tip, QString::fromStdString(b));

    ASSERT_TRUE(left->GoToTyped(d));
    EXPECT_EQ(left->Navigator().History().Paths(), (Names{a, d}));
    EXPECT_FALSE(router.Execute(cmd::kNext));
    EXPECT_EQ(state(cmd::kNext).tip, QStringLiteral("Next"));
    ASSERT_TRUE(router.Execute(cmd::kPrevious));
    EXPECT_EQ(Shown(*left), a);
    EXPECT_EQ(FocusedName(*left), "y.txt");

    // a folder that went away is refused and leaves the history
    ASSERT_TRUE(router.Execute(cmd::kNext));
    ASSERT_TRUE(left->GoToTyped(b));
    std::filesystem::remove(d);
    status.messages.clear();
    router.Execute(cmd::kPrevious);
    EXPECT_EQ(Shown(*left), b);
    EXPECT_TRUE(status.Said(kNoSense));
    EXPECT_EQ(left->Navigator().History().Paths(), (Names{a, b}));
    EXPECT_EQ(state(cmd::kPrevious).tip, QString::fromStdString(a));

    // each pane has a history of its own
    EXPECT_EQ(right->Navigator().History().Paths(), (Names{data}));
}

// The other pane repeats each move of this one (sideways, up, through the history)
// and mirroring switches itself off at the first move it cannot repeat.
TEST_F(PaneNavigationTest, MirrorBrowsingRepeatsEachMoveUntilItCannot)
{
    for (const char* dir : {"src/proj1", "src/proj2", "src/proj3", "backup/proj1", "backup/proj2", "a/b/c", "r/s/t/u"})
        tree.MakeDir(dir);
    const auto at = [this](const char* relative) { return tree.Path(relative); };
    const auto mirroring = [this] { return router.Update(cmd::kMirrorBrowsing).checked; };
    const auto setMirror = [&](bool on) {
        if (mirroring() != on) {
            ASSERT_TRUE(router.Execute(cmd::kMirrorBrowsing));
        }
        ASSERT_EQ(mirroring(), on);
    };
    MakePanes(at("src/proj1"), at("backup/proj1"));
    setMirror(true);

    ASSERT_TRUE(left->GoToTyped(at("src/proj2")));
    WAIT_EQ(Shown(*right), at("backup/proj2"), 5000);
    ASSERT_TRUE(router.Execute(cmd::kPrevious));
    WAIT_EQ(Shown(*right), at("backup/proj1"), 5000);
    EXPECT_EQ(Shown(*left), at("src/proj1")); // the other pane's moves are not mirrored back

    setMirror(false);
    ASSERT_TRUE(left->GoToTyped(at("a/b/c")));
    ASSERT_TRUE(right->GoToTyped(at("r/s/t/u")));
    setMirror(true);
    ASSERT_TRUE(left->GoToTyped(at("a")));
    WAIT_EQ(Shown(*right), at("r/s"), 5000);

    struct SwitchOff {
        const char* label;
        std::string leftFrom, rightAt, leftTo;
    };
    const SwitchOff cases[] = {
        {"the other pane has no such folder", at("src/proj1"), at("backup/proj1"), at("src/proj3")},
        {"the other pane shows Computer", at("src/proj1"), "::{Computer}", at("src/proj2")},
        {"this pane goes to Computer", at("src/proj1"), at("backup/proj1"), "::{Computer}"},
    };
    for (const SwitchOff& c : cases) {
        SCOPED_TRACE(c.label);
        setMirror(false);
        ASSERT_TRUE(left->GoToTyped(c.leftFrom));
        ASSERT_TRUE(right->GoToTyped(c.rightAt));
        setMirror(true);
        const std::string rightBefore = Shown(*right);
        ASSERT_TRUE(left->GoToTyped(c.leftTo));
        WAIT_UNTIL(!shared.mirrorBrowsing, 5000);
        EXPECT_EQ(Shown(*right), rightBefore);
    }
    // in a virtual folder the command cannot be toggled
    EXPECT_FALSE(router.Update(cmd::kMirrorBrowsing).enabled);
}

// Ctrl+Shift+n sets bookmark n to the active pane's folder (not in a virtual one),
// Ctrl+n goes there; the menu item names the folder; the left pane stores them.
TEST_F(PaneNavigationTest, BookmarksAreSetWithShiftUsedAndStored)
{
    const std::string marked = tree.MakeDir("data/a&b");
    MakePanes(marked, data);
    const int three = cmd::kBookmark0 + 3;
    EXPECT_EQ(router.Update(three).text, QStringLiteral("(press Ctrl+Shift+3 to set)"));
    EXPECT_FALSE(router.Update(three).enabled);

    Key(*left, Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(shared.bookmarks[3], marked);
    EXPECT_EQ(status.Last(), QStringLiteral("Bookmark set ok."));
    EXPECT_FALSE(status.LastIsAlert());
    EXPECT_EQ(router.Update(three).text, QString::fromStdString("&3: \"" + data + "/a&&b\"\tCtrl+3"));
    EXPECT_TRUE(router.Update(three).enabled);

    // Alt sends it to the other pane
    keyboard.SetModifiers(Qt::AltModifier);
    ASSERT_TRUE(router.Execute(three));
    keyboard.SetModifiers(Qt::NoModifier);
    EXPECT_EQ(Shown(*right), marked);

    ASSERT_TRUE(left->GoToTyped("::{Computer}"));
    status.messages.clear();
    Key(*left, Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(shared.bookmarks[3], marked);
    EXPECT_TRUE(status.messages.empty());
    Key(*left, Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(Shown(*left), marked);

    ClosePanes();
    EXPECT_EQ(store.GetString(registry::section::kBookMarks, "3"), marked);
    EXPECT_EQ(store.GetString(registry::section::kBookMarks, "0"), "");
}

// Same folder, Swap panes, Root, Documents and Network, each from its command.
TEST_F(PaneNavigationTest, PaneCommandsMoveTheRightPane)
{
    const std::string drive = tree.MakeDir("drive");
    const std::string deep = tree.MakeDir("drive/one/two");
    const std::string other = tree.MakeDir("other");
    tree.MakeFile("drive/one/two/mine.txt");
    tree.MakeFile("drive/one/two/b.txt");
    tree.MakeFile("other/theirs.txt");
    tree.MakeFile("other/c.txt");
    tree.WriteMountTable(MountLine(27, "/", "ext4", "/dev/vda") + MountLine(28, drive, "ext4", "/dev/vdb"));
    MakePanes(deep, other);

    // Swap: each pane takes the other's folder and its focused name
    left->FocusName("mine.txt", false);
    right->FocusName("theirs.txt", false);
    ASSERT_TRUE(router.Execute(cmd::kSwapPanes));
    EXPECT_EQ(Shown(*left), other);
    EXPECT_EQ(Shown(*right), deep);
    EXPECT_EQ(FocusedName(*left), "theirs.txt");
    EXPECT_EQ(FocusedName(*right), "mine.txt");
    EXPECT_TRUE(SelectedNames(*left).empty());

    // Same folder: the active pane's folder into the other; with Alt the other way round
    ASSERT_TRUE(router.Execute(cmd::kSameFolder));
    EXPECT_EQ(Shown(*right), other);
    ASSERT_TRUE(left->GoToTyped(deep));
    keyboard.SetModifiers(Qt::AltModifier);
    ASSERT_TRUE(router.Execute(cmd::kSameFolder));
    keyboard.SetModifiers(Qt::NoModifier);
    EXPECT_EQ(Shown(*left), other);
    EXPECT_EQ(Shown(*right), other);

    ASSERT_TRUE(left->GoToTyped(deep));
    ASSERT_TRUE(router.Execute(cmd::kRoot));
    EXPECT_EQ(Shown(*left), drive);
    EXPECT_FALSE(router.Update(cmd::kRoot).enabled);

    ASSERT_TRUE(router.Execute(cmd::kDocuments));
    EXPECT_EQ(Shown(*left), ns.DocumentsDirectory());
    ASSERT_TRUE(router.Execute(cmd::kNetwork));
    EXPECT_EQ(Shown(*left), "::{Network}");
    EXPECT_FALSE(status.Said(QStringLiteral("Where is that special folder then?")));
}

// With synchronized scrolling the other pane focuses the same name at the same height;
// Scroll to top puts the focused row at the top of a details list.
TEST_F(PaneNavigationTest, SyncScrollingAndScrollToTopInDetailsView)
{
    for (int n = 10; n < 70; ++n)
        tree.MakeFile("data/f" + std::to_string(n));
    tree.MakeFile("data/only-here");
    const std::string copy = tree.MakeDir("copy");
    for (int n = 20; n < 70; ++n)
        tree.MakeFile("copy/f" + std::to_string(n));
    MakePanes(data, copy);
    for (PaneView* pane : {left, right})
        pane->SetViewStyle(cmd::kDetails);
    const auto top = [](PaneView& pane, const std::string& name) {
        QTreeView* view = pane.List().DetailsView();
        return view->visualRect(view->model()->index(pane.FocusName(name, false), 0)).top();
    };

    ASSERT_TRUE(router.Execute(cmd::kSyncScrolling));
    EXPECT_EQ(status.Last(), QStringLiteral("Synchronized pane scrolling ON"));
    EXPECT_TRUE(router.Update(cmd::kSyncScrolling).checked);
    // f55 stands some rows below the top of the left list, and off the right list's page
    QTreeView* leftView = left->List().DetailsView();
    leftView->scrollTo(leftView->model()->index(left->FocusName("f50", false), 0), QAbstractItemView::PositionAtTop);
    right->List().DetailsView()->scrollToTop();
    left->FocusName("f55", false);
    EXPECT_EQ(FocusedName(*right), "f55");
    EXPECT_GT(top(*left, "f55"), 0);
    EXPECT_TRUE(SelectedNames(*right).empty());
    EXPECT_EQ(top(*right, "f55"), top(*left, "f55"));
    // a name the other pane lacks leaves it where it was
    left->FocusName("only-here", false);
    EXPECT_EQ(FocusedName(*right), "f55");

    ASSERT_TRUE(router.Execute(cmd::kSyncScrolling));
    EXPECT_EQ(status.Last(), QStringLiteral("Synchronized pane scrolling OFF"));
    left->FocusName("f20", false);
    EXPECT_EQ(FocusedName(*right), "f55");

    left->FocusName("f40", false);
    ASSERT_TRUE(router.Execute(cmd::kScrollToTop));
    EXPECT_EQ(top(*left, "f40"), 0);
    left->SetViewStyle(cmd::kList);
    EXPECT_FALSE(router.Update(cmd::kScrollToTop).enabled);
}

} // namespace
} // namespace bivora::test
