#include "ui/find/find_results_window.h"

#include "base/general_settings.h"
#include "base/registry_keys.h"
#include "base/settings_store.h"
#include "shell/shell_namespace.h"
#include "ui/commands/command_ids.h"
#include "ui/jobs/job_registry.h"
#include "ui/widgets/sort_list_ctrl.h"
#include "ui/widgets/sortable_row_model.h"

#include "../../shell/temp_tree.h"
#include "../test_services.h"
#include "../wait_until.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

namespace bivora::test {
namespace {

// A search that hands over the batches it is given, then, when told to, keeps running
// until it is stopped and hands over one more batch after that. Shared with its worker.
struct FakeSearch {
    std::vector<std::vector<FindMatch>> batches;
    bool runUntilStopped = false;
    std::atomic<bool> started{false};
    std::atomic<bool> ended{false};
    std::atomic<bool> idlePriority{false};
    FindCriteria seen;
};

FindMatch Match(const std::string& folder, const std::string& name, bool directory = false, std::uint64_t size = 0)
{
    FindMatch match;
    match.folder = folder;
    match.data.name = name;
    match.data.isDirectory = directory;
    match.data.size = size;
    return match;
}

class FindResultsWindowTest : public ::testing::Test {
protected:
    FindResultsWindow* Open(std::shared_ptr<FakeSearch> fake, int autoCloseMs = 20)
    {
        FindResultsServices services{jobs, store, prompts, keyboard, launcher, general, ns};
        services.browse = [this](const std::string& folder, const std::vector<std::string>& names) {
            browsedFolder = folder;
            browsedNames = names;
        };
        services.autoCloseMs = autoCloseMs;
        services.search = [fake](const FindCriteria& criteria, const ShellNamespace&, const std::atomic<bool>& stop,
                                 const FindSink& sink) {
            fake->seen = criteria;
            fake->idlePriority = ::sched_getscheduler(0) == SCHED_IDLE
                || ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid())) == 19;
            fake->started = true;
            for (std::vector<FindMatch> batch : fake->batches)
                sink.matches(std::move(batch));
            sink.scanning("/somewhere");
            if (fake->runUntilStopped) {
                while (!stop)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                sink.matches({Match("/late", "after-stop")});
            }
            fake->ended = true;
            return FindOutcome{};
        };
        FindCriteria criteria;
        criteria.lookIn = "/look,/here";
        auto* window = new FindResultsWindow(criteria, std::move(services), nullptr);
        EXPECT_TRUE(window->Start());
        window->show();
        return window;
    }

    static std::vector<std::string> Paths(const FindResultsWindow& window)
    {
        std::vector<std::string> paths;
        for (int row = 0; row < window.RowCount(); ++row)
            paths.push_back(window.PathOf(row));
        return paths;
    }

    static void Select(FindResultsWindow& window, const std::vector<int>& rows)
    {
        QItemSelectionModel* selection = window.List().SelectionModel();
        selection->clearSelection();
        for (int row : rows)
            selection->select(window.List().Model().index(row, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        if (!rows.empty())
            selection->setCurrentIndex(window.List().Model().index(rows.front(), 0), QItemSelectionModel::NoUpdate);
    }

    JobRegistry jobs; // first made, last gone
    TempTree tree;
    std::shared_ptr<ShellNamespace> ns = std::make_shared<ShellNamespace>(tree.MakeEnvironment());
    MemorySettingsStore store;
    GeneralSettings general;
    ScriptedPrompts prompts;
    FakeKeyboardState keyboard;
    RecordingLauncher launcher;
    std::string browsedFolder;
    std::vector<std::string> browsedNames;
};

// Batches arrive as rows in their order; once the search is over the title names where
// it looked, the status counts the rows, and the rows are sorted. By In Folder, rows
// group by folder whatever its letter case, and order by name inside a folder.
TEST_F(FindResultsWindowTest, BatchesBecomeRowsSortedWhenTheSearchEnds)
{
    auto fake = std::make_shared<FakeSearch>();
    fake->batches = {{Match("/b", "z.txt", false, 5), Match("/B", "y"), Match("/a", "x", true)},
                     {Match("/b", "c.txt", false, 7), Match("/a", "w.txt", false, 1)}};
    store.WriteInt(registry::section::kFindFileFolderSettings, registry::value::kSortBy, cmd::kSortByFolder);
    QPointer<FindResultsWindow> window = Open(fake);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Searching... (ESC to cancel)"));
    WAIT_UNTIL(!window->Searching(), 5000);
    EXPECT_TRUE(fake->idlePriority); // the search yields to the window
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Find results in /look,/here"));
    EXPECT_EQ(window->StatusText(), QStringLiteral("5 item(s) found"));
    EXPECT_EQ(Paths(*window), (std::vector<std::string>{"/a/w.txt", "/a/x", "/B/y", "/b/c.txt", "/b/z.txt"}));
    const SortableRowModel& model = window->List().Model();
    EXPECT_EQ(model.headerData(3, Qt::Horizontal).toString(), QStringLiteral("Modified"));
    EXPECT_EQ(model.index(4, 2).data().toString(), QStringLiteral("5"));
    EXPECT_EQ(model.index(1, 2).data().toString(), QStringLiteral("<folder>"));

    // the pane's order by name puts folders first
    window->List().OnCommand(cmd::kSortByName);
    EXPECT_EQ(Paths(*window), (std::vector<std::string>{"/a/x", "/b/c.txt", "/a/w.txt", "/B/y", "/b/z.txt"}));

    // a batch handed straight to the window lands at the end, in one range
    window->AddMatches({Match("/c", "1"), Match("/c", "2")});
    EXPECT_EQ(window->RowCount(), 7);
    EXPECT_EQ(window->PathOf(6), "/c/2");
    window->close();
    WAIT_UNTIL(window.isNull(), 5000);
}

// Unsorted, the rows stay in the order the search found them, however its batches were
// gathered while the window was busy.
TEST_F(FindResultsWindowTest, UnsortedRowsKeepTheSearchOrder)
{
    auto fake = std::make_shared<FakeSearch>();
    std::vector<std::string> expected;
    for (int batch = 0; batch < 5; ++batch) {
        fake->batches.emplace_back();
        for (const char* name : {"b", "a"}) {
            const std::string folder = "/" + std::to_string(4 - batch);
            fake->batches.back().push_back(Match(folder, name));
            expected.push_back(folder + "/" + name);
        }
    }
    store.WriteInt(registry::section::kFindFileFolderSettings, registry::value::kSortBy, cmd::kUnsorted);
    std::unique_ptr<FindResultsWindow> window(Open(fake));
    WAIT_UNTIL(!window->Searching(), 5000);
    EXPECT_EQ(Paths(*window), expected);
}

// The window orders its rows from gathered keys, not by its comparison: both orders
// agree for every key and direction, ties kept as the rows came (folders that differ
// only in case, names that differ only in case, equal sizes and times, types beyond
// ASCII).
TEST_F(FindResultsWindowTest, GatheredOrderAgreesWithTheComparison)
{
    std::vector<FindMatch> rows;
    int i = 0;
    const char* const names[] = {"Readme", "readme", "a.tar.gz", "b.TXT", "c.txt",
                                 "z",      "sub",    "\xc3\xa9.txt", "x.\xc3\x9c"};
    for (const char* folder : {"/b", "/B", "/a", "/a/x"}) {
        for (const char* name : names) {
            const std::uint64_t size = static_cast<std::uint64_t>(i * 7 % 3) * 100;
            FindMatch match = Match(folder, name, std::string(name) == "sub", size);
            match.data.modified = 1000 + i * 5 % 4;
            rows.push_back(std::move(match));
            ++i;
        }
    }
    auto fake = std::make_shared<FakeSearch>();
    fake->batches = {rows};
    QPointer<FindResultsWindow> gathered = Open(fake);
    QPointer<FindResultsWindow> compared = Open(fake);
    compared->List().SetOrdering({});
    WAIT_UNTIL(!gathered->Searching() && !compared->Searching(), 5000);
    for (const int key : {cmd::kSortByName, cmd::kSortByFolder, cmd::kSortBySize, cmd::kSortByDate, cmd::kSortByType}) {
        for (const bool ascending : {true, false}) {
            SCOPED_TRACE(testing::Message() << "key " << key << (ascending ? " ascending" : " descending"));
            for (FindResultsWindow* window : {gathered.data(), compared.data()}) {
                window->List().OnCommand(key);
                if (window->List().Ascending() != ascending)
                    window->List().OnCommand(cmd::kAscending);
            }
            EXPECT_EQ(Paths(*gathered), Paths(*compared));
        }
    }
    delete gathered;
    delete compared;
}

// Escape stops the search and keeps the rows (what the worker sends after it noticed the
// stop too); a second Escape closes the window and keeps its place.
TEST_F(FindResultsWindowTest, EscapeStopsThenCloses)
{
    auto fake = std::make_shared<FakeSearch>();
    fake->batches = {{Match("/a", "one")}};
    fake->runUntilStopped = true;
    QPointer<FindResultsWindow> window = Open(fake);
    WAIT_EQ(window->RowCount(), 1, 5000);
    WAIT_EQ(window->StatusText(), QStringLiteral("Searching: /somewhere"), 5000);
    QTest::keyClick(window->List().CurrentView(), Qt::Key_Escape);
    WAIT_UNTIL(!window->Searching(), 5000);
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(fake->ended);
    EXPECT_EQ(window->RowCount(), 2);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Find results in /look,/here"));
    QTest::keyClick(window->List().CurrentView(), Qt::Key_Escape);
    WAIT_UNTIL(window.isNull(), 5000);
    EXPECT_TRUE(store.ReadString(registry::section::kFindFileFolderSettings, registry::value::kWindowRect));
}

// A search that finds nothing says so and the window goes by itself.
TEST_F(FindResultsWindowTest, NothingFoundClosesItself)
{
    // long enough for the status to be read before the window goes
    QPointer<FindResultsWindow> window = Open(std::make_shared<FakeSearch>(), 1000);
    WAIT_UNTIL(!window.isNull() && !window->Searching(), 5000);
    EXPECT_EQ(window->StatusText(), QStringLiteral("No matching items found -- why don't I self-destruct?"));
    WAIT_UNTIL(window.isNull(), 5000);
}

// A window that goes while its worker runs stops the worker and waits for it; what the
// worker sends afterwards reaches nothing.
TEST_F(FindResultsWindowTest, DestroyedWhileSearchingStopsTheWorker)
{
    auto fake = std::make_shared<FakeSearch>();
    fake->runUntilStopped = true;
    FindResultsWindow* window = Open(fake);
    WAIT_UNTIL(fake->started, 5000);
    delete window;
    EXPECT_TRUE(fake->ended);
    QCoreApplication::processEvents(); // the late batch and the end find no window
    WAIT_EQ(jobs.Count(), std::size_t{0}, 5000);
}

// Enter browses the first selected row's folder with the selected names of that folder;
// F3 views a file and only beeps on a folder; Shift+Del removes the rows first and then
// the items, once the question is answered.
TEST_F(FindResultsWindowTest, BrowseViewAndDelete)
{
    const std::string folder = tree.MakeDir("found");
    tree.MakeFile("found/a.txt", "a");
    tree.MakeFile("found/b.txt", "b");
    tree.MakeDir("found/dir");
    tree.MakeFile("other/c.txt", "c");
    auto fake = std::make_shared<FakeSearch>();
    fake->batches = {{Match(folder, "a.txt"), Match(folder, "b.txt"), Match(folder, "dir", true),
                      Match(tree.Path("other"), "c.txt")}};
    store.WriteInt(registry::section::kFindFileFolderSettings, registry::value::kSortBy, cmd::kUnsorted);
    QPointer<FindResultsWindow> window = Open(fake);
    WAIT_UNTIL(!window->Searching(), 5000);
    QWidget* view = window->List().CurrentView();

    Select(*window, {1, 3, 0});
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(browsedFolder, folder);
    EXPECT_EQ(browsedNames, (std::vector<std::string>{"a.txt", "b.txt"}));

    Select(*window, {2});
    QTest::keyClick(view, Qt::Key_F3);
    EXPECT_TRUE(launcher.Log().empty());
    Select(*window, {1});
    QTest::keyClick(view, Qt::Key_F3);
    ASSERT_EQ(launcher.Log().size(), 1u);
    EXPECT_EQ(launcher.Log()[0].program, QString::fromStdString(folder + "/b.txt"));

    keyboard.SetModifiers(Qt::ShiftModifier);
    Select(*window, {0, 3});
    prompts.AnswerYesNo(false);
    QTest::keyClick(view, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(Paths(*window), (std::vector<std::string>{folder + "/b.txt", folder + "/dir"}));
    EXPECT_EQ(window->StatusText(), QStringLiteral("2 item(s) found"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/a.txt")); // declined: the items stay

    Select(*window, {0, 1});
    prompts.AnswerYesNo(true);
    QTest::keyClick(view, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(window->RowCount(), 0);
    EXPECT_FALSE(std::filesystem::exists(folder + "/b.txt"));
    EXPECT_FALSE(std::filesystem::exists(folder + "/dir"));
    WAIT_UNTIL(window.isNull(), 5000); // the last row gone, the window follows
}

} // namespace
} // namespace bivora::test
