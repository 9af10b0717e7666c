#include "shell/find_files.h"

#include "shell/working_directory.h"
#include "folder_fixture.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <thread>

namespace bivora {
namespace {

constexpr std::int64_t kDay = 86'400;
constexpr std::int64_t kT0 = 1'000'000'000;
constexpr std::int64_t kA0 = 1'500'000'000;

class FindFilesTest : public test::FolderFixture {
protected:
    struct Run {
        std::vector<std::string> found; // paths below the tree's root, in the order reported
        std::vector<std::size_t> batches; // the size of each batch
        FindOutcome outcome;
    };

    Run Search(const FindCriteria& criteria, const std::atomic<bool>& stop, FindSink sink = {})
    {
        Run run;
        auto more = std::move(sink.matches);
        sink.matches = [&](std::vector<FindMatch>&& batch) {
            run.batches.push_back(batch.size());
            for (const FindMatch& match : batch)
                run.found.push_back(Relative(match));
            if (more)
                more(std::move(batch));
        };
        run.outcome = SearchFiles(criteria, ns, stop, sink);
        return run;
    }

    Run Search(const FindCriteria& criteria)
    {
        const std::atomic<bool> stop = false;
        return Search(criteria, stop);
    }

    std::string Relative(const FindMatch& match) const
    {
        const std::string root = tree.Root() + "/";
        std::string path = match.folder == "/" ? "/" + match.data.name : match.folder + "/" + match.data.name;
        return path.starts_with(root) ? path.substr(root.size()) : path;
    }

    // Runs check in a child process (for limits or mounts of its own); its exit code, -1
    // when it did not exit.
    static int InChild(const std::function<int()>& check)
    {
        const pid_t pid = ::fork();
        if (pid == 0)
            _exit(check());
        int status = 0;
        if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
            return -1;
        return WEXITSTATUS(status);
    }

    static std::vector<std::string> Sorted(std::vector<std::string> names)
    {
        std::sort(names.begin(), names.end());
        return names;
    }
};

// Every case runs over the same tree, searched from its data folder as the current one.
TEST_F(FindFilesTest, CriteriaPickTheEntriesTheyDescribe)
{
    tree.MakeFile("data/a.txt", "hello world\n");
    tree.MakeFile("data/b.log", std::string(5000, 'y'));
    tree.MakeFile("data/bin.dat", std::string("\0\0 needle \0", 11));
    tree.MakeFile("data/sub/note.txt", "a Needle here\n");
    tree.MakeFile("data/sub/deep/d.txt", "needles" + std::string(93, 'x'));
    tree.MakeFile("data/sub/deep/E.TXT");
    tree.MakeFile("other/\xff\xfe/caf\xe9.txt"); // names are bytes, not UTF-8
    const std::string big = tree.MakeFile("large/big.bin");
    const bool sparse = ::truncate(big.c_str(), (off_t{4} << 30) + 100) == 0; // a file system may refuse it
    // times again before every case: a text search reads files, which may move their access times
    auto stamp = [&] {
        test::SetTimes(tree.Path("data/a.txt"), kT0, kA0);
        test::SetTimes(tree.Path("data/sub/note.txt"), kT0 + kDay, kA0 + kDay);
        test::SetTimes(tree.Path("data/sub/deep/d.txt"), kT0 + kDay + 1, kA0);
    };

    struct Case {
        const char* what;
        FindCriteria criteria;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"patterns, letter case ignored", {.namePatterns = "*.txt", .lookIn = "."},
         {"data/a.txt", "data/sub/deep/E.TXT", "data/sub/deep/d.txt", "data/sub/note.txt"}},
        {"an exclusion", {.namePatterns = " *.txt , -n*", .lookIn = "."},
         {"data/a.txt", "data/sub/deep/E.TXT", "data/sub/deep/d.txt"}},
        {"exclusions alone, folders listed", {.namePatterns = "-*.txt", .lookIn = "."},
         {"data/b.log", "data/bin.dat", "data/sub", "data/sub/deep"}},
        {"without subfolders", {.namePatterns = "*.txt", .lookIn = ".", .includeSubfolders = false}, {"data/a.txt"}},
        {"a lone star takes all", {.namePatterns = "*", .lookIn = ".", .includeSubfolders = false},
         {"data/a.txt", "data/b.log", "data/bin.dat", "data/sub"}},
        {"modified window, both ends in",
         {.lookIn = ".", .useDate = true, .fromSeconds = kT0, .untilSeconds = kT0 + kDay},
         {"data/a.txt", "data/sub/note.txt"}},
        {"accessed window",
         {.lookIn = ".", .useDate = true, .dateKind = DateKind::kAccessed, .fromSeconds = kA0, .untilSeconds = kA0},
         {"data/a.txt", "data/sub/deep/d.txt"}},
        {"size window, both ends in, no folder", {.lookIn = ".", .useSize = true, .minSize = 100, .maxSize = 5000},
         {"data/b.log", "data/sub/deep/d.txt"}},
        {"empty files but no folder", {.lookIn = ".", .useSize = true, .minSize = 0, .maxSize = 0},
         {"data/sub/deep/E.TXT"}},
        {"text without case, non-text skipped", {.lookIn = ".", .useText = true, .searchText = "needle"},
         {"data/sub/deep/d.txt", "data/sub/note.txt"}},
        {"text with case, whole words, non-text searched",
         {.lookIn = ".", .useText = true, .searchText = "needle", .matchCase = true, .wordsOnly = true,
          .searchBinFiles = true},
         {"data/bin.dat"}},
        {"look-in entries: relative, missing, a file, a pattern, the same folder twice",
         {.namePatterns = "*.txt", .lookIn = "sub/deep,missing,a.txt,sub/*.txt,../data/sub/deep"},
         {"data/sub/deep/E.TXT", "data/sub/deep/E.TXT", "data/sub/deep/d.txt", "data/sub/deep/d.txt"}},
        {"names that are not UTF-8", {.namePatterns = "caf?.txt", .lookIn = "../other"}, {"other/\xff\xfe/caf\xe9.txt"}},
    };

    const std::string before = CurrentDirectory().ValueOr({});
    ASSERT_TRUE(ChangeCurrentDirectory(data));
    for (const Case& c : cases) {
        stamp();
        const Run run = Search(c.criteria);
        EXPECT_EQ(Sorted(run.found), c.expected) << c.what;
        EXPECT_EQ(run.outcome.matches, run.found.size()) << c.what;
        EXPECT_EQ(run.outcome.foldersUnreadable, 0u) << c.what;
        EXPECT_FALSE(run.outcome.stopped) << c.what;
    }
    if (sparse) {
        // sizes past 4 GiB are compared whole, not by their low 32 bits (100 here)
        const FindCriteria over4G{.lookIn = ".,../large", .useSize = true, .minSize = (std::uint64_t{4} << 30) + 1};
        EXPECT_EQ(Search(over4G).found, std::vector<std::string>{"large/big.bin"});
        const FindCriteria under1M{.lookIn = "../large", .useSize = true, .maxSize = 1 << 20};
        EXPECT_TRUE(Search(under1M).found.empty());
    }
    EXPECT_TRUE(ChangeCurrentDirectory(before));
}

// Rows come depth first, a folder's own row before its contents and those before the
// folder's next sibling; links to folders are rows but never a way in, so loops end;
// batches arrive one after another in that order.
TEST_F(FindFilesTest, DepthFirstOrderAcrossBatchesAndLinkLoops)
{
    std::size_t made = 0;
    for (const char* top : {"p", "q", "r", "s"}) {
        for (const char* mid : {"x", "y"}) {
            const std::string folder = std::string(top) + "/" + mid;
            tree.MakeFile("data/" + folder + "/1");
            tree.MakeFile("data/" + folder + "/2");
            made += 3;
        }
        tree.MakeFile("data/" + std::string(top) + "/file");
        made += 2;
    }
    tree.MakeLink("data/loop", ".");
    tree.MakeLink("data/p/x/up", "../..");
    made += 2;

    // each folder read takes a while, as on a slow disk, so the rows arrive in several batches
    FindSink sink;
    sink.scanning = [](const std::string&) { std::this_thread::sleep_for(std::chrono::milliseconds(40)); };
    const std::atomic<bool> stop = false;
    const Run run = Search({.lookIn = data}, stop, sink);
    ASSERT_EQ(run.found.size(), made);
    EXPECT_EQ(run.outcome.foldersRead, 13u);
    EXPECT_GT(run.batches.size(), 1u);
    EXPECT_EQ(std::count(run.batches.begin(), run.batches.end(), 0u), 0) << "no empty batch";

    // every row below a folder follows it at once, as one run of rows
    for (std::size_t i = 0; i < run.found.size(); ++i) {
        const std::string prefix = run.found[i] + "/";
        std::size_t below = 0;
        for (const std::string& path : run.found)
            below += path.starts_with(prefix) ? 1 : 0;
        for (std::size_t k = 1; k <= below; ++k)
            ASSERT_TRUE(i + k < run.found.size() && run.found[i + k].starts_with(prefix)) << run.found[i];
        if (i > 0) {
            // and a row is the first of its folder or follows its previous sibling's sub-tree
            const std::string& previous = run.found[i - 1];
            const std::string folder = run.found[i].substr(0, run.found[i].rfind('/') + 1);
            EXPECT_TRUE(previous.starts_with(folder) || previous + "/" == folder) << run.found[i];
        }
    }
}

TEST_F(FindFilesTest, StopFlagSetFromTheFirstBatchEndsTheSearch)
{
    for (int i = 0; i < 20; ++i)
        tree.MakeFile("data/f" + std::to_string(i % 4) + "/m" + std::to_string(i) + ".txt");
    std::atomic<bool> stop = false;
    FindSink sink;
    // the first folder read takes long enough for the first match to be handed over at once
    sink.scanning = [first = true](const std::string&) mutable {
        if (std::exchange(first, false))
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    };
    sink.matches = [&](std::vector<FindMatch>&&) { stop = true; };
    const Run run = Search({.namePatterns = "*", .lookIn = data}, stop, sink);
    EXPECT_TRUE(run.outcome.stopped);
    ASSERT_FALSE(run.batches.empty());
    EXPECT_EQ(run.found.size(), run.batches.front()) << "nothing is tested once the flag is seen";
    EXPECT_LT(run.found.size(), 24u);
    EXPECT_EQ(run.outcome.matches, run.found.size());
}

// A folder that cannot be listed is counted and passed over; one removed while the
// search runs is passed over without a word.
TEST_F(FindFilesTest, UnreadableFolderCountedAndVanishedFolderIgnored)
{
    tree.MakeFile("data/locked/secret.txt");
    tree.MakeFile("data/open/found.txt");
    tree.MakeDir("data/gone");
    test::SetMode(tree.Path("data/locked"), 0);
    const int code = test::WithoutPermissionOverride([&] {
        FindSink sink;
        sink.scanning = [&, first = true](const std::string&) mutable {
            if (std::exchange(first, false))
                ::rmdir(tree.Path("data/gone").c_str());
        };
        const std::atomic<bool> stop = false;
        const Run run = Search({.namePatterns = "*.txt", .lookIn = data}, stop, sink);
        return run.found == std::vector<std::string>{"data/open/found.txt"} && run.outcome.foldersUnreadable == 1
                && run.outcome.foldersRead == 2
            ? 0
            : 1;
    });
    test::SetMode(tree.Path("data/locked"), 0755);
    ASSERT_GE(code, 0) << "the check could not run";
    EXPECT_EQ(code, 0);
}

// Deeper than any path can name, with far fewer descriptors than levels; the text test
// reaches the bottom file too.
TEST_F(FindFilesTest, TenThousandLevelsDeep)
{
    constexpr int kDepth = 10'000;
    const std::string top = tree.MakeDir("deep");
    test::MakeDeepChain(top, kDepth);
    if (HasFailure())
        return test::RemoveDeepChain(top, kDepth);
    const int code = InChild([&] {
        const rlimit few{64, 64};
        if (::setrlimit(RLIMIT_NOFILE, &few) != 0)
            return 2;
        std::vector<FindMatch> found;
        FindSink sink;
        sink.matches = [&](std::vector<FindMatch>&& batch) {
            for (FindMatch& match : batch)
                found.push_back(std::move(match));
        };
        const std::atomic<bool> stop = false;
        const FindOutcome outcome = SearchFiles(
            {.namePatterns = "bottom,x*", .lookIn = top, .useText = true, .searchText = "234"}, ns, stop, sink);
        const bool ok = found.size() == 1 && found[0].data.name == "bottom" && found[0].data.size == 5
            && found[0].folder.size() > PATH_MAX && outcome.foldersRead == kDepth + 1 && outcome.foldersUnreadable == 0;
        return ok ? 0 : 1;
    });
    EXPECT_EQ(code, 0);
    test::RemoveDeepChain(top, kDepth);
}

// A folder mounted inside itself is a loop no link check sees.
TEST_F(FindFilesTest, FolderMountedInsideItselfIsNotEnteredAgain)
{
    tree.MakeFile("data/a/x.txt");
    const std::string inner = tree.MakeDir("data/a/b");
    const int code = InChild([&] {
        // a mount namespace of its own, so the mount is gone with the child
        if (::unshare(CLONE_NEWNS) != 0 && ::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return 77;
        if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || ::mount(tree.Path("data/a").c_str(), inner.c_str(), nullptr, MS_BIND, nullptr) != 0)
            return 77;
        const std::atomic<bool> stop = false;
        return Search({.namePatterns = "*.txt", .lookIn = data}, stop).found == std::vector<std::string>{"data/a/x.txt"}
            ? 0
            : 1;
    });
    if (code == 77)
        GTEST_SKIP() << "no mount namespace to be had";
    EXPECT_EQ(code, 0);
}

} // namespace
} // namespace bivora
