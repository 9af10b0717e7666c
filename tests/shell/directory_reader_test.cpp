#include "shell/directory_reader.h"

#include "temp_tree.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sys/stat.h>

namespace bivora {
namespace {

using test::TempTree;

struct Listing {
    DirectoryReadResult result;
    std::map<std::string, FindData> entries;
    int calls = 0;
};

Listing Read(const std::string& path, std::uint32_t flags, const std::atomic<bool>* cancel = nullptr)
{
    Listing listing;
    listing.result = ReadDirectory(path, flags, cancel, [&](FindData&& find) {
        ++listing.calls;
        listing.entries[find.name] = std::move(find);
    });
    return listing;
}

constexpr std::uint32_t kAll = enumflags::kPane | enumflags::kIncludeHidden;

TEST(DirectoryReader, FlagsChooseFoldersOtherEntriesAndHiddenNames)
{
    TempTree dir;
    dir.MakeFile("file.txt", "12345");
    dir.MakeFile("a.tar.gz", "1");
    dir.MakeFile(".hidden", "12");
    dir.MakeDir("sub");
    dir.MakeDir(".hiddendir");

    const Listing all = Read(dir.Root(), kAll);
    ASSERT_TRUE(all.result.opened);
    EXPECT_FALSE(all.result.someFailed);
    EXPECT_EQ(all.calls, 5); // "." and ".." never arrive
    EXPECT_EQ(all.entries.size(), 5u);
    EXPECT_EQ(all.entries.at("file.txt").size, 5u);
    EXPECT_FALSE(all.entries.at("file.txt").isDirectory);
    EXPECT_TRUE(all.entries.at("sub").isDirectory);
    EXPECT_EQ(all.entries.at("sub").size, 0u);

    const Listing visible = Read(dir.Root(), enumflags::kPane);
    EXPECT_EQ(visible.entries.size(), 3u);
    EXPECT_FALSE(visible.entries.count(".hidden"));
    EXPECT_FALSE(visible.entries.count(".hiddendir"));

    const Listing folders = Read(dir.Root(), enumflags::kFolders | enumflags::kIncludeHidden);
    EXPECT_EQ(folders.entries.size(), 2u);
    EXPECT_TRUE(folders.entries.count("sub"));

    const Listing files = Read(dir.Root(), enumflags::kNonFolders);
    EXPECT_EQ(files.entries.size(), 2u);
    EXPECT_TRUE(files.entries.count("a.tar.gz"));
}

TEST(DirectoryReader, TimesComeWithTheEntry)
{
    TempTree dir;
    const std::string file = dir.MakeFile("f", "x");
    test::SetTimes(file, 1'000'000'000, 1'100'000'000);

    const Listing listing = Read(dir.Root(), kAll);
    const FindData& f = listing.entries.at("f");
    EXPECT_EQ(f.modified, 1'000'000'000'000'000'500);
    EXPECT_EQ(f.accessed, 1'100'000'000'000'000'250);
    EXPECT_NE(f.created, 0);
}

TEST(DirectoryReader, ALinkToADirectoryIsNoFolderAndLoopsDoNotHang)
{
    TempTree dir;
    dir.MakeDir("target");
    dir.MakeLink("to-dir", "target");
    dir.MakeLink("loop-a", "loop-b");
    dir.MakeLink("loop-b", "loop-a");

    const Listing all = Read(dir.Root(), kAll);
    EXPECT_FALSE(all.result.someFailed);
    ASSERT_EQ(all.entries.size(), 4u);
    EXPECT_TRUE(all.entries.at("to-dir").isLink);
    EXPECT_TRUE(all.entries.at("to-dir").isDirectory);
    EXPECT_TRUE(all.entries.at("loop-a").isLink);
    EXPECT_FALSE(all.entries.at("loop-a").isDirectory);

    // A shortcut comes with the other entries, not with the folders.
    const Listing folders = Read(dir.Root(), enumflags::kFolders);
    EXPECT_EQ(folders.entries.size(), 1u);
    EXPECT_TRUE(folders.entries.count("target"));
    EXPECT_TRUE(Read(dir.Root(), enumflags::kNonFolders).entries.count("to-dir"));
}

TEST(DirectoryReader, FolderVanishingWhileReadEndsQuietly)
{
    TempTree tree;
    const std::string dir = tree.MakeDir("going");
    // More entries than one batch of the kernel's listing holds.
    for (int i = 0; i < 1500; ++i)
        tree.MakeFile("going/entry-with-a-longer-name-" + std::to_string(i));
    int calls = 0;
    const DirectoryReadResult result = ReadDirectory(dir, kAll, nullptr, [&](FindData&&) {
        if (++calls == 1)
            std::filesystem::remove_all(dir);
    });
    EXPECT_TRUE(result.opened);
    EXPECT_FALSE(result.someFailed);
    EXPECT_LT(calls, 1500);
}

TEST(DirectoryReader, FolderThatCannotBeReadReportsWhy)
{
    TempTree dir;
    EXPECT_EQ(Read(dir.Path("missing"), kAll).result.error, ENOENT);
    const Listing file = Read(dir.MakeFile("plain"), kAll);
    EXPECT_FALSE(file.result.opened);
    EXPECT_EQ(file.result.error, ENOTDIR);
    EXPECT_EQ(file.calls, 0);

    const std::string closed = dir.MakeDir("closed");
    test::SetMode(closed, 0);
    const int code = test::WithoutPermissionOverride([&] {
        const Listing listing = Read(closed, kAll);
        return listing.result.opened ? 1 : listing.result.error == EACCES ? 0 : 2;
    });
    if (code < 0)
        GTEST_SKIP() << "cannot drop the permission override here";
    EXPECT_EQ(code, 0);
}

TEST(DirectoryReader, EntriesThatCannotBeExaminedAreLeftOutAndReported)
{
    TempTree dir;
    const std::string listOnly = dir.MakeDir("list-only");
    dir.MakeFile("list-only/one");
    dir.MakeFile("list-only/two");
    // mode 0 on a child hides nothing: it can still be examined
    test::SetMode(dir.MakeFile("no-access-file"), 0);
    test::SetMode(listOnly, 0444);

    const int code = test::WithoutPermissionOverride([&] {
        const Listing names = Read(listOnly, kAll);
        if (!names.result.opened || !names.result.someFailed || names.calls != 0)
            return 1;
        const Listing outer = Read(dir.Root(), kAll);
        if (!outer.result.opened || outer.result.someFailed || !outer.entries.count("no-access-file"))
            return 2;
        return 0;
    });
    if (code < 0)
        GTEST_SKIP() << "cannot drop the permission override here";
    EXPECT_EQ(code, 0);
}

TEST(DirectoryReader, CancelStopsTheRead)
{
    TempTree dir;
    for (int i = 0; i < 10; ++i)
        dir.MakeFile("f" + std::to_string(i));
    std::atomic<bool> cancel{false};
    int calls = 0;
    const DirectoryReadResult result = ReadDirectory(dir.Root(), kAll, &cancel, [&](FindData&&) {
        if (++calls == 3)
            cancel = true;
    });
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(calls, 3);
}

TEST(DirectoryReader, StatEntryExaminesOnePath)
{
    TempTree dir;
    dir.MakeDir("sub");
    const std::string file = dir.MakeFile("sub/name with blank", "abc");
    FindData find;
    ASSERT_TRUE(StatEntry(file, find));
    EXPECT_EQ(find.name, "name with blank");
    EXPECT_EQ(find.size, 3u);
    ASSERT_TRUE(StatEntry(dir.Path("sub/"), find));
    EXPECT_EQ(find.name, "sub");
    EXPECT_TRUE(find.isDirectory);
    EXPECT_FALSE(StatEntry(dir.Path("gone"), find));
    EXPECT_EQ(find.name, "sub"); // untouched by a failed look-up
}

} // namespace
} // namespace bivora
