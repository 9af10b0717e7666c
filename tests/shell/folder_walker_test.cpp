#include "shell/folder_walker.h"

#include "shell/unique_fd.h"
#include "temp_tree.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <climits>
#include <fcntl.h>
#include <map>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace bivora {
namespace {

using test::TempTree;

TEST(FolderWalker, TotalsCountEverythingBelowAndLinksAsThemselves)
{
    TempTree tree;
    tree.MakeFile("top/one", std::string(1000, 'x'));
    tree.MakeFile("top/a/two", std::string(200, 'x'));
    tree.MakeFile("top/a/b/.three", std::string(34, 'x'));
    tree.MakeDir("top/a/empty");
    tree.MakeLink("top/a/dangling", "/nonexistent/target");
    tree.MakeLink("top/a/up", ".."); // a link to a folder is one small file, never a way round
    tree.MakeFile("loose", std::string(66, 'x'));

    std::atomic<bool> stop = false;
    int progressCalls = 0;
    const FolderTotal total = SumItems({tree.Path("top"), tree.Path("loose"), tree.Path("missing")}, stop,
                                       [&](const FolderTotal&) { ++progressCalls; });
    EXPECT_EQ(total.files, 6u);
    EXPECT_EQ(total.folders, 4u); // top, a, b, empty
    EXPECT_EQ(total.bytes, 1300u + std::string("/nonexistent/target").size() + std::string("..").size());
    EXPECT_EQ(total.unreadable, 0u);
    EXPECT_FALSE(total.stopped);
    EXPECT_EQ(progressCalls, 4) << "once per folder listed";

    // what the visitor sees: each entry once, with the folder that holds it and its depth
    std::map<std::string, std::pair<std::string, std::size_t>> seen;
    WalkItems({tree.Path("top")}, nullptr, {.entry = [&](const WalkEntry& entry) {
                   EXPECT_TRUE(seen.emplace(entry.find.name, std::make_pair(std::string(entry.folder), entry.depth)).second)
                       << entry.find.name;
               }});
    EXPECT_EQ(seen.size(), 9u);
    EXPECT_EQ(seen.at("top"), std::make_pair(tree.Root(), std::size_t(0)));
    EXPECT_EQ(seen.at(".three"), std::make_pair(tree.Path("top/a/b"), std::size_t(3)));

    stop = true;
    EXPECT_TRUE(SumItems({tree.Path("top")}, stop).stopped);
}

TEST(FolderWalker, StopFlagEndsTheWalkInsideAFolder)
{
    TempTree tree;
    for (int i = 0; i < 50; ++i)
        tree.MakeFile("big/f" + std::to_string(i));
    std::atomic<bool> stop = false;
    int entries = 0;
    const WalkResult result = WalkItems({tree.Path("big")}, &stop, {.entry = [&](const WalkEntry&) {
                                            if (++entries == 10)
                                                stop = true;
                                        }});
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(entries, 10);
}

TEST(FolderWalker, UnreadableFolderIsCountedAndTheWalkGoesOn)
{
    TempTree tree;
    tree.MakeFile("top/locked/secret");
    tree.MakeFile("top/open/file", "abc");
    test::SetMode(tree.Path("top/locked"), 0);
    const std::string top = tree.Path("top");
    const int code = test::WithoutPermissionOverride([&] {
        std::atomic<bool> stop = false;
        std::string where;
        int error = 0;
        WalkItems({top}, &stop, {.unreadable = [&](std::string_view folder, int e) {
                                     where = folder;
                                     error = e;
                                 }});
        const FolderTotal total = SumItems({top}, stop);
        const bool ok = total.unreadable == 1 && total.files == 1 && total.bytes == 3 && total.folders == 3
            && where == top + "/locked" && error == EACCES;
        return ok ? 0 : 1;
    });
    ASSERT_GE(code, 0) << "the check could not run";
    EXPECT_EQ(code, 0);
}

// Paths past PATH_MAX once stopped the totals at about two thousand levels; a walk by
// descriptors has no such limit, and needs only a few of them open at a time.
TEST(FolderWalker, TreeDeeperThanAnyPathIsWalkedWhole)
{
    constexpr int kDepth = 3'000; // "d/" a level: half as much again as a path can hold
    TempTree tree;
    const std::string top = tree.MakeDir("deep");
    test::MakeDeepChain(top, kDepth);
    if (HasFailure())
        return test::RemoveDeepChain(top, kDepth);

    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const rlimit few{64, 64}; // far fewer descriptors than levels
        if (::setrlimit(RLIMIT_NOFILE, &few) != 0)
            _exit(2);
        std::atomic<bool> stop = false;
        std::size_t deepest = 0;
        std::size_t longestFolder = 0;
        std::uint64_t folders = 0;
        std::uint64_t bytes = 0;
        WalkVisitor visitor;
        visitor.entry = [&](const WalkEntry& entry) {
            deepest = std::max(deepest, entry.depth);
            longestFolder = std::max(longestFolder, entry.folder.size());
            folders += entry.find.isDirectory ? 1 : 0;
            bytes += entry.find.size;
        };
        const WalkResult walk = WalkItems({top}, &stop, visitor);
        const bool ok = !walk.stopped && walk.unreadable == 0 && deepest == kDepth + 1 && longestFolder > PATH_MAX
            && folders == kDepth + 1 && bytes == 5;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    test::RemoveDeepChain(top, kDepth);
}

} // namespace
} // namespace bivora
