#include "shell/shell_namespace.h"

#include "temp_tree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace bivora {
namespace {

using test::MountLine;
using test::TempTree;

ItemId Special(const char* key) { return {ItemId::Kind::Special, key}; }
ItemId Entry(std::string key) { return {ItemId::Kind::Entry, std::move(key)}; }

std::vector<std::string> Names(const std::vector<ShellNamespace::Child>& children)
{
    std::vector<std::string> names;
    for (const auto& child : children)
        names.push_back(child.displayName);
    return names;
}

// The list of a path under "/" when "/" is the only drive.
ItemIdList UnderRoot(const std::string& path)
{
    ItemIdList id({Special("Computer"), ItemId{ItemId::Kind::Drive, "/"}});
    std::size_t pos = 1;
    while (pos < path.size()) {
        std::size_t end = path.find('/', pos);
        if (end == std::string::npos)
            end = path.size();
        id.Append(Entry(path.substr(pos, end - pos)));
        pos = end + 1;
    }
    return id;
}

TEST(DrivesFromMountInfo, KeepsVolumesLeavesOutSystemMountsAndOrdersThem)
{
    const std::string table = "22 27 0:21 / /proc rw - proc proc rw\n"
                              "25 24 0:23 / /dev/shm rw - tmpfs tmpfs rw\n"
                              + MountLine(50, "/run/media/u/USB\\040STICK", "vfat", "/dev/sdb1")
                              + MountLine(27, "/", "ext4", "/dev/vda")
                              + MountLine(51, "/home", "ext4", "/dev/vda2")
                              + MountLine(52, "/mnt/share", "nfs4", "server:/export")
                              + MountLine(53, "/snap/core/1", "squashfs", "/dev/loop0")
                              + MountLine(54, "/var/lib/docker/overlay2/x/merged", "overlay", "overlay")
                              + "garbage line without fields\n"
                              + "1 2 3 - \n";
    const auto drives = DrivesFromMountInfo(table, "");
    ASSERT_EQ(drives.size(), 4u);
    EXPECT_EQ(drives[0].mountPath, "/");
    EXPECT_EQ(drives[0].DisplayName(), "File System (C:)");
    EXPECT_EQ(drives[1].mountPath, "/home");
    EXPECT_EQ(drives[1].DisplayName(), "home (D:)");
    EXPECT_EQ(drives[2].mountPath, "/mnt/share");
    EXPECT_TRUE(drives[2].network);
    EXPECT_EQ(drives[2].letter, 'E');
    EXPECT_EQ(drives[3].mountPath, "/run/media/u/USB STICK");
    EXPECT_TRUE(drives[3].removable);
    EXPECT_FALSE(drives[1].removable);
    EXPECT_EQ(drives[3].DisplayName(), "USB STICK (F:)");
}

TEST(DrivesFromMountInfo, RootIsAlwaysThereAndLettersEndAtZ)
{
    EXPECT_EQ(DrivesFromMountInfo("", "").size(), 1u);
    EXPECT_EQ(DrivesFromMountInfo("\x01\x02 nonsense\n\n", "")[0].mountPath, "/");

    std::string table = MountLine(1, "/", "ext4", "/dev/vda");
    for (int i = 0; i < 30; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/mnt/d%02d", i);
        table += MountLine(100 + i, name, "ext4", "/dev/sdx");
    }
    const auto drives = DrivesFromMountInfo(table, "");
    ASSERT_EQ(drives.size(), 31u);
    EXPECT_EQ(drives[23].letter, 'Z');
    EXPECT_EQ(drives[24].letter, 0);
    EXPECT_EQ(drives[30].DisplayName(), "d29");
}

TEST(DrivesFromMountInfo, LabelsComeFromTheLabelFolder)
{
    TempTree tree;
    tree.MakeDir("by-label");
    tree.MakeLink("by-label/My\\x20Disk", "/dev/null");
    const auto drives = DrivesFromMountInfo(MountLine(1, "/", "ext4", "/dev/vda") + MountLine(2, "/data", "ext4", "/dev/null"),
                                            tree.Path("by-label"));
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[1].DisplayName(), "My Disk (D:)");
}

class NamespaceTest : public ::testing::Test {
protected:
    TempTree tree;
    Environment env = tree.MakeEnvironment();
};

TEST_F(NamespaceTest, UserDirectoriesFollowXdgThenFallBack)
{
    ShellNamespace ns(env);
    EXPECT_EQ(ns.DesktopDirectory(), env.home); // no Desktop folder at all
    tree.MakeDir("home/Desktop");
    EXPECT_EQ(ns.DesktopDirectory(), env.home + "/Desktop");
    tree.MakeDir("home/Schreibtisch");
    tree.MakeDir("home/Dokumente");
    tree.MakeFile("home/.config/user-dirs.dirs", "# written by xdg-user-dirs-update\n"
                                                 "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                                                 "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n"
                                                 "XDG_MUSIC_DIR=\"$HOME/missing\"\n");
    EXPECT_EQ(ns.DesktopDirectory(), env.home + "/Schreibtisch");
    EXPECT_EQ(ns.DocumentsDirectory(), env.home + "/Dokumente");
    // A configured folder that does not exist falls back.
    tree.MakeFile("home/.config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/gone\"\n");
    EXPECT_EQ(ns.DesktopDirectory(), env.home + "/Desktop");
}

TEST_F(NamespaceTest, ParsePathGivesTheCanonicalList)
{
    tree.MakeDir("home/a b/c");
    tree.MakeDir("vol/inner");
    tree.WriteMountTable(MountLine(1, "/", "ext4", "/dev/vda") + MountLine(2, tree.Path("vol"), "ext4", "/dev/sdb1"));
    ShellNamespace ns(env);

    EXPECT_EQ(ns.ParsePath(env.home + "/a b/c"), UnderRoot(env.home + "/a b/c"));
    EXPECT_EQ(ns.ParsePath(env.home + "//a b/./c/../c/"), UnderRoot(env.home + "/a b/c"));
    EXPECT_EQ(ns.ParsePath("~/a b"), UnderRoot(env.home + "/a b"));
    EXPECT_EQ(ns.ParsePath("~"), UnderRoot(env.home));
    EXPECT_EQ(ns.ParsePath("/"), UnderRoot("/"));

    // The drive with the longest mount path wins; its mount point is its root.
    const ItemIdList inner({Special("Computer"), ItemId{ItemId::Kind::Drive, tree.Path("vol")}, Entry("inner")});
    EXPECT_EQ(ns.ParsePath(tree.Path("vol/inner")), inner);
    EXPECT_EQ(ns.ParsePath(tree.Path("vol")), inner.ParentId(1));
    // "volume" shares the text prefix of "vol" but is not below it.
    tree.MakeDir("volume");
    EXPECT_EQ(ns.ParsePath(tree.Path("volume")), UnderRoot(tree.Path("volume")));

    EXPECT_EQ(ns.ParsePath("::{Computer}"), ItemIdList({Special("Computer")}));
    EXPECT_EQ(ns.ParsePath("::{Trash}"), ItemIdList({Special("Trash")}));
    EXPECT_FALSE(ns.ParsePath(env.home + "/missing"));
    EXPECT_FALSE(ns.ParsePath("relative/path"));
    EXPECT_FALSE(ns.ParsePath(""));
}

TEST_F(NamespaceTest, BindAndNamesOfTheVirtualFolders)
{
    tree.MakeDir("home/Desktop");
    ShellNamespace ns(env);

    const auto desktop = ns.Bind({});
    ASSERT_TRUE(desktop);
    EXPECT_EQ(desktop->kind, ShellNamespace::Folder::Kind::Desktop);
    EXPECT_EQ(desktop->directory, env.home + "/Desktop");
    EXPECT_TRUE(desktop->attributes & attr::kFileSystem);
    EXPECT_EQ(ns.ParsingName({}), env.home + "/Desktop");
    EXPECT_EQ(ns.DisplayName({}), "Desktop");

    const ItemIdList computer({Special("Computer")});
    ASSERT_TRUE(ns.Bind(computer));
    EXPECT_EQ(ns.Bind(computer)->kind, ShellNamespace::Folder::Kind::Computer);
    EXPECT_FALSE(*ns.Attributes(computer) & attr::kFileSystem);
    EXPECT_EQ(ns.ParsingName(computer), "::{Computer}");
    EXPECT_EQ(ns.DisplayName(computer), "Computer");

    const ItemIdList drive({Special("Computer"), ItemId{ItemId::Kind::Drive, "/"}});
    EXPECT_EQ(ns.DisplayName(drive), "File System (C:)");
    EXPECT_EQ(ns.ParsingName(drive), "/");
    EXPECT_EQ(ns.Bind(drive)->kind, ShellNamespace::Folder::Kind::Directory);
    // A drive that is no longer mounted cannot be opened.
    EXPECT_FALSE(ns.Bind(ItemIdList({Special("Computer"), ItemId{ItemId::Kind::Drive, env.home}})));

    const ItemIdList home({Special("Home")});
    EXPECT_EQ(ns.Bind(home)->directory, env.home);
    EXPECT_EQ(ns.ParsingName(home), env.home);
    EXPECT_EQ(ns.DisplayName(home), "Home");

    auto children = ns.EnumerateVirtual(*desktop, enumflags::kPane);
    ASSERT_TRUE(children);
    EXPECT_EQ(Names(*children), (std::vector<std::string>{"Computer", "Home", "Documents", "Network", "Trash"}));
    EXPECT_TRUE(ns.EnumerateVirtual(*desktop, enumflags::kNonFolders)->empty());

    // Entries that could escape their folder never name anything.
    EXPECT_FALSE(ns.Bind(ItemIdList({Special("Home"), Entry("..")})));
    EXPECT_FALSE(ns.Bind(ItemIdList({Special("Home"), Entry("a/b")})));
    EXPECT_FALSE(ns.Bind(ItemIdList({Special("Nowhere")})));
    EXPECT_FALSE(ns.Bind(ItemIdList({ItemId{ItemId::Kind::Drive, "/"}})));
}

TEST_F(NamespaceTest, ComputerListsDrivesAndNetworkListsNetworkMounts)
{
    tree.MakeDir("share/docs");
    tree.MakeDir("usb");
    tree.MakeFile("hosts");
    tree.WriteMountTable(MountLine(1, "/", "ext4", "/dev/vda") + MountLine(2, tree.Path("share"), "cifs", "//srv/share")
                         + MountLine(3, tree.Path("usb"), "vfat", "/dev/sdc1")
                         + MountLine(4, tree.Path("hosts"), "ext4", "/dev/vda")); // a bind-mounted file
    ShellNamespace ns(env);
    const auto computer = ns.EnumerateVirtual(*ns.Bind(ItemIdList({Special("Computer")})), enumflags::kPane);
    ASSERT_TRUE(computer);
    ASSERT_EQ(computer->size(), 3u);
    EXPECT_EQ((*computer)[0].displayName, "File System (C:)");
    EXPECT_EQ((*computer)[1].displayName, "share (D:)");
    EXPECT_EQ((*computer)[2].displayName, "usb (E:)");

    const auto network = ns.EnumerateVirtual(*ns.Bind(ItemIdList({Special("Network")})), enumflags::kPane);
    ASSERT_TRUE(network);
    ASSERT_EQ(network->size(), 1u);
    const auto& share = (*network)[0];
    EXPECT_EQ(share.id.kind, ItemId::Kind::NetworkDrive);
    EXPECT_TRUE(share.attributes & attr::kLink);
    const ItemIdList shareId({Special("Network"), share.id});
    const auto bound = ns.Bind(shareId.Concat(ItemIdList({Entry("docs")})));
    ASSERT_TRUE(bound);
    EXPECT_EQ(bound->directory, tree.Path("share/docs"));
    EXPECT_TRUE(*ns.Attributes(shareId, true) & attr::kHasSubfolder);
    // The USB stick is no network drive.
    EXPECT_FALSE(ns.Bind(ItemIdList({Special("Network"), ItemId{ItemId::Kind::NetworkDrive, tree.Path("usb")}})));
}

TEST_F(NamespaceTest, UnreadableMountTableStillGivesTheRoot)
{
    env.mountInfoPath = tree.Path("no-such-table");
    ShellNamespace ns(env);
    const auto drives = ns.Drives();
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_EQ(drives[0].mountPath, "/");
    EXPECT_EQ(ns.ParsePath(env.home), UnderRoot(env.home));
}

TEST_F(NamespaceTest, TrashListsItemsByOriginalName)
{
    ShellNamespace ns(env);
    const ItemIdList trashId({Special("Trash")});
    const auto trash = ns.Bind(trashId);
    ASSERT_TRUE(trash);
    EXPECT_TRUE(ns.EnumerateVirtual(*trash, enumflags::kPane)->empty()); // no trash folder yet

    tree.MakeFile("home/.local/share/Trash/files/report.txt.2", "x");
    tree.MakeFile("home/.local/share/Trash/info/report.txt.2.trashinfo",
                  "[Trash Info]\nPath=/home/u/My%20Docs/report.txt\nDeletionDate=2026-01-01T10:00:00\n");
    tree.MakeDir("home/.local/share/Trash/files/old dir");
    tree.MakeFile("home/.local/share/Trash/info/old dir.trashinfo", "[Trash Info]\nPath=/tmp/old%20dir\n");
    tree.MakeFile("home/.local/share/Trash/files/.hidden");
    tree.MakeFile("home/.local/share/Trash/info/.hidden.trashinfo", "[Trash Info]\nPath=/x/.hidden\n");
    tree.MakeFile("home/.local/share/Trash/info/orphan.trashinfo", "[Trash Info]\nPath=/x/orphan\n");

    // Only "%" with two hexadecimal digits is an escape.
    tree.MakeFile("home/.local/share/Trash/files/odd");
    tree.MakeFile("home/.local/share/Trash/info/odd.trashinfo", "[Trash Info]\nPath=/x/a%2Bb%+1%zz%4\n");

    auto names = Names(*ns.EnumerateVirtual(*trash, enumflags::kPane));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a+b%+1%zz%4", "old dir", "report.txt"}));
    names = Names(*ns.EnumerateVirtual(*trash, enumflags::kPane | enumflags::kIncludeHidden));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".hidden", "a+b%+1%zz%4", "old dir", "report.txt"}));
    EXPECT_EQ(Names(*ns.EnumerateVirtual(*trash, enumflags::kFolders)), (std::vector<std::string>{"old dir"}));

    const ItemIdList item({Special("Trash"), ItemId{ItemId::Kind::TrashEntry, "report.txt.2"}});
    EXPECT_EQ(ns.DisplayName(item), "report.txt");
    EXPECT_EQ(ns.FileSystemPath(item), tree.Path("home/.local/share/Trash/files/report.txt.2"));
    EXPECT_EQ(ns.ParsingName(trashId), "::{Trash}");
}

// An info file that is a FIFO would block the listing for good, one linked to
// /dev/zero would fill memory: such items keep their trash names.
TEST_F(NamespaceTest, TrashInfoThatIsNoRegularFileIsNotRead)
{
    ShellNamespace ns(env);
    const auto trash = ns.Bind(ItemIdList({Special("Trash")}));
    ASSERT_TRUE(trash);
    tree.MakeFile("home/.local/share/Trash/files/piped");
    tree.MakeFile("home/.local/share/Trash/files/zeros");
    tree.MakeFile("home/.local/share/Trash/files/cafe");
    tree.MakeLink("home/.local/share/Trash/info/zeros.trashinfo", "/dev/zero");
    tree.MakeFile("home/.local/share/Trash/info/cafe.trashinfo", "[Trash Info]\nPath=/x/caf%C3%A9\n");
    ASSERT_EQ(::mkfifo(tree.Path("home/.local/share/Trash/info/piped.trashinfo").c_str(), 0644), 0);

    auto names = Names(*ns.EnumerateVirtual(*trash, enumflags::kPane));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"caf\xc3\xa9", "piped", "zeros"}));
}

TEST_F(NamespaceTest, AttributesOfEntries)
{
    tree.MakeDir("home/dir/sub");
    tree.MakeDir("home/leaf");
    tree.MakeFile("home/file");
    tree.MakeLink("home/link", "dir");
    ShellNamespace ns(env);
    auto attributes = [&](const char* name, bool sub = false) {
        return ns.Attributes(ItemIdList({Special("Home"), Entry(name)}), sub);
    };
    EXPECT_EQ(attributes("file"), attr::kFileSystem);
    EXPECT_EQ(attributes("dir"), attr::kFileSystem | attr::kFolder | attr::kFileSysAncestor);
    EXPECT_TRUE(*attributes("dir", true) & attr::kHasSubfolder);
    EXPECT_FALSE(*attributes("leaf", true) & attr::kHasSubfolder);
    EXPECT_EQ(attributes("link"), attr::kFileSystem | attr::kLink);
    EXPECT_FALSE(attributes("missing"));
}

TEST_F(NamespaceTest, LinksResolveOnlyToFolders)
{
    tree.MakeDir("home/target");
    tree.MakeFile("home/file");
    tree.MakeLink("home/to-dir", "target");
    tree.MakeLink("home/to-file", "file");
    tree.MakeLink("home/dangling", "nothing-here");
    tree.MakeLink("home/loop-a", "loop-b");
    tree.MakeLink("home/loop-b", "loop-a");
    ShellNamespace ns(env);
    EXPECT_EQ(ns.ResolveLinkToFolder(env.home + "/to-dir"), UnderRoot(env.home + "/target"));
    EXPECT_FALSE(ns.ResolveLinkToFolder(env.home + "/to-file"));
    EXPECT_FALSE(ns.ResolveLinkToFolder(env.home + "/dangling"));
    EXPECT_FALSE(ns.ResolveLinkToFolder(env.home + "/loop-a"));
}

TEST_F(NamespaceTest, SpecialFolders)
{
    tree.MakeDir("home/Desktop");
    ShellNamespace ns(env);
    EXPECT_EQ(ns.SpecialFolderId(ShellNamespace::SpecialFolder::DesktopDirectory), UnderRoot(env.home + "/Desktop"));
    EXPECT_EQ(ns.SpecialFolderId(ShellNamespace::SpecialFolder::Documents), ItemIdList({Special("Documents")}));
    EXPECT_EQ(ns.SpecialFolderId(ShellNamespace::SpecialFolder::Network), ItemIdList({Special("Network")}));
}

} // namespace
} // namespace bivora
