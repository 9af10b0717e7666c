#include "shell/shell_item.h"

#include "folder_fixture.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace bivora {
namespace {

using Open = ShellFolder::OpenResult;

class ShellItemTest : public test::FolderFixture {};

TEST_F(ShellItemTest, LinksAreShortcutsThatMayLeadToAFolder)
{
    tree.MakeDir("data/target");
    tree.MakeFile("data/target.txt", "123456");
    tree.MakeLink("data/to-dir", "target");
    tree.MakeLink("data/to-file", "target.txt");
    tree.MakeLink("data/dangling", "nowhere");
    tree.MakeLink("data/loop-a", "loop-b");
    tree.MakeLink("data/loop-b", "loop-a");
    ShellFolder folder(ns);
    ASSERT_EQ(folder.Open(IdOf(data), true), Open::kOk);
    ASSERT_EQ(folder.Items().size(), 7u);

    const ShellItem* toDir = folder.FindItemByName("to-dir");
    EXPECT_EQ(toDir->Attributes(), attr::kFileSystem | attr::kLink);
    EXPECT_FALSE(toDir->IsFolder(false)); // not for sorting, filters or the Size column
    EXPECT_TRUE(toDir->IsFolder(true));   // but for opening
    EXPECT_TRUE(toDir->IsFileSystem());
    EXPECT_FALSE(toDir->Key().folder); // sorted among the files
    EXPECT_EQ(toDir->AbsoluteId(true), IdOf(data + "/target"));
    EXPECT_EQ(toDir->AbsoluteId(false), IdOf(data).Concat(ItemIdList({toDir->Id()})));

    for (const char* name : {"to-file", "dangling", "loop-a", "loop-b"}) {
        const ShellItem* item = folder.FindItemByName(name);
        ASSERT_TRUE(item) << name;
        EXPECT_TRUE(item->IsLink()) << name;
        EXPECT_FALSE(item->IsFolder(true)) << name;
        EXPECT_FALSE(item->LinkTarget()) << name;
        EXPECT_EQ(item->AbsoluteId(true), item->AbsoluteId(false)) << name;
    }
    EXPECT_EQ(folder.FindItemByName("to-file")->size, 6u);
    EXPECT_EQ(folder.FindItemByName("dangling")->size, std::string("nowhere").size()); // the link's own
}

TEST_F(ShellItemTest, LinkTargetIsResolvedOnce)
{
    tree.MakeDir("data/target");
    const std::string link = tree.MakeLink("data/link", "target");
    tree.MakeLink("data/later", "target");
    ShellFolder folder(ns);
    ASSERT_EQ(folder.Open(IdOf(data), true), Open::kOk);
    const ShellItem* resolved = folder.FindItemByName("link");
    const ShellItem* unresolved = folder.FindItemByName("later");
    ASSERT_TRUE(resolved->IsFolder(true));

    // Both links now lead nowhere; only the one not asked yet notices.
    std::filesystem::remove_all(tree.Path("data/target"));
    EXPECT_TRUE(resolved->IsFolder(true));
    EXPECT_FALSE(unresolved->IsFolder(true));
}

TEST_F(ShellItemTest, NetworkDrivesLeadToTheirMountPoints)
{
    const std::string share = tree.MakeDir("mnt/share");
    tree.WriteMountTable(test::MountLine(1, "/", "ext4", "/dev/vda")
                         + test::MountLine(2, share, "nfs4", "server:/export"));
    ShellFolder network(ns);
    ASSERT_EQ(network.Open(*ns.ParsePath("::{Network}"), true), Open::kOk);
    ASSERT_EQ(network.Items().size(), 1u);
    const ShellItem& drive = *network.Items()[0];
    EXPECT_TRUE(drive.IsLink());
    EXPECT_TRUE(drive.IsFolder(true));
    EXPECT_EQ(drive.AbsoluteId(true), IdOf(share));
    EXPECT_EQ(drive.AbsoluteId(true)[1].kind, ItemId::Kind::Drive);
}

TEST_F(ShellItemTest, OddNamesMakeWorkingPaths)
{
    const std::vector<std::string> names = {"with blank", "line\nbreak", std::string(255, 'n'), "bad\xff\xfe"};
    for (const std::string& name : names)
        tree.MakeFile("data/" + name, "x");
    ShellFolder folder(ns);
    ASSERT_EQ(folder.Open(IdOf(data), true), Open::kOk);
    ASSERT_EQ(folder.Items().size(), names.size());
    for (const std::string& name : names) {
        ShellItem* item = folder.FindItemByName(name);
        ASSERT_TRUE(item);
        EXPECT_EQ(item->FullPath(), data + "/" + name);
        EXPECT_EQ(item->DisplayName(), name);
        item->created = item->accessed = 0;
        EXPECT_TRUE(item->FillFileTimes());
        EXPECT_NE(item->created, 0);
        EXPECT_NE(item->accessed, 0);
    }
    ShellItem* gone = folder.FindItemByName("with blank");
    std::filesystem::remove(gone->FullPath());
    EXPECT_FALSE(gone->FillFileTimes());
}

TEST_F(ShellItemTest, VirtualItemsOfTheDesktopHaveTheirOwnPaths)
{
    tree.MakeDir("home/Documents");
    ShellFolder desktop(ns);
    ASSERT_EQ(desktop.Open(ItemIdList(), true), Open::kOk);
    const ShellItem* home = desktop.FindItemById({ItemId::Kind::Special, "Home"});
    ASSERT_TRUE(home);
    EXPECT_EQ(home->FullPath(), env.home);
    EXPECT_TRUE(home->IsFolder(false));
    EXPECT_EQ(home->Time(DateKind::kModified), 0); // no time to show
    EXPECT_EQ(desktop.FindItemById({ItemId::Kind::Special, "Computer"})->FullPath(), "::{Computer}");
    EXPECT_EQ(home->AbsoluteId(false), ItemIdList({home->Id()}));
}

TEST_F(ShellItemTest, HasSubfoldersLooksInsideTheFolder)
{
    tree.MakeDir("data/parent/child");
    tree.MakeDir("data/empty");
    tree.MakeFile("data/empty/file");
    ShellFolder folder(ns);
    ASSERT_EQ(folder.Open(IdOf(data), true), Open::kOk);
    EXPECT_TRUE(folder.FindItemByName("parent")->HasSubfolders());
    EXPECT_FALSE(folder.FindItemByName("empty")->HasSubfolders());
}

} // namespace
} // namespace bivora
