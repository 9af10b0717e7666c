// The pane's reads as jobs: a refresh applied as a difference, and reads that are
// stuck when the pane is asked to stop or goes.
#include "pane_fixture.h"

#include "ui/commands/command_ids.h"

#include "../../shell/test_files.h"
#include "../jobs/stuck_folder.h"

#include <QTest>
#include <QTimer>

#include <algorithm>
#include <filesystem>

namespace bivora::test {
namespace {

using Names = std::vector<std::string>;

class PaneJobsTest : public PaneFixture {};

// What the filter hides changes unseen and uncounted; a new time at the same size is
// a change like any other.
TEST_F(PaneJobsTest, RefreshUnderAFilterCountsAndMarksOnlyWhatIsShown)
{
    tree.MakeFile("data/grows.txt", "1");
    const std::string touched = tree.MakeFile("data/touched.txt", "22");
    SetTimes(touched, 1500000000, 1500000000);
    tree.MakeFile("data/quiet.doc", "333");
    tree.MakeFile("data/goes.txt", "4444");
    MakePanes(data, data);
    left->SetFilterText("*.txt");
    SortBy(*left, cmd::kSortByName, true);
    const QString dateBefore = left->Model().DateText(left->RowOf(ItemNamed(*left, "touched.txt")));

    AppendBytes(tree.Path("data/grows.txt"), 9);
    SetTimes(touched, 1600000000, 1600000000);
    AppendBytes(tree.Path("data/quiet.doc"), 100);
    std::filesystem::remove(tree.Path("data/goes.txt"));
    tree.MakeFile("data/new.txt", "55555");
    tree.MakeFile("data/new.doc", "6");
    Names names;
    ASSERT_TRUE(left->RefreshPane(true, &names));

    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Names{"grows.txt", "new.doc", "new.txt", "touched.txt"}));
    Names selected = SelectedNames(*left);
    std::sort(selected.begin(), selected.end());
    EXPECT_EQ(selected, (Names{"grows.txt", "new.txt", "touched.txt"}));
    EXPECT_EQ(left->RowOf(ItemNamed(*left, "quiet.doc")), -1);
    EXPECT_EQ(ItemNamed(*left, "quiet.doc")->size, 103u);
    EXPECT_EQ(ItemNamed(*left, "goes.txt"), nullptr);
    EXPECT_NE(left->Model().DateText(left->RowOf(ItemNamed(*left, "touched.txt"))), dateBefore);
    EXPECT_EQ(left->ByteTotal(), 10u + 2u + 5u);
    EXPECT_TRUE(left->IsConsistent());
}

// Quitting while a refresh waits on a mount that does not answer: the close request
// stops waiting, the window closes, and the worker, released later, finds nothing of
// the pane's under it.
TEST_F(PaneJobsTest, QuitDuringAStuckRefresh)
{
    tree.MakeFile("data/kept");
    MakePanes(data, data);
    auto stuck = std::make_shared<StuckFolder>();
    stuck->path = data;
    stuck->Install(ns, stuck);
    QTimer::singleShot(0, window.get(), [this, stuck] {
        stuck->WaitEntered();
        window->close();
    });
    EXPECT_FALSE(left->RefreshPane(false));
    EXPECT_EQ(RowNames(*left), Names{"kept"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 5000));
    ClosePanes();
    // the panes' folder watchers end as they are stopped; the stuck read stays
    EXPECT_TRUE(QTest::qWaitFor([&] { return jobs.Count() == 1; }, 10000)) << jobs.Count();
    stuck->Open();
    EXPECT_TRUE(QTest::qWaitFor([&] { return jobs.Count() == 0; }, 10000));
}

// Escape leaves a stuck read behind; the pane, and then the namespace's last owner
// besides the worker, go before it ends.
TEST_F(PaneJobsTest, EscapeThenQuitWhileAReadIsStuck)
{
    const std::string slow = tree.MakeDir("slow");
    tree.MakeFile("slow/inside");
    tree.MakeFile("data/kept");
    MakePanes(data, data);
    auto stuck = std::make_shared<StuckFolder>();
    stuck->path = slow;
    stuck->Install(ns, stuck);
    QTimer::singleShot(0, window.get(), [this, stuck] {
        stuck->WaitEntered();
        QTest::keyClick(left, Qt::Key_Escape);
    });
    EXPECT_FALSE(left->GoToFolder(IdOf(slow)));
    EXPECT_EQ(left->Folder()->Path(), data);
    EXPECT_EQ(RowNames(*left), Names{"kept"});
    EXPECT_TRUE(left->IsConsistent());

    window->close();
    ClosePanes();
    sharedNs.reset();
    stuck->Open();
    EXPECT_TRUE(QTest::qWaitFor([&] { return jobs.Count() == 0; }, 10000));
}

} // namespace
} // namespace bivora::test
