#include "shell/path_resolver.h"

#include "shell/shell_namespace.h"
#include "shell/working_directory.h"

#include "temp_tree.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

namespace bivora {
namespace {

using namespace resolve;
using test::MountLine;
using test::TempTree;

std::string Canonical(const std::string& path)
{
    char* real = ::realpath(path.c_str(), nullptr);
    std::string out = real ? real : path;
    std::free(real);
    return out;
}

// A tree with a second drive (D:, mounted at vol) and the pane's folder data:
//   data/sub/a.h  data/y.txt  data/jump -> ../vol/x  data/dangling -> nowhere
//   data/\xff odd/\xfe.txt  vol/x/y  vol/remembered/x  home/docs
class PathResolverTest : public ::testing::Test {
protected:
    TempTree tree;
    std::string root = Canonical(tree.Root());
    Environment env = [this] {
        Environment e = tree.MakeEnvironment();
        tree.MakeDir("home/docs");
        return e;
    }();
    std::string data = Canonical(tree.MakeDir("data"));
    std::string vol = Canonical(tree.MakeDir("vol"));
    DriveFolders driveFolders;

    void SetUp() override
    {
        tree.MakeDir("data/sub");
        tree.MakeFile("data/sub/a.h");
        tree.MakeFile("data/y.txt");
        tree.MakeDir("data/\xff odd");
        tree.MakeFile("data/\xff odd/\xfe.txt");
        tree.MakeDir("vol/x/y");
        tree.MakeDir("vol/remembered/x");
        tree.MakeLink("data/jump", "../vol/x");
        tree.MakeLink("data/dangling", "nowhere");
        tree.WriteMountTable(MountLine(1, "/", "ext4", "/dev/vda") + MountLine(2, vol, "ext4", "/dev/sdb1"));
        driveFolders[vol] = vol + "/remembered";
    }

    std::string P(std::string_view relative) const { return relative.empty() ? root : root + "/" + std::string(relative); }
};

TEST_F(PathResolverTest, ResolvesEveryFormWithItsFlags)
{
    ShellNamespace ns(env);
    const std::string home = Canonical(env.home);
    struct Case {
        std::string text;
        std::string base;     // the pane's folder; empty for a virtual one
        std::uint32_t flags;
        std::string folder;   // expected folder path ("" with no identifier)
        std::string fileName;
        std::string filter;
    };
    const std::vector<Case> cases = {
        {"", data, kFolder | kCurrentFolder, "", "", ""},
        {"*.h", data, kPattern | kCurrentFolder, "", "", "*.h"},
        {data, "", kFolder | kAbsolute, data, "", ""},
        {"  " + data + "/  ", "", kFolder | kAbsolute, data, "", ""},
        {data + "/sub/../sub", "", kFolder | kAbsolute, data + "/sub", "", ""},
        {data + "/*.conf", "", kPattern | kAbsolute, data, "", "*.conf"},
        {data + "/y.txt", "", kFile | kAbsolute, data, "y.txt", ""},
        {"sub", data, kFolder | kRelative, data + "/sub", "", ""},
        {"sub/*.h", data, kPattern | kRelative, data + "/sub", "", "*.h"},
        {"..", data + "/sub", kFolder | kRelative, data, "", ""},
        {"..", "/", kFolder | kRelative, "/", "", ""},
        // through a link as a change of directory goes: its target's parent
        {"jump", data, kFolder | kRelative, vol + "/x", "", ""},
        {"jump/..", data, kFolder | kRelative, vol, "", ""},
        {"y.txt", data, kFile | kCurrentFolder, data, "y.txt", ""},
        {"sub/a.h", data, kFile | kRelative, data + "/sub", "a.h", ""},
        {"dangling", data, kFile | kCurrentFolder, data, "dangling", ""},
        {"\xff odd", data, kFolder | kRelative, data + "/\xff odd", "", ""},
        {data + "/\xff odd/\xfe.txt", "", kFile | kAbsolute, data + "/\xff odd", "\xfe.txt", ""},
        {"~", "", kFolder | kAbsolute, home, "", ""},
        {"~/docs", "", kFolder | kAbsolute, home + "/docs", "", ""},
        {"D:", "", kFolder | kAbsolute, vol + "/remembered", "", ""},
        {"D:x", "", kFolder | kAbsolute, vol + "/remembered/x", "", ""},
        {"D:/x/y", "", kFolder | kAbsolute, vol + "/x/y", "", ""},
        {"D:/x/*.txt", "", kPattern | kAbsolute, vol + "/x", "", "*.txt"},
        {"C:", "", kFolder | kAbsolute, "/", "", ""}, // no folder remembered: the mount point
        {"::{Computer}", "", kFolder | kAbsolute, "::{Computer}", "", ""},
        // refused
        {data + "/s*/a.h", data, kError, "", "", ""},
        {"s?b/*.h", data, kError, "", "", ""},
        {"..", "", kError, "", "", ""},
        {"y.txt", "", kError, "", "", ""},
        {"missing", data, kError, "", "", ""},
        {"y.txt/", data, kError, "", "", ""},
        {"y.txt/*.h", data, kError, "", "", ""},
        {"E:", data, kError, "", "", ""},
        {"D:missing", data, kError, "", "", ""},
        {"sub\n", data, kError, "", "", ""},
        {std::string("sub\0/..", 7), data, kError, "", "", ""},
        {"\xff\xfe\xc3", data, kError, "", "", ""},
        {"~nobody", data, kError, "", "", ""},
        {std::string(100 * 1024, 'a'), data, kError, "", "", ""},
        {std::string(100 * 1024, '*'), data, kError, "", "", ""},
    };
    const auto before = CurrentDirectory();
    ASSERT_TRUE(before);
    for (const Case& c : cases) {
        SCOPED_TRACE("text " + c.text.substr(0, 80) + " in " + c.base);
        const ResolvedPath r = ResolvePath(ns, c.text, c.base, driveFolders);
        EXPECT_EQ(r.flags, c.flags);
        EXPECT_EQ(r.folderPath, c.folder);
        EXPECT_EQ(r.fileName, c.fileName);
        EXPECT_EQ(r.filter, c.filter);
        // an identifier exactly when a folder came out, naming the folder or the file
        EXPECT_EQ(r.id.has_value(), !c.folder.empty());
        if (r.id && c.folder != "::{Computer}") {
            const std::string named = c.fileName.empty() ? c.folder : c.folder + "/" + c.fileName;
            EXPECT_EQ(r.id, ns.ParsePath(named));
        }
    }
    EXPECT_EQ(*CurrentDirectory(), *before) << "resolving never changes the process's directory";
}

TEST_F(PathResolverTest, FolderPathOfGivesFullPathsOfExistingFoldersOnly)
{
    ShellNamespace ns(env);
    EXPECT_EQ(FolderPathOf(ns, " sub ", data, driveFolders), data + "/sub");
    EXPECT_EQ(FolderPathOf(ns, "D:", data, driveFolders), vol + "/remembered");
    EXPECT_EQ(FolderPathOf(ns, "y.txt", data, driveFolders), "");
    EXPECT_EQ(FolderPathOf(ns, data + "/*.h", data, driveFolders), "");
    EXPECT_EQ(FolderPathOf(ns, "", data, driveFolders), "");
}

// Entering a folder needs search permission on the way there, as a change of
// directory does; a folder that may not be listed still resolves (the pane says why).
TEST_F(PathResolverTest, PermissionsCountAsAChangeOfDirectoryWould)
{
    tree.MakeDir("data/locked/inner");
    tree.MakeDir("data/unreadable");
    test::SetMode(tree.Path("data/locked"), 0600);
    test::SetMode(tree.Path("data/unreadable"), 0300);
    const int outcome = test::WithoutPermissionOverride([&] {
        ShellNamespace ns(env);
        const bool lockedRefused = ResolvePath(ns, "locked/inner", data, driveFolders).Failed();
        const bool unreadableFound = ResolvePath(ns, "unreadable", data, driveFolders).flags == (kFolder | kRelative);
        return (lockedRefused ? 1 : 0) | (unreadableFound ? 2 : 0);
    });
    EXPECT_EQ(outcome, 3);
}

} // namespace
} // namespace bivora
