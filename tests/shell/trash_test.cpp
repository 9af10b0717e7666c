// Putting items in the trash: what the info files say, names that collide, trashes that
// cannot take the item, and the trash at the top of another drive.
#include "shell/trash.h"

#include "shell/hex_escapes.h"
#include "shell/shell_namespace.h"
#include "shell/small_file.h"

#include "temp_tree.h"
#include "test_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/mount.h>

namespace bivora::test {
namespace {

namespace fs = std::filesystem;
using Kind = TrashOutcome::Kind;
using ::testing::UnorderedElementsAreArray;

std::string ReadAll(const std::string& path)
{
    const auto text = ReadSmallFile(path);
    return text ? *text : std::string("<unreadable>");
}

// The names the namespace's Trash folder shows.
std::vector<std::string> TrashListing(const Environment& env)
{
    ShellNamespace ns(env);
    ShellNamespace::Folder trash;
    trash.kind = ShellNamespace::Folder::Kind::Trash;
    const auto children = ns.EnumerateVirtual(trash, enumflags::kPane | enumflags::kIncludeHidden);
    std::vector<std::string> names;
    for (const auto& child : children.value())
        names.push_back(child.name);
    return names;
}

std::size_t EntryCount(const std::string& folder)
{
    if (!fs::exists(folder))
        return 0;
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

class TrashTest : public ::testing::Test {
protected:
    TempTree tree;
    Environment env = tree.MakeEnvironment();
    std::string data = tree.MakeDir("data");
    std::string trash = env.xdgDataHome + "/Trash";
};

// Every byte of a name survives the trip: the Path= line is percent-encoded (nothing
// but plain characters in it), decodes to the original path, the date is local time
// now, and the Trash folder lists each item by its original name.
TEST_F(TrashTest, InfoFileKeepsTheOriginalPathAndTheTrashFolderShowsIt)
{
    struct Case {
        std::string name;
        std::string encoded; // how the name ends the Path= line
    };
    const std::vector<Case> cases = {
        {"plain.txt", "plain.txt"},
        {"with blank & more", "with%20blank%20%26%20more"},
        {"100%", "100%25"},
        {"line\nbreak", "line%0Abreak"},
        {"\xff\xfe not utf8", "%FF%FE%20not%20utf8"},
        {".hidden", ".hidden"},
    };
    std::vector<std::string> originals;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.encoded);
        const std::string path = tree.MakeFile("data/" + c.name, "content of " + c.name);
        const std::time_t before = std::time(nullptr);
        const TrashOutcome outcome = PutInTrash(path, env);
        ASSERT_EQ(outcome.kind, Kind::Trashed) << outcome.error;
        EXPECT_EQ(outcome.trashPath, trash + "/files/" + c.name);
        EXPECT_FALSE(fs::exists(fs::symlink_status(path)));
        EXPECT_EQ(ReadAll(outcome.trashPath), "content of " + c.name);

        std::istringstream info(ReadAll(trash + "/info/" + c.name + ".trashinfo"));
        std::string header, pathLine, dateLine;
        std::getline(info, header);
        std::getline(info, pathLine);
        std::getline(info, dateLine);
        EXPECT_EQ(header, "[Trash Info]");
        ASSERT_EQ(pathLine.rfind("Path=", 0), 0u) << pathLine;
        const std::string value = pathLine.substr(5);
        EXPECT_TRUE(value.ends_with("/data/" + c.encoded)) << value;
        EXPECT_EQ(value.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/-._~%"),
                  std::string::npos)
            << value;
        EXPECT_EQ(DecodeHexEscapes(value, "%"), path);

        std::tm date {};
        ASSERT_EQ(dateLine.rfind("DeletionDate=", 0), 0u) << dateLine;
        const char* end = ::strptime(dateLine.c_str() + 13, "%Y-%m-%dT%H:%M:%S", &date);
        ASSERT_TRUE(end && *end == '\0') << dateLine;
        date.tm_isdst = -1;
        const std::time_t when = std::mktime(&date);
        EXPECT_GE(when, before - 1);
        EXPECT_LE(when, std::time(nullptr) + 1);
        originals.push_back(c.name);
    }
    EXPECT_THAT(TrashListing(env), UnorderedElementsAreArray(originals));
}

// Names that collide get names of their own; an item another program left in files/
// without an info file is never replaced; a name too long for its info file is
// shortened in the trash but shown whole.
TEST_F(TrashTest, CollidingNamesEachGetTheirOwnPlace)
{
    tree.MakeFile("home/.local/share/Trash/files/a.2.txt", "left behind");
    tree.MakeDir("home/.local/share/Trash/info");
    const std::string longName(255, 'L');
    const std::vector<std::string> names = {"a.txt", "a.txt", "a.txt", "noext", "noext", longName, longName};
    std::vector<std::string> places;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string path = tree.MakeFile("data/" + names[i], std::to_string(i));
        const TrashOutcome outcome = PutInTrash(path, env);
        ASSERT_EQ(outcome.kind, Kind::Trashed) << i << ": " << outcome.error;
        EXPECT_EQ(ReadAll(outcome.trashPath), std::to_string(i));
        const std::string trashName = fs::path(outcome.trashPath).filename();
        EXPECT_TRUE(fs::exists(trash + "/info/" + trashName + ".trashinfo")) << trashName;
        places.push_back(outcome.trashPath);
    }
    std::sort(places.begin(), places.end());
    EXPECT_EQ(std::unique(places.begin(), places.end()), places.end());
    EXPECT_EQ(std::count(places.begin(), places.end(), trash + "/files/a.2.txt"), 0);
    EXPECT_EQ(ReadAll(trash + "/files/a.2.txt"), "left behind");
    EXPECT_THAT(TrashListing(env), UnorderedElementsAreArray(names));
}

// A trash that cannot take the item leaves everything as it was: the item in its
// place, nothing added to the trash.
TEST_F(TrashTest, UnusableTrashChangesNothing)
{
    const std::string path = tree.MakeFile("data/keep me", "precious");

    // the trash's place is taken by a file: no trash can be made
    fs::create_directories(env.xdgDataHome);
    tree.MakeFile("home/.local/share/Trash", "not a folder");
    TrashOutcome outcome = PutInTrash(path, env);
    EXPECT_EQ(outcome.kind, Kind::NoTrash);
    EXPECT_EQ(ReadAll(path), "precious");
    EXPECT_EQ(ReadAll(trash), "not a folder");

    // a read-only trash, as a user without root's override meets it
    fs::remove(trash);
    tree.MakeDir("home/.local/share/Trash/files");
    tree.MakeDir("home/.local/share/Trash/info");
    SetMode(trash + "/files", 0500);
    SetMode(trash + "/info", 0500);
    const int kind = WithoutPermissionOverride([&] { return static_cast<int>(PutInTrash(path, env).kind); });
    ASSERT_GE(kind, 0) << "the permission override could not be dropped";
    EXPECT_NE(static_cast<Kind>(kind), Kind::Trashed);
    EXPECT_EQ(ReadAll(path), "precious");
    EXPECT_EQ(EntryCount(trash + "/files") + EntryCount(trash + "/info"), 0u);

    // what is not there cannot be trashed, and a relative path names nothing
    EXPECT_EQ(PutInTrash(tree.Path("data/never was"), env).kind, Kind::Failed);
    EXPECT_EQ(PutInTrash("data/keep me", env).kind, Kind::Failed);
    EXPECT_EQ(ReadAll(path), "precious");
}

// An item on another drive goes to that drive's own trash ($topdir/.Trash/$uid when
// .Trash is a sticky folder that is no link, else $topdir/.Trash-$uid), its Path= line
// relative to the top; when none can be made there it is not moved at all. Needs a
// second file system: a tmpfs, mounted when the test runs as root.
TEST_F(TrashTest, ItemOnAnotherDriveUsesThatDrivesTrash)
{
    const std::string drive = fs::canonical(tree.MakeDir("drive")).string();
    if (::geteuid() != 0 || ::mount("tmpfs", drive.c_str(), "tmpfs", 0, "size=4m") != 0)
        GTEST_SKIP() << "needs root to mount a tmpfs";
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount{drive};
    tree.WriteMountTable(MountLine(27, "/", "ext4", "/dev/vda") + MountLine(40, drive, "tmpfs", "tmpfs"));
    const std::string uid = std::to_string(::getuid());

    struct Case {
        const char* what;
        std::function<void()> prepare;
        std::string expectedTrash;
    };
    const std::vector<Case> cases = {
        {"no .Trash", [] {}, drive + "/.Trash-" + uid},
        {"a sticky .Trash", [&] { fs::create_directory(drive + "/.Trash"); SetMode(drive + "/.Trash", 01777); },
         drive + "/.Trash/" + uid},
        {".Trash without the sticky bit", [&] { fs::create_directory(drive + "/.Trash"); SetMode(drive + "/.Trash", 0777); },
         drive + "/.Trash-" + uid},
        {".Trash a link to a sticky folder",
         [&] {
             fs::create_directory(drive + "/sticky");
             SetMode(drive + "/sticky", 01777);
             fs::create_directory_symlink("sticky", drive + "/.Trash");
         },
         drive + "/.Trash-" + uid},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(drive))
            fs::remove_all(entry.path());
        c.prepare();
        fs::create_directory(drive + "/sub");
        const std::string path = drive + "/sub/file one";
        std::ofstream(path) << "on the drive";
        const TrashOutcome outcome = PutInTrash(path, env);
        ASSERT_EQ(outcome.kind, Kind::Trashed) << outcome.error;
        EXPECT_EQ(outcome.trashPath, c.expectedTrash + "/files/file one");
        EXPECT_EQ(ReadAll(outcome.trashPath), "on the drive");
        EXPECT_THAT(ReadAll(c.expectedTrash + "/info/file one.trashinfo"), ::testing::HasSubstr("\nPath=sub/file%20one\n"));
        EXPECT_EQ(fs::status(c.expectedTrash).permissions() & fs::perms::all, fs::perms::owner_all);
        EXPECT_FALSE(fs::exists(trash + "/files/file one")); // never copied home
    }

    // a drive where no trash can be made: the item stays where it is
    for (const auto& entry : fs::directory_iterator(drive))
        fs::remove_all(entry.path());
    const std::string path = drive + "/stays";
    std::ofstream(path) << "here";
    ASSERT_EQ(::mount(nullptr, drive.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0) << errno;
    EXPECT_EQ(PutInTrash(path, env).kind, Kind::NoTrash);
    EXPECT_EQ(ReadAll(path), "here");
    EXPECT_EQ(EntryCount(trash + "/files"), 0u);
}

} // namespace
} // namespace bivora::test
