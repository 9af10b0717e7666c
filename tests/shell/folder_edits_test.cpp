#include "shell/folder_edits.h"
#include "shell/shell_folder.h"

#include "folder_fixture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace bivora {
namespace {

using Open = ShellFolder::OpenResult;

// What lies at the path: "<dir>", "<none>", or the file's content.
std::string Content(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return "<none>";
    if (S_ISDIR(st.st_mode))
        return "<dir>";
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

class FolderEditsTest : public test::FolderFixture {};

TEST_F(FolderEditsTest, NewItemsTakeTheFirstFreeNameAndAreAppended)
{
    struct Case {
        std::vector<std::string> files, folders, danglingLinks;
        NewItemKind kind;
        std::string expected;
    };
    std::vector<std::string> nine;
    for (int n = 1; n <= 9; ++n)
        nine.push_back("New File" + (n > 1 ? std::to_string(n) : std::string()) + ".txt");
    const Case cases[] = {
        {{}, {}, {}, NewItemKind::File, "New File.txt"},
        {{"New File.txt"}, {}, {}, NewItemKind::File, "New File2.txt"},
        {{}, {"New Folder", "New Folder2"}, {}, NewItemKind::Folder, "New Folder3"},
        {{"New Folder"}, {"New Folder3"}, {}, NewItemKind::Folder, "New Folder2"}, // a gap, whatever the kind
        {{}, {"New File.txt"}, {"New File2.txt"}, NewItemKind::File, "New File3.txt"},
        {nine, {}, {}, NewItemKind::File, "New File10.txt"},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        const std::string dir = tree.MakeDir("case" + std::to_string(index++));
        for (const auto& name : c.files)
            tree.MakeFile(dir.substr(tree.Root().size() + 1) + "/" + name, "keep");
        for (const auto& name : c.folders)
            tree.MakeDir(dir.substr(tree.Root().size() + 1) + "/" + name);
        for (const auto& name : c.danglingLinks)
            tree.MakeLink(dir.substr(tree.Root().size() + 1) + "/" + name, "nowhere");

        ShellFolder folder(ns);
        ASSERT_EQ(folder.Open(IdOf(dir), true), Open::kOk);
        const std::size_t before = folder.Items().size();
        const ShellItem* made = folder.CreateNewItem(c.kind);
        ASSERT_TRUE(made);
        EXPECT_EQ(made->Name(), c.expected);
        EXPECT_EQ(made->IsFolder(false), c.kind == NewItemKind::Folder);
        ASSERT_EQ(folder.Items().size(), before + 1);
        EXPECT_EQ(folder.Items().back().get(), made);
        EXPECT_EQ(Content(dir + "/" + c.expected), c.kind == NewItemKind::Folder ? "<dir>" : "");
        for (const auto& name : c.files)
            EXPECT_EQ(Content(dir + "/" + name), "keep") << name;
    }
}

TEST_F(FolderEditsTest, RenameNeverReplacesAnExistingItemAndTakesAnyPlainName)
{
    tree.MakeFile("data/a", "alpha");
    tree.MakeFile("data/b", "beta");
    tree.MakeDir("data/dir");
    tree.MakeDir("data/empty");
    tree.MakeLink("data/dangling", "nowhere");
    ShellFolder folder(ns);
    ASSERT_EQ(folder.Open(IdOf(data), true), Open::kOk);
    ShellItem* a = folder.FindItemByName("a");
    a->created = 1234;
    a->accessed = 5678;
    const std::ptrdiff_t position =
        std::find_if(folder.Items().begin(), folder.Items().end(), [a](const auto& own) { return own.get() == a; })
        - folder.Items().begin();
    RefreshReader stale = folder.PrepareRefresh();

    struct Case {
        std::string from, to;
        int error; // 0: renamed
    };
    const Case cases[] = {
        {"a", "b", EEXIST},     {"a", "dir", EEXIST}, {"dir", "empty", EEXIST}, {"a", "dangling", EEXIST},
        {"a", "x/y", EINVAL},   {"a", "..", EINVAL},  {"a", "", EINVAL},        {"a", std::string("n\0l", 3), EINVAL},
        {"a", "line\nbreak", 0}, {"line\nbreak", "caf\xe9 \xff", 0}, {"caf\xe9 \xff", "-x", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from + " -> " + c.to);
        int error = 0;
        ShellItem* renamed = folder.ReplaceItem(folder.FindItemByName(c.from), c.to, &error);
        EXPECT_EQ(error, c.error);
        if (c.error != 0) {
            EXPECT_FALSE(renamed);
            continue;
        }
        ASSERT_TRUE(renamed);
        EXPECT_EQ(renamed->Id().key, c.to);
        EXPECT_EQ(renamed->size, 5u);
        EXPECT_EQ(renamed->created, 1234); // the entry was not made now, nor read
        EXPECT_EQ(renamed->accessed, 5678);
        EXPECT_EQ(folder.Items()[static_cast<std::size_t>(position)].get(), renamed);
        EXPECT_EQ(Content(data + "/" + c.to), "alpha");
        EXPECT_EQ(Content(data + "/" + c.from), "<none>");
    }
    EXPECT_EQ(folder.Items().size(), 5u);
    EXPECT_EQ(Content(data + "/b"), "beta");
    EXPECT_EQ(Content(data + "/empty"), "<dir>");
    RefreshDiff diff;
    ASSERT_NE(stale.Read(diff), ShellFolder::kFailed);
    EXPECT_FALSE(folder.ApplyRefresh(std::move(diff))) << "a difference taken before the renames";

    // the way for file systems without the no-replace flag refuses the same
    const int fd = ::open(data.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(RenameByLink(fd, "-x", "b").Error(), EEXIST);
    EXPECT_EQ(RenameByLink(fd, "dir", "empty").Error(), EEXIST);
    EXPECT_EQ(RenameByLink(fd, "-x", "dangling").Error(), EEXIST);
    EXPECT_TRUE(RenameByLink(fd, "-x", "c"));
    EXPECT_TRUE(RenameByLink(fd, "dir", "dir2"));
    ::close(fd);
    EXPECT_EQ(Content(data + "/-x") + Content(data + "/b") + Content(data + "/c"), "<none>betaalpha");
    EXPECT_EQ(Content(data + "/dir2") + Content(data + "/empty"), "<dir><dir>");
}

TEST_F(FolderEditsTest, ItemFromPathTakesOnlyAbsolutePathsOfExistingItems)
{
    tree.MakeFile("data/file.txt", "12345");
    tree.MakeDir("data/sub");
    for (const std::string& path : {data + "/file.txt", data + "/sub", std::string("/")}) {
        const PathItem made = ItemFromPath(ns, path);
        ASSERT_TRUE(made.item) << path;
        EXPECT_EQ(made.item->Folder(), made.folder.get());
        EXPECT_EQ(made.folder->Items().size(), 1u);
        EXPECT_EQ(made.item->IsFolder(false), path != data + "/file.txt");
        EXPECT_EQ(made.item->FullPath(), path);
    }
    EXPECT_EQ(ItemFromPath(ns, data + "/file.txt").item->size, 5u);
    for (const std::string& refused : {std::string("file.txt"), data + "/missing", data + "/*.txt", std::string()})
        EXPECT_FALSE(ItemFromPath(ns, refused).folder) << refused;
}

} // namespace
} // namespace bivora
