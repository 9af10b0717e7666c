#include "shell/folder_stats.h"

#include "temp_tree.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace bivora {
namespace {

using test::TempTree;

std::map<std::string, const FolderStatNode*> ByPath(const FolderStats& stats)
{
    std::map<std::string, const FolderStatNode*> nodes;
    for (const FolderStatNode& node : stats.nodes)
        nodes.emplace(FolderStatPath(node), &node);
    return nodes;
}

// The figures of every folder, a hard-linked file counted once, a link loop as one small
// file, and a folder the user may not list; read as a user would be (the suite may run
// as root, whose override would open the locked folder).
TEST(FolderStats, EveryLevelAddsUpTheLevelsBelow)
{
    TempTree tree;
    tree.MakeFile("top/one", std::string(100, 'x'));
    tree.MakeFile("top/two", std::string(200, 'x'));
    tree.MakeFile("top/three", std::string(300, 'x')); // 600 bytes: 1 kB
    const std::string big = tree.MakeFile("top/a/big", std::string(5000, 'x'));
    tree.MakeFile("top/a/b/c", std::string(2048, 'x'));
    ASSERT_EQ(::link(big.c_str(), tree.Path("top/a/b/same").c_str()), 0);
    tree.MakeLink("top/a/b/up", ".."); // 2 bytes, never entered
    tree.MakeDir("top/a/empty");
    tree.MakeFile("top/locked/hidden", std::string(9000, 'x'));
    test::SetMode(tree.Path("top/locked"), 0);

    struct Row {
        const char* path;
        bool accessible;
        std::uint64_t ownKb, ownFiles, totalKb, totalFiles, totalFolders;
    };
    // a/b: 2048 + 2 bytes (the second name of big is not counted again) = 2 kB, 2 files
    const Row rows[] = {
        {"top", true, 1, 3, 1 + 5 + 2, 3 + 1 + 2, 4},
        {"top/a", true, 5, 1, 5 + 2, 1 + 2, 2},
        {"top/a/b", true, 2, 2, 2, 2, 0},
        {"top/a/empty", true, 0, 0, 0, 0, 0},
        {"top/locked", false, 0, 0, 0, 0, 0},
    };
    const int code = test::WithoutPermissionOverride([&] {
        std::atomic<bool> stop = false;
        const FolderStats stats = ReadFolderStats(tree.Path("top"), stop);
        if (stats.failed || stats.stopped || stats.inaccessible != 1 || stats.otherFileSystems != 0)
            return 100;
        const auto nodes = ByPath(stats);
        if (nodes.size() != std::size(rows))
            return 101;
        for (std::size_t i = 0; i < std::size(rows); ++i) {
            const Row& row = rows[i];
            const auto found = nodes.find(tree.Path(row.path));
            if (found == nodes.end())
                return int(i) + 1;
            const FolderStatNode& node = *found->second;
            if (node.accessible != row.accessible || node.ownKb != row.ownKb || node.ownFiles != row.ownFiles
                || node.TotalKb() != row.totalKb || node.TotalFiles() != row.totalFiles
                || node.TotalFolders() != row.totalFolders)
                return int(i) + 1;
        }
        return 0;
    });
    test::SetMode(tree.Path("top/locked"), 0755);
    ASSERT_GE(code, 0) << "the check could not run";
    EXPECT_EQ(code, 0) << (code > 0 && code <= int(std::size(rows)) ? rows[code - 1].path : "totals of the read");
}

TEST(FolderStats, LargeFilesAddUpInSixtyFourBitsAndAnUnreadableStartFails)
{
    TempTree tree;
    test::SetFileSize(tree.MakeFile("top/huge"), off_t(5) << 30); // sparse: 5 GB counted, none written
    std::atomic<bool> stop = false;
    const FolderStats stats = ReadFolderStats(tree.Path("top"), stop);
    ASSERT_FALSE(stats.failed);
    EXPECT_EQ(stats.Root()->TotalKb(), std::uint64_t(5) << 20);

    EXPECT_TRUE(ReadFolderStats(tree.Path("missing"), stop).failed);
    tree.MakeLink("link", "top"); // a start folder reached by a link is read all the same
    EXPECT_EQ(ReadFolderStats(tree.Path("link"), stop).Root()->TotalFiles(), 1u);

    stop = true;
    const FolderStats stopped = ReadFolderStats(tree.Path("top"), stop);
    EXPECT_TRUE(stopped.stopped);
    EXPECT_FALSE(stopped.failed);
}

// Folder after folder on the walk's own stack: a chain deeper than any path holds is
// read whole, and its figures climb all the way to the top.
TEST(FolderStats, DeepChainIsReadWithoutRecursion)
{
    constexpr int kDepth = 3'000;
    TempTree tree;
    const std::string top = tree.MakeDir("deep");
    test::MakeDeepChain(top, kDepth);
    if (!HasFailure()) {
        std::atomic<bool> stop = false;
        const FolderStats stats = ReadFolderStats(top, stop);
        EXPECT_FALSE(stats.failed);
        EXPECT_EQ(stats.nodes.size(), std::size_t(kDepth + 1));
        EXPECT_EQ(stats.Root()->TotalFolders(), std::uint64_t(kDepth));
        EXPECT_EQ(stats.Root()->TotalFiles(), 1u);
        EXPECT_EQ(stats.nodes.back().ownFiles, 1u);
    }
    test::RemoveDeepChain(top, kDepth);
}

// A mount below the start folder is not entered but counted (here /dev and its pts or
// shm mount, where the machine has them).
TEST(FolderStats, OtherFileSystemsAreCountedNotEntered)
{
    struct stat dev {}, sub {};
    if (::stat("/dev", &dev) != 0
        || ((::stat("/dev/pts", &sub) != 0 || sub.st_dev == dev.st_dev)
            && (::stat("/dev/shm", &sub) != 0 || sub.st_dev == dev.st_dev)))
        GTEST_SKIP() << "no mount below /dev";
    std::atomic<bool> stop = false;
    const FolderStats stats = ReadFolderStats("/dev", stop);
    EXPECT_GE(stats.otherFileSystems, 1u);
    for (const FolderStatNode& node : stats.nodes)
        EXPECT_NE(FolderStatPath(node), "/dev/pts");
}

} // namespace
} // namespace bivora
