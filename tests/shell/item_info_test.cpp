#include "shell/executable.h"
#include "shell/item_info.h"
#include "shell/working_directory.h"

#include "temp_tree.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bivora {
namespace {

using test::TempTree;

TEST(ItemInfo, FileLinkAndDanglingLink)
{
    TempTree tree;
    const std::string file = tree.MakeFile("file", std::string(1234, 'a'));
    test::SetMode(file, 02640);
    test::SetTimes(file, 978350400, 978350500);
    tree.MakeLink("link", "file");
    tree.MakeLink("dangling", "/nonexistent/target");

    const auto info = ReadItemInfo(file);
    ASSERT_TRUE(info) << info.Error();
    EXPECT_TRUE(info->isRegular);
    EXPECT_FALSE(info->isDirectory || info->isLink || info->targetMissing);
    EXPECT_EQ(info->size, 1234u);
    EXPECT_EQ(info->mode, 02640u);
    EXPECT_EQ(info->modified, 978350400 * FileTime(1'000'000'000) + 500);
    EXPECT_EQ(info->accessed, 978350500 * FileTime(1'000'000'000) + 250);
    EXPECT_NE(info->created, 0);
    EXPECT_EQ(info->owner, ::getuid());
    EXPECT_EQ(info->group, ::getgid());

    const auto link = ReadItemInfo(tree.Path("link"));
    ASSERT_TRUE(link);
    EXPECT_TRUE(link->isLink);
    EXPECT_FALSE(link->targetMissing);
    EXPECT_EQ(link->size, 1234u) << "a resolved link shows its target";
    EXPECT_EQ(link->mode, 02640u);

    const auto dangling = ReadItemInfo(tree.Path("dangling"));
    ASSERT_TRUE(dangling);
    EXPECT_TRUE(dangling->isLink && dangling->targetMissing);
    EXPECT_EQ(dangling->size, std::string("/nonexistent/target").size()) << "the link itself";

    EXPECT_TRUE(ReadItemInfo(tree.Root())->isDirectory);
    EXPECT_EQ(ReadItemInfo(tree.Path("missing")).Error(), ENOENT);
    EXPECT_EQ(ReadItemInfo(tree.Path("file/below")).Error(), ENOTDIR);
}

TEST(ItemInfo, ChangeModeKeepsTheErrno)
{
    TempTree tree;
    const std::string file = tree.MakeFile("file");
    ASSERT_TRUE(ChangeMode(file, 01751));
    EXPECT_EQ(ReadItemInfo(file)->mode, 01751u);
    EXPECT_EQ(ChangeMode(tree.Path("missing"), 0644).Error(), ENOENT);
}

TEST(ItemInfo, OwnerAndGroupNames)
{
    EXPECT_EQ(UserName(::getuid()), ::getpwuid(::getuid())->pw_name);
    EXPECT_EQ(GroupName(::getgid()), ::getgrgid(::getgid())->gr_name);
    // an id with no entry shows as its number
    EXPECT_EQ(UserName(3'999'999'999u), "3999999999");
    EXPECT_EQ(GroupName(3'999'999'999u), "3999999999");
}

TEST(ItemInfo, FolderGoneOnlyWhenItIsNotThere)
{
    TempTree tree;
    tree.MakeFile("file");
    tree.MakeFile("locked/inner/x");
    test::SetMode(tree.Path("locked"), 0);
    const std::pair<const char*, bool> rows[] = {
        {"", false}, {"missing", true}, {"file", true}, {"file/below", true},
    };
    for (const auto& [name, gone] : rows)
        EXPECT_EQ(IsFolderGone(tree.Path(name)), gone) << name;
    // a folder that may not be looked into is still there
    const std::string inner = tree.Path("locked/inner");
    EXPECT_EQ(test::WithoutPermissionOverride([&] { return IsFolderGone(inner) ? 1 : 0; }), 0);
}

TEST(WorkingDirectory, ChangeAndReadBack)
{
    TempTree tree;
    const auto before = CurrentDirectory();
    ASSERT_TRUE(before);
    ASSERT_TRUE(ChangeCurrentDirectory(tree.Root()));
    EXPECT_EQ(*CurrentDirectory(), tree.Root());
    EXPECT_EQ(ChangeCurrentDirectory(tree.Path("missing")).Error(), ENOENT);
    EXPECT_EQ(*CurrentDirectory(), tree.Root()) << "a failed change leaves it";
    ASSERT_TRUE(ChangeCurrentDirectory(*before));
}

TEST(Executable, NeedsTheXBitAndAnElfHeaderOrAScriptLine)
{
    TempTree tree;
    struct Case {
        const char* name;
        std::string content;
        mode_t mode;
        bool executable;
    };
    const Case cases[] = {
        {"elf", std::string("\x7f" "ELF\x02\x01\x01", 7), 0755, true},
        {"script.sh", "#!/bin/sh\necho hi\n", 0700, true},
        {"x-bit-text", "just text\n", 0755, false},
        {"elf-no-x", std::string("\x7f" "ELF\x02\x01\x01", 7), 0644, false},
        {"script-no-x", "#!/bin/sh\n", 0644, false},
        {"short", "#", 0755, false},
        {"empty", "", 0755, false},
    };
    for (const Case& c : cases) {
        const std::string path = tree.MakeFile(c.name, c.content);
        test::SetMode(path, c.mode);
        EXPECT_EQ(IsExecutableFile(path), c.executable) << c.name;
    }
    tree.MakeLink("link", "script.sh");
    EXPECT_TRUE(IsExecutableFile(tree.Path("link")));
    ASSERT_EQ(::mkfifo(tree.Path("fifo").c_str(), 0755), 0);
    EXPECT_FALSE(IsExecutableFile(tree.Path("fifo"))) << "and no read that blocks";
    EXPECT_FALSE(IsExecutableFile(tree.Root())) << "a folder is never an executable file";
    EXPECT_FALSE(IsExecutableFile(tree.Path("missing")));
}

} // namespace
} // namespace bivora
