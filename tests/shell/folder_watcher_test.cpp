// The folder watcher: what it counts, bursts merged into one notification, the
// watch-refresh flag, and its ending.
//
// Nothing here waits a fixed time. That a watcher did NOT notify is shown by a witness:
// a second watcher with three times the quiet period, which can only notify after the
// first would have.
#include "shell/folder_watcher.h"

#include "temp_tree.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

namespace bivora::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr std::chrono::milliseconds kQuiet = FolderWatcher::kQuiet;
constexpr auto kGenerous = 20s;

// A watcher running on a thread of its own, counting its notifications.
class Watching {
public:
    Watching(const std::string& path, FolderWatcher::Options options, const std::atomic<bool>* mayNotify = nullptr)
        : watcher(path, options)
    {
        thread = std::thread([this, mayNotify] {
            watcher.Run(mayNotify, [this] {
                std::lock_guard lock(mutex);
                ++count;
                changed.notify_all();
            });
        });
    }
    ~Watching() { Stop(); }

    // True once n notifications have come.
    bool WaitFor(int n)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, kGenerous, [&] { return count >= n; });
    }
    int Count()
    {
        std::lock_guard lock(mutex);
        return count;
    }
    void Stop()
    {
        watcher.Stop();
        if (thread.joinable())
            thread.join();
    }
    // Joins the thread when it ends within the generous time; false when it does not.
    bool JoinsSoon()
    {
        auto joined = std::async(std::launch::async, [this] { thread.join(); });
        return joined.wait_for(kGenerous) == std::future_status::ready;
    }

    FolderWatcher watcher;
    std::mutex mutex;
    std::condition_variable changed;
    int count = 0;
    std::thread thread;
};

class FolderWatcherTest : public ::testing::Test {
protected:
    TempTree tree;
    std::string watched = tree.MakeDir("watched");
};

// Each step's changes settle before the next starts; the counts are the totals after
// it. Items coming, going, renamed or written count; a change inside a sub-folder does
// not; a folders-only watcher counts only folders and links to folders (those made
// before the watch as well).
TEST_F(FolderWatcherTest, CountsTheChangesOfItsOwnFolder)
{
    tree.MakeDir("watched/sub");
    tree.MakeFile("watched/old.txt", "old");
    tree.MakeLink("watched/oldlink", "sub");
    Watching all(watched, {false, kQuiet});
    Watching folders(watched, {true, kQuiet});
    Watching witness(watched, {false, 3 * kQuiet});
    Watching subWitness(tree.Path("watched/sub"), {false, 3 * kQuiet});
    ASSERT_EQ(all.watcher.Error(), 0);
    ASSERT_EQ(folders.watcher.Error(), 0);

    struct Step {
        const char* what;
        std::function<void()> change;
        bool inSub; // made inside watched/sub: only the sub-folder's witness sees it
        int all;
        int folders;
    };
    const std::vector<Step> steps = {
        {"a file created", [&] { tree.MakeFile("watched/new.txt", "n"); }, false, 1, 0},
        {"a file written", [&] { AppendBytes(tree.Path("watched/old.txt"), 10); }, false, 2, 0},
        {"a file's mode changed", [&] { SetMode(tree.Path("watched/old.txt"), 0600); }, false, 3, 0},
        {"a sub-folder added", [&] { tree.MakeDir("watched/added"); }, false, 4, 1},
        {"a file made in a sub-folder", [&] { tree.MakeFile("watched/sub/deep.txt", "d"); }, true, 4, 1},
        {"a sub-folder renamed", [&] { fs::rename(tree.Path("watched/added"), tree.Path("watched/moved")); }, false, 5, 2},
        {"a file removed", [&] { fs::remove(tree.Path("watched/new.txt")); }, false, 6, 2},
        {"a link to a folder made", [&] { tree.MakeLink("watched/link", "sub"); }, false, 7, 3},
        {"a link to a file made", [&] { tree.MakeLink("watched/filelink", "old.txt"); }, false, 8, 3},
        {"a link to a folder renamed", [&] { fs::rename(tree.Path("watched/link"), tree.Path("watched/link2")); }, false, 9, 4},
        {"a link to a folder removed", [&] { fs::remove(tree.Path("watched/link2")); }, false, 10, 5},
        {"a link from before removed", [&] { fs::remove(tree.Path("watched/oldlink")); }, false, 11, 6},
        {"a link to a file removed", [&] { fs::remove(tree.Path("watched/filelink")); }, false, 12, 6},
        {"a sub-folder removed", [&] { fs::remove(tree.Path("watched/moved")); }, false, 13, 7},
    };
    int top = 0;
    int sub = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        Watching& seen = step.inSub ? subWitness : witness;
        ASSERT_TRUE(seen.WaitFor(step.inSub ? ++sub : ++top));
        EXPECT_TRUE(all.WaitFor(step.all));
        EXPECT_TRUE(folders.WaitFor(step.folders));
        EXPECT_EQ(all.Count(), step.all);
        EXPECT_EQ(folders.Count(), step.folders);
    }
}

// Changes faster than the quiet period are one burst and one notification; a burst
// that settles while the watch-refresh flag is off is forgotten, not delivered later.
TEST_F(FolderWatcherTest, BurstIsOneNotificationUnlessTheFlagIsOff)
{
    std::atomic<bool> mayNotify{true};
    Watching watching(watched, {false, kQuiet}, &mayNotify);
    Watching witness(watched, {false, 3 * kQuiet});
    auto burst = [&](const std::string& prefix) {
        for (int i = 0; i < 100; ++i)
            tree.MakeFile("watched/" + prefix + std::to_string(i), "x");
        for (int i = 0; i < 10; ++i) // an editor saving the same file again and again
            tree.MakeFile("watched/" + prefix + "saved", std::string(std::size_t(i), 's'));
    };

    burst("a");
    ASSERT_TRUE(witness.WaitFor(1));
    EXPECT_TRUE(watching.WaitFor(1));
    EXPECT_EQ(watching.Count(), 1);

    mayNotify = false;
    burst("b");
    ASSERT_TRUE(witness.WaitFor(2));
    mayNotify = true;
    tree.MakeFile("watched/after", "x");
    ASSERT_TRUE(witness.WaitFor(3));
    EXPECT_TRUE(watching.WaitFor(2));
    EXPECT_EQ(watching.Count(), 2);
}

// Stop wakes a watcher that is waiting out a quiet period (here an hour long) at once,
// and nothing is said after it. A watched folder that is removed gets one last
// notification and ends its watch by itself; a path that is no folder is not watched.
TEST_F(FolderWatcherTest, StopsPromptlyAndEndsWithItsFolder)
{
    {
        Watching settling(watched, {false, std::chrono::hours(1)});
        Watching witness(watched, {false, kQuiet});
        tree.MakeFile("watched/starts a burst", "x");
        ASSERT_TRUE(witness.WaitFor(1)); // the event has long been queued for both
        settling.watcher.Stop();
        EXPECT_TRUE(settling.JoinsSoon());
        EXPECT_EQ(settling.Count(), 0);
    }
    {
        const std::string doomed = tree.MakeDir("doomed");
        Watching watching(doomed, {false, kQuiet});
        fs::remove(doomed);
        EXPECT_TRUE(watching.WaitFor(1));
        EXPECT_TRUE(watching.JoinsSoon());
        EXPECT_EQ(watching.Count(), 1);
    }
    {
        Watching file(tree.MakeFile("a file"), {false, kQuiet});
        EXPECT_EQ(file.watcher.Error(), ENOTDIR);
        EXPECT_TRUE(file.JoinsSoon());
        Watching missing(tree.Path("not there"), {false, kQuiet});
        EXPECT_EQ(missing.watcher.Error(), ENOENT);
    }
}

} // namespace
} // namespace bivora::test
