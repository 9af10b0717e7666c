#include "shell/folder_edits.h"
#include "shell/shell_folder.h"

#include "folder_fixture.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bivora {
namespace {

using Open = ShellFolder::OpenResult;

class FolderEditsTest : public test::FolderFixture {
protected:
    std::string Read(const std::string& name) const { return ReadAt(data + "/" + name); }
    static std::string ReadAt(const std::string& path)
    {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return "<missing>";
        char buffer[64];
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        ::close(fd);
        return std::string(buffer, count > 0 ? static_cast<std::size_t>(count) : 0);
    }
    bool IsDir(const std::string& name) const
    {
        struct stat st {};
        return ::lstat((data + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
};

TEST_F(FolderEditsTest, NewItemsTakeTheFirstFreeNameAndAreAppended)
{
    struct Case {
        const char* what;
        std::vector<std::string> files;
        std::vector<std::string> folders;
        std::vector<std::string> links; // dangling links
        NewItemKind kind;
        const char* expected;
    };
    const Case cases[] = {
        {"empty folder, file", {}, {}, {}, NewItemKind::File, "New File.txt"},
        {"empty folder, folder", {}, {}, {}, NewItemKind::Folder, "New Folder"},
        {"the second file", {"New File.txt"}, {}, {}, NewItemKind::File, "New File2.txt"},
        {"after two folders", {}, {"New Folder", "New Folder2"}, {}, NewItemKind::Folder, "New Folder3"},
        {"a gap is filled", {"New Folder"}, {"New Folder3"}, {}, NewItemKind::Folder, "New Folder2"},
        {"a folder takes a file's name", {}, {"New File.txt"}, {}, NewItemKind::File, "New File2.txt"},
        {"a dangling link counts", {}, {}, {"New File.txt", "New File2.txt"}, NewItemKind::File, "New File3.txt"},
        {"no upper bound", {"New File.txt", "New File2.txt", "New File3.txt", "New File4.txt", "New File5.txt",
                            "New File6.txt", "New File7.txt", "New File8.txt", "New File9.txt"},
         {}, {}, NewItemKind::File, "New File10.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string dir = tree.MakeDir(std::string("cases/") + c.what);
        for (const auto& name : c.files)
            tree.MakeFile(std::string("cases/") + c.what + "/" + name, "keep");
        for (const auto& name : c.folders)
            tree.MakeDir(std::string("cases/") + c.what + "/" + name);
        for (const auto& name : c.links)
            tree.MakeLink(std::string("cases/") + c.what + "/" + name, "nowhere");

        ShellFolder folder(ns);
        ASSERT_EQ(folder.Open(IdOf(dir), true), Open::kOk);
        const std::size_t before = folder.Items().size();
        const ShellItem* made = folder.CreateNewItem(c.kind);
        ASSERT_TRUE(made);
        EXPECT_EQ(made->Name(), c.expected);
        EXPECT_EQ(made->IsFolder(false), c.kind == NewItemKind::Folder);
        ASSERT_EQ(folder.Items().size(), before + 1);
        EXPECT_EQ(folder.Items().back().get(), made);
        struct stat st {};
        ASSERT_EQ(::lstat((dir + "/" + c.expected).c_str(), &st), 0);
        EXPECT_EQ(S_ISDIR(st.st_mode), c.kind == NewItemKind::Folder);
        if (c.kind == NewItemKind::File) {
            EXPECT_EQ(st.st_size, 0);
        }
        // what was there is untouched
        for (const auto& name : c.files)
            EXPECT_EQ(ReadAt(dir + "/" + name), "keep") << name;
    }
}

TEST_F(FolderEditsTest, CreationInAFolderThatCannotBeWrittenFails)
{
    const std::string locked = tree.MakeDir("data/locked");
    test::SetMode(locked, 0555);
    const int result = test::WithoutPermissionOverride([&] {
        ShellFolder folder(ns);
        if (folder.Open(IdOf(locked), true) != Open::kOk)
            return 3;
        int error = 0;
        if (folder.CreateNewItem(NewItemKind::Folder, &error) || error != EACCES || !folder.Items().empty())
            return 1;
        return 0;
    });
    test::SetMode(locked, 0755);
    if (result < 0)
        GTEST_SKIP() << "cannot drop the permission override";
    EXPECT_EQ(result, 0);
}

TEST_F(FolderEditsTest, RenameReplacesTheRecordAndKeepsItsTimes)
{
    tree.MakeFile("data/a.txt", "alpha");
    tree.MakeFile("data/b.txt", "beta");
    ShellFolder folder(ns);
    ASSERT_EQ(folder.Open(IdOf(data), true), Open::kOk);
    ShellItem* old = folder.FindItemByName("a.txt");
    ASSERT_TRUE(old);
    old->created = 1234;
    old->accessed = 5678;
    const auto position = std::find_if(folder.Items().begin(), folder.Items().end(),
                                       [old](const auto& own) { return own.get() == old; })
        - folder.Items().begin();
    RefreshReader stale = folder.PrepareRefresh();

    const std::vector<std::string> names = {std::string("line\nbreak"), std::string("caf\xe9 \xff.txt"), "-x"};
    std::string current = "a.txt";
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ShellItem* renamed = folder.ReplaceItem(folder.FindItemByName(current), name);
        ASSERT_TRUE(renamed);
        EXPECT_EQ(renamed->Name(), name);
        EXPECT_EQ(renamed->Id().key, name);
        EXPECT_EQ(renamed->size, 5u);
        EXPECT_EQ(renamed->created, 1234);
        EXPECT_EQ(renamed->accessed, 5678);
        EXPECT_EQ(folder.Items()[static_cast<std::size_t>(position)].get(), renamed);
        EXPECT_EQ(Read(name), "alpha");
        EXPECT_EQ(Read(current), "<missing>");
        current = name;
    }
    EXPECT_EQ(folder.Items().size(), 2u);
    RefreshDiff diff;
    ASSERT_NE(stale.Read(diff), ShellFolder::kFailed);
    EXPECT_FALSE(folder.ApplyRefresh(std::move(diff))) << "a difference taken before the rename";
}

TEST_F(FolderEditsTest, RenameNeverReplacesAnExistingItem)
{
    tree.MakeFile("data/a", "alpha");
    tree.MakeFile("data/b", "beta");
    tree.MakeDir("data/dir");
    tree.MakeDir("data/empty");
    tree.MakeLink("data/dangling", "nowhere");
    ShellFolder folder(ns);
    ASSERT_EQ(folder.Open(IdOf(data), true), Open::kOk);
    const std::size_t count = folder.Items().size();

    struct Case {
        const char* from;
        const char* to;
        int error;
    };
    const Case cases[] = {
        {"a", "b", EEXIST},        {"a", "dir", EEXIST}, {"dir", "empty", EEXIST},
        {"a", "dangling", EEXIST}, {"a", "a", EEXIST},   {"a", "x/y", EINVAL},
        {"a", "..", EINVAL},       {"a", "", EINVAL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " -> " + c.to);
        int error = 0;
        EXPECT_FALSE(folder.ReplaceItem(folder.FindItemByName(c.from), c.to, &error));
        EXPECT_EQ(error, c.error);
    }
    EXPECT_FALSE(folder.ReplaceItem(folder.FindItemByName("a"), std::string("n\0ul", 4)));
    EXPECT_EQ(folder.Items().size(), count);
    EXPECT_EQ(Read("a"), "alpha");
    EXPECT_EQ(Read("b"), "beta");
    EXPECT_TRUE(IsDir("empty"));

    // the way for file systems without the no-replace flag refuses the same
    const int fd = ::open(data.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(RenameByLink(fd, "a", "b").Error(), EEXIST);
    EXPECT_EQ(RenameByLink(fd, "dir", "empty").Error(), EEXIST);
    EXPECT_EQ(RenameByLink(fd, "a", "dangling").Error(), EEXIST);
    EXPECT_TRUE(RenameByLink(fd, "a", "c"));
    EXPECT_TRUE(RenameByLink(fd, "dir", "dir2"));
    ::close(fd);
    EXPECT_EQ(Read("a"), "<missing>");
    EXPECT_EQ(Read("b"), "beta");
    EXPECT_EQ(Read("c"), "alpha");
    EXPECT_TRUE(IsDir("dir2") && IsDir("empty"));
}

TEST_F(FolderEditsTest, ItemFromPathTakesOnlyAbsolutePathsOfExistingItems)
{
    tree.MakeFile("data/file.txt", "12345");
    tree.MakeDir("data/sub");

    const PathItem file = ItemFromPath(ns, data + "/file.txt");
    ASSERT_TRUE(file.item);
    EXPECT_EQ(file.item->Name(), "file.txt");
    EXPECT_EQ(file.item->size, 5u);
    EXPECT_NE(file.item->accessed, 0);
    EXPECT_EQ(file.item->Folder(), file.folder.get());
    EXPECT_EQ(file.folder->Path(), data);
    EXPECT_EQ(file.folder->Items().size(), 1u);
    EXPECT_EQ(file.item->FullPath(), data + "/file.txt");

    const PathItem folder = ItemFromPath(ns, data + "/sub");
    ASSERT_TRUE(folder.item);
    EXPECT_TRUE(folder.item->IsFolder(false));
    EXPECT_EQ(folder.item->FullPath(), data + "/sub");

    const PathItem root = ItemFromPath(ns, "/");
    ASSERT_TRUE(root.item);
    EXPECT_TRUE(root.item->IsFolder(false));

    for (const std::string& refused : {std::string("file.txt"), data + "/missing", data + "/*.txt", std::string("")}) {
        const PathItem none = ItemFromPath(ns, refused);
        EXPECT_FALSE(none.item) << refused;
        EXPECT_FALSE(none.folder) << refused;
    }
}

} // namespace
} // namespace bivora
