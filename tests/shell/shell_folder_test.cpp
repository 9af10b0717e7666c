#include "shell/shell_folder.h"

#include "shell/directory_reader.h"

#include "folder_fixture.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>

namespace bivora {
namespace {

using Open = ShellFolder::OpenResult;

class ShellFolderTest : public test::FolderFixture {};

TEST_F(ShellFolderTest, ReadsEntriesInReverseListingOrderWithTheirKinds)
{
    tree.MakeFile("data/file.txt", "12345");
    tree.MakeFile("data/a.tar.gz", "1");
    tree.MakeDir("data/sub");
    for (int i = 0; i < 20; ++i)
        tree.MakeFile("data/n" + std::to_string(i));

    ShellFolder folder(ns);
    ASSERT_EQ(folder.Open(IdOf(data), true), Open::kOk);
    EXPECT_EQ(Names(folder), Reversed(ListingOrder(data)));

    const ShellItem* file = folder.FindItemByName("file.txt");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Attributes(), attr::kFileSystem);
    EXPECT_EQ(file->size, 5u);
    EXPECT_NE(file->modified, 0);
    EXPECT_NE(file->accessed, 0);
    EXPECT_EQ(file->Id(), (ItemId{ItemId::Kind::Entry, "file.txt"}));
    EXPECT_EQ(folder.FindItemByName("sub")->Attributes(), attr::kFileSystem | attr::kFolder | attr::kFileSysAncestor);
}

TEST_F(ShellFolderTest, PathTitleAndRootFollowWhereTheFolderSits)
{
    ShellFolder sub(ns);
    ASSERT_EQ(sub.Open(IdOf(data), false), Open::kOk);
    EXPECT_TRUE(sub.IsFileSystem());
    EXPECT_FALSE(sub.IsFileSystemRoot()); // a folder inside a drive is no root
    EXPECT_EQ(sub.Path(), data);
    EXPECT_EQ(sub.Title(), data);
    EXPECT_TRUE(sub.Items().empty());

    ShellFolder drive(ns);
    ASSERT_EQ(drive.Open(IdOf("/"), false), Open::kOk);
    EXPECT_TRUE(drive.IsFileSystemRoot());
    EXPECT_EQ(drive.Path(), "/");
    EXPECT_EQ(drive.Title(), "File System (C:)");

    ShellFolder computer(ns);
    ASSERT_EQ(computer.Open(*ns.ParsePath("::{Computer}"), true), Open::kOk);
    EXPECT_FALSE(computer.IsFileSystem());
    EXPECT_EQ(computer.Path(), "::{Computer}");
    EXPECT_EQ(computer.Title(), "Computer");
    EXPECT_EQ(Names(computer), std::vector<std::string>{"File System (C:)"});

    ShellFolder home(ns);
    ASSERT_EQ(home.Open(ItemIdList({ItemId{ItemId::Kind::Special, "Home"}}), false), Open::kOk);
    EXPECT_FALSE(home.IsFileSystemRoot()); // the Desktop above it is a file-system folder
    EXPECT_EQ(home.Title(), env.home);
}

TEST_F(ShellFolderTest, DesktopListsItsDirectoryThenItsVirtualItems)
{
    const std::string desktop = tree.MakeDir("home/Desktop");
    tree.MakeFile("home/Desktop/note.txt", "n");
    tree.MakeFile("home/Desktop/Computer", "a file named like a virtual item");
    tree.MakeDir("home/Desktop/project");

    ShellFolder folder(ns);
    ASSERT_EQ(folder.Open(ItemIdList(), true), Open::kOk);
    EXPECT_TRUE(folder.IsFileSystemRoot());
    EXPECT_EQ(folder.Path(), desktop);
    EXPECT_EQ(folder.Title(), "Desktop");
    std::vector<std::string> expected = Reversed(ListingOrder(desktop));
    for (const char* name : {"Computer", "Home", "Documents", "Network", "Trash"})
        expected.push_back(name);
    EXPECT_EQ(Names(folder), expected);

    // The file and the virtual item of the same name stay two records through a refresh.
    const ShellItem* computer = folder.FindItemById({ItemId::Kind::Special, "Computer"});
    const ShellItem* file = folder.FindItemById({ItemId::Kind::Entry, "Computer"});
    ASSERT_TRUE(computer && file && computer != file);
    std::filesystem::remove(desktop + "/note.txt");
    const auto applied = folder.Refresh();
    ASSERT_TRUE(applied);
    EXPECT_EQ(folder.FindItemById({ItemId::Kind::Special, "Computer"}), computer);
    EXPECT_EQ(folder.FindItemById({ItemId::Kind::Entry, "Computer"}), file);
    EXPECT_TRUE(applied->added.empty());
    EXPECT_TRUE(applied->changed.empty());
    ASSERT_EQ(applied->vanished.size(), 1u);
    EXPECT_EQ(applied->vanished[0]->Name(), "note.txt");
    EXPECT_EQ(folder.FindItemByName("note.txt"), nullptr);
}

TEST_F(ShellFolderTest, ResultsForFoldersThatCannotBeFullyRead)
{
    tree.MakeFile("data/ok.txt");
    const std::string listOnly = tree.MakeDir("data/list-only");
    tree.MakeFile("data/list-only/one");
    test::SetMode(listOnly, 0444);
    const std::string closed = tree.MakeDir("data/closed");
    test::SetMode(closed, 0);
    const std::string desktop = tree.MakeDir("home/Desktop");
    test::SetMode(desktop, 0);

    const int code = test::WithoutPermissionOverride([&] {
        ShellFolder folder(ns);
        if (folder.Open(IdOf(listOnly), true) != Open::kPartial || !folder.Items().empty())
            return 1;
        // a folder that may not be read has not gone
        const FolderReadResult denied = folder.Open(IdOf(closed), true);
        if (denied != Open::kFailed || denied.error != EACCES || denied.Gone() || folder.Path() != listOnly)
            return 2;
        // The Desktop is every pane's fallback: it opens with what it can list.
        ShellFolder top(ns);
        if (top.Open(ItemIdList(), true) != Open::kPartial || top.Items().size() != 5)
            return 3;
        return 0;
    });
    if (code < 0)
        GTEST_SKIP() << "cannot drop the permission override here";
    EXPECT_EQ(code, 0);
}

TEST_F(ShellFolderTest, FailedOrCancelledOpenChangesNothing)
{
    tree.MakeFile("data/kept");
    ShellFolder folder(ns);
    ASSERT_EQ(folder.Open(IdOf(data), true), Open::kOk);
    const ShellItem* kept = folder.FindItemByName("kept");

    const std::string other = tree.MakeDir("other");
    tree.MakeFile("other/x");
    ItemIdList vanishing = IdOf(other);
    std::filesystem::remove_all(other);
    const FolderReadResult gone = folder.Open(vanishing, true);
    EXPECT_EQ(gone, Open::kFailed);
    EXPECT_EQ(gone.error, ENOENT);
    EXPECT_TRUE(gone.Gone());

    std::atomic<bool> cancel{true};
    const FolderReadResult cancelled = folder.Open(IdOf(tree.MakeDir("third")), true, &cancel);
    EXPECT_EQ(cancelled, Open::kFailed);
    EXPECT_EQ(cancelled.error, ECANCELED);
    EXPECT_EQ(folder.Path(), data);
    EXPECT_EQ(folder.Id(), IdOf(data));
    ASSERT_EQ(folder.Items().size(), 1u);
    EXPECT_EQ(folder.Items()[0].get(), kept);

    EXPECT_FALSE(folder.Refresh(&cancel));
    EXPECT_EQ(folder.FindItemByName("kept"), kept);
}

TEST_F(ShellFolderTest, TrashShowsItemsByOriginalNameWithTheirSizes)
{
    tree.MakeFile("home/.local/share/Trash/files/notes.txt.2", "hello");
    tree.MakeFile("home/.local/share/Trash/info/notes.txt.2.trashinfo", "[Trash Info]\nPath=/home/u/notes.txt\n");
    tree.MakeDir("home/.local/share/Trash/files/old");
    tree.MakeFile("home/.local/share/Trash/files/old/inner", "123");
    tree.MakeFile("home/.local/share/Trash/info/old.trashinfo", "[Trash Info]\nPath=/home/u/old\n");

    ShellFolder trash(ns);
    ASSERT_EQ(trash.Open(*ns.ParsePath("::{Trash}"), true), ShellFolder::kOk);
    EXPECT_FALSE(trash.IsFileSystem());
    EXPECT_EQ(trash.Title(), "Trash");
    const ShellItem* notes = trash.FindItemByName("notes.txt");
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(notes->size, 5u);
    EXPECT_TRUE(notes->IsFileSystem()); // so its size is shown
    EXPECT_NE(notes->modified, 0);
    const ShellItem* old = trash.FindItemByName("old");
    ASSERT_NE(old, nullptr);
    EXPECT_TRUE(old->IsFolder(false));
    EXPECT_EQ(old->size, 0u);

    // a read that is asked to stop stops inside the Trash's listing as well
    std::atomic<bool> stop{true};
    ShellNamespace::Folder bound = *ns.Bind(*ns.ParsePath("::{Trash}"));
    EXPECT_FALSE(ns.EnumerateVirtual(bound, enumflags::kPane, &stop));
    EXPECT_EQ(trash.Open(*ns.ParsePath("::{Trash}"), true, &stop).error, ECANCELED);
}

TEST_F(ShellFolderTest, HiddenFilesFollowTheSwitchAtTheNextRead)
{
    tree.MakeFile("data/.profile", "p");
    tree.MakeFile("data/shown");
    ns.SetShowHiddenFiles(false);
    ShellFolder folder(ns);
    ASSERT_EQ(folder.Open(IdOf(data), true), Open::kOk);
    EXPECT_EQ(Names(folder), std::vector<std::string>{"shown"});

    ns.SetShowHiddenFiles(true);
    const auto applied = folder.Refresh();
    ASSERT_TRUE(applied);
    ASSERT_EQ(applied->added.size(), 1u);
    EXPECT_EQ(applied->added[0], folder.FindItemByName(".profile"));
    EXPECT_EQ(applied->added[0]->Folder(), &folder);
    EXPECT_TRUE(applied->changed.empty());
    EXPECT_TRUE(applied->vanished.empty());
}

TEST_F(ShellFolderTest, RefreshKeepsUnchangedRecordsAndReportsTheRest)
{
    tree.MakeFile("data/same", "s");
    tree.MakeFile("data/grows", "0123456789");
    tree.MakeFile("data/shrinks", "0123456789");
    const std::string touched = tree.MakeFile("data/touched", "t");
    test::SetTimes(touched, 1500000000, 1500000000);
    tree.MakeFile("data/goes", "g");
    tree.MakeFile("data/a.txt", "lower");
    tree.MakeFile("data/A.txt", "upper");
    tree.MakeFile("data/thing");
    ShellFolder folder(ns);
    ASSERT_EQ(folder.Open(IdOf(data), true), Open::kOk);
    ASSERT_EQ(folder.Items().size(), 8u);
    ShellItem* same = folder.FindItemByName("same");
    ShellItem* grows = folder.FindItemByName("grows");
    ShellItem* lower = folder.FindItemByName("a.txt");
    ShellItem* thing = folder.FindItemByName("thing");
    ASSERT_NE(lower, folder.FindItemByName("A.txt"));
    const FileTime createdBefore = grows->created;
    const FileTime touchedBefore = folder.FindItemByName("touched")->modified;

    test::AppendBytes(tree.Path("data/grows"), 10);
    test::SetFileSize(tree.Path("data/shrinks"), 4);
    test::SetTimes(touched, 1600000000, 1600000000); // same size, a new time
    std::filesystem::remove(tree.Path("data/goes"));
    std::filesystem::remove(tree.Path("data/A.txt"));
    std::filesystem::remove(tree.Path("data/thing"));
    tree.MakeDir("data/thing"); // the same name, now a folder
    for (int i = 0; i < 3; ++i)
        tree.MakeFile("data/new" + std::to_string(i), "nn");

    auto applied = folder.Refresh();
    ASSERT_TRUE(applied);
    // the records take the re-read's order; the vanished ones are handed out
    EXPECT_EQ(Names(folder), Reversed(ListingOrder(data)));
    std::map<std::string, std::uint64_t> changed;
    for (const RefreshApplied::Changed& change : applied->changed)
        changed[change.item->Name()] = change.oldSize;
    EXPECT_EQ(changed, (std::map<std::string, std::uint64_t>{{"grows", 10}, {"shrinks", 10}, {"thing", 0}, {"touched", 1}}));
    std::vector<std::string> added;
    for (const ShellItem* item : applied->added)
        added.push_back(item->Name());
    std::sort(added.begin(), added.end());
    EXPECT_EQ(added, (std::vector<std::string>{"new0", "new1", "new2"}));
    std::vector<std::string> vanished;
    for (const auto& item : applied->vanished)
        vanished.push_back(item->Name());
    std::sort(vanished.begin(), vanished.end());
    EXPECT_EQ(vanished, (std::vector<std::string>{"A.txt", "goes"}));

    EXPECT_EQ(folder.FindItemByName("same"), same);
    EXPECT_EQ(folder.FindItemByName("a.txt"), lower);
    EXPECT_EQ(folder.FindItemByName("grows"), grows);
    EXPECT_EQ(grows->size, 20u);
    EXPECT_EQ(grows->created, createdBefore);
    EXPECT_EQ(folder.FindItemByName("shrinks")->size, 4u);
    EXPECT_NE(folder.FindItemByName("touched")->modified, touchedBefore);
    FindData now;
    ASSERT_TRUE(StatEntry(touched, now));
    EXPECT_EQ(folder.FindItemByName("touched")->modified, now.modified);
    EXPECT_EQ(folder.FindItemByName("thing"), thing);
    EXPECT_TRUE(thing->IsFolder(false));
}

TEST_F(ShellFolderTest, ADifferenceTakenBeforeTheRecordsChangedIsRefused)
{
    tree.MakeFile("data/one");
    tree.MakeFile("data/two");
    ShellFolder folder(ns);
    ASSERT_EQ(folder.Open(IdOf(data), true), Open::kOk);
    RefreshReader reader = folder.PrepareRefresh();
    tree.MakeFile("data/three");
    // the worker reads while the folder's thread drops a record
    RefreshDiff diff;
    ASSERT_EQ(reader.Read(diff), Open::kOk);
    folder.RemoveItem(folder.FindItemByName("one"));
    EXPECT_FALSE(folder.ApplyRefresh(std::move(diff)));
    EXPECT_EQ(folder.Items().size(), 1u);
    // the reader owns what it reads: the folder may go while it works
    RefreshReader orphan = folder.PrepareRefresh();
    {
        ShellFolder gone(ns);
        ASSERT_EQ(gone.Open(IdOf(data), true), Open::kOk);
        orphan = gone.PrepareRefresh();
    }
    RefreshDiff later;
    ASSERT_EQ(orphan.Read(later), Open::kOk);
    EXPECT_EQ(later.order.size(), 3u);
}

TEST_F(ShellFolderTest, SizesAreWhole64BitNumbers)
{
    const std::string big = tree.MakeFile("data/big");
    test::SetFileSize(big, 5'000'000'000);
    ShellFolder folder(ns);
    ASSERT_EQ(folder.Open(IdOf(data), true), Open::kOk);
    const ShellItem* item = folder.FindItemByName("big");
    EXPECT_EQ(item->size, 5'000'000'000u);

    test::SetFileSize(big, 9'000'000'000);
    const auto applied = folder.Refresh();
    ASSERT_TRUE(applied);
    ASSERT_EQ(applied->changed.size(), 1u);
    EXPECT_EQ(applied->changed[0].oldSize, 5'000'000'000u);
    EXPECT_EQ(item->size, 9'000'000'000u);
}

TEST_F(ShellFolderTest, LookUpsAndRemoval)
{
    tree.MakeFile("data/one");
    tree.MakeFile("data/One");
    tree.MakeFile("data/bad\xff");
    ShellFolder folder(ns);
    ASSERT_EQ(folder.Open(IdOf(data), true), Open::kOk);

    ShellItem* one = folder.FindItemByName("one");
    ASSERT_TRUE(one);
    EXPECT_EQ(one->Name(), "one");
    EXPECT_EQ(folder.FindItemByName("One")->Name(), "One");
    EXPECT_EQ(folder.FindItemByName("ONE"), nullptr);
    EXPECT_EQ(folder.FindItemByName("bad\xff")->Name(), "bad\xff");
    EXPECT_EQ(folder.FindItemById({ItemId::Kind::Entry, "one"}), one);
    EXPECT_EQ(folder.FindItemById({ItemId::Kind::Special, "one"}), nullptr);

    folder.RemoveItem(one);
    EXPECT_EQ(folder.FindItemByName("one"), nullptr);
    EXPECT_EQ(folder.Items().size(), 2u);

    const ItemIdList id = IdOf(data);
    EXPECT_EQ(folder.ParentId(1), id.ParentId(1));
    EXPECT_EQ(folder.ParentId(id.Count()), ItemIdList());
    EXPECT_FALSE(folder.ParentId(id.Count() + 1));
}

} // namespace
} // namespace bivora
