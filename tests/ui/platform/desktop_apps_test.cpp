// Open With on GIO's application database. GIO reads the XDG folders once per process,
// so this program has a main of its own that lays out a temporary XDG tree and points
// the environment at it before anything asks GIO. Run with --blocked, the tree's
// mimeinfo.cache is a named pipe that no one writes, so that every GIO lookup blocks
// until a test opens it for writing.
#include "../../shell/temp_tree.h"
#include "qt_printers.h"
#include "thread_recording_launcher.h"
#include "ui/jobs/job_registry.h"
#include "ui/platform/desktop_apps.h"
#include "ui/platform/item_context_menu.h"
#include "ui/platform/qt_launcher.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace bivora {
namespace {

using Args = std::vector<std::string>;

test::TempTree* g_tree = nullptr;
bool g_blocked = false;

std::string TreePath(const std::string& relative)
{
    return g_tree->Path() + "/" + relative;
}

const char kCache[] = "[MIME Cache]\n"
                      "image/png=d.desktop;b.desktop;a.desktop;\n"
                      "image/gif=c.desktop;\n"
                      "text/plain=pad.desktop;kde-write.desktop;helper.desktop;gone.desktop;\n"
                      "text/x-csrc=cc.desktop;\n"
                      "application/x-bivora-record=record.desktop;\n";

// The system folder whose "mime" database GIO needs to know which types derive from
// which; empty when there is none.
std::string SystemMimeFolder()
{
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::istringstream list(dirs && *dirs ? dirs : "/usr/local/share:/usr/share");
    for (std::string folder; std::getline(list, folder, ':');) {
        struct stat st {};
        if (!folder.empty() && ::stat((folder + "/mime/mime.cache").c_str(), &st) == 0)
            return folder + "/mime";
    }
    return {};
}

// Applications in the user's folder and two system folders, the user's and the
// system's mimeapps.list, a recording program, and the files that once stalled or
// crashed the program: a named pipe and a link to /dev/zero among the entries (the
// link listed in a cache), and links to /dev/zero in place of a cache and of lists.
void LayOutTree(const test::TempTree& tree, bool blocked)
{
    for (const char* folder : {"home/data/applications", "home/config", "sys1/applications/kde", "sys2/applications",
                               "etc", "bin", "files"})
        tree.MakeDir(folder);
    const auto app = [&tree](const std::string& relative, const std::string& name, const std::string& extra = {}) {
        tree.MakeFile(relative, "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=/bin/true " + name +
                                    " %F\n" + extra);
    };
    app("sys1/applications/a.desktop", "A");
    app("sys1/applications/b.desktop", "B");
    app("sys1/applications/c.desktop", "C");
    app("sys1/applications/d.desktop", "D");
    app("sys1/applications/kde/write.desktop", "Write");
    app("sys1/applications/pad.desktop", "SystemPad");
    app("sys1/applications/helper.desktop", "Helper", "NoDisplay=true\n");
    app("sys1/applications/gone.desktop", "Gone");
    app("sys1/applications/cc.desktop", "CC", "Name[de]=CÜ\nIcon=/opt/cc/cc.png\nPath=/srv\nTerminal=true\n");
    tree.MakeFile("sys1/applications/record.desktop",
                  "[Desktop Entry]\nType=Application\nName=Record\nIcon=record.svg\nExec=" + TreePath("bin/record") +
                      " --files %F\n");
    app("home/data/applications/pad.desktop", "MyPad");
    tree.MakeFile("home/data/applications/gone.desktop", "[Desktop Entry]\nType=Application\nHidden=true\n");
    tree.MakeFile("home/data/applications/mimeinfo.cache", "[MIME Cache]\ntext/plain=pad.desktop;zero.desktop;\n");
    ::mkfifo(TreePath("home/data/applications/fifo.desktop").c_str(), 0644);
    ::symlink("/dev/zero", TreePath("home/data/applications/zero.desktop").c_str());
    ::symlink("/dev/zero", TreePath("sys2/applications/mimeinfo.cache").c_str());
    ::symlink("/dev/zero", TreePath("sys2/applications/mimeapps.list").c_str());
    ::symlink("/dev/zero", TreePath("etc/mimeapps.list").c_str());
    if (blocked)
        ::mkfifo(TreePath("sys1/applications/mimeinfo.cache").c_str(), 0644);
    else
        tree.MakeFile("sys1/applications/mimeinfo.cache", kCache);
    tree.MakeFile("home/config/mimeapps.list", "[Default Applications]\n"
                                               "image/png=missing.desktop;b.desktop;\n"
                                               "text/plain=helper.desktop\n"
                                               "[Added Associations]\n"
                                               "image/png=c.desktop;\n"
                                               "[Removed Associations]\n"
                                               "image/png=a.desktop;\n");
    // writes its working folder and then its arguments, each ended by a NUL byte
    tree.MakeFile("bin/record",
                  "#!/bin/sh\n{ pwd; for a in \"$@\"; do printf '%s\\0' \"$a\"; done; } > '" + TreePath("record.tmp") +
                      "' && mv '" + TreePath("record.tmp") + "' '" + TreePath("record.out") + "'\n",
                  0755);
    const std::string mime = SystemMimeFolder();
    if (!mime.empty())
        ::symlink(mime.c_str(), TreePath("sys2/mime").c_str());
}

std::vector<std::string> Ids(const std::vector<DesktopEntry>& entries)
{
    std::vector<std::string> ids;
    for (const DesktopEntry& entry : entries)
        ids.push_back(entry.id);
    return ids;
}

class DesktopAppsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (g_blocked)
            GTEST_SKIP() << "the tree of this run blocks every lookup";
    }

    JobRegistry m_jobs;
};

TEST_F(DesktopAppsTest, DefaultsAssociationsAndOrderFollowTheDesktopsDatabase)
{
    struct Case {
        const char* type;
        Args ids;
        const char* why;
    };
    const Case cases[] = {
        {"image/png", {"b.desktop", "c.desktop", "d.desktop"},
         "the first installed default leads; an added association comes in, a removed one goes"},
        {"image/gif", {"c.desktop"}, "the only association is the default"},
        {"text/plain", {"helper.desktop", "pad.desktop", "kde-write.desktop"},
         "a chosen default shows though the menus hide it; a hidden entry masks the system's; a link to a device is "
         "passed over"},
        {"image/jpeg", {}, "no application"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Ids(LookUpApplications(c.type)), c.ids) << c.type << ": " << c.why;

    const auto text = LookUpApplications("text/plain");
    ASSERT_EQ(text.size(), 3u);
    EXPECT_EQ(text[1].name, "MyPad") << "the user's entry overrides the system's";
    EXPECT_EQ(text[1].path, TreePath("home/data/applications/pad.desktop"));
}

TEST_F(DesktopAppsTest, DerivedTypesOfferTheirOwnApplicationsFirstThenTheirParents)
{
    if (SystemMimeFolder().empty())
        GTEST_SKIP() << "no shared MIME database on this system";
    const auto source = LookUpApplications("text/x-csrc");
    EXPECT_EQ(Ids(source), (Args{"cc.desktop", "pad.desktop", "kde-write.desktop"}))
        << "the text editors follow; the helper the menus hide is not the default here";
}

TEST_F(DesktopAppsTest, EntryKeepsWhatLaunchingNeeds)
{
    const auto source = LookUpApplications("text/x-csrc");
    ASSERT_FALSE(source.empty());
    const DesktopEntry& cc = source.front();
    EXPECT_EQ(cc.name, "CÜ") << "the user's language";
    EXPECT_EQ(cc.exec, "/bin/true CC %F");
    EXPECT_EQ(cc.icon, "/opt/cc/cc.png");
    EXPECT_EQ(cc.workingDirectory, "/srv");
    EXPECT_TRUE(cc.terminal);
    const auto record = LookUpApplications("application/x-bivora-record");
    ASSERT_EQ(record.size(), 1u);
    EXPECT_EQ(record[0].icon, "record") << "a theme name loses a file extension";
    EXPECT_FALSE(record[0].terminal);
    EXPECT_TRUE(record[0].workingDirectory.empty());
}

// The real start: GIO's entry, this program's Exec expansion, a detached process in
// the file's folder that gets the name's bytes as they are.
TEST_F(DesktopAppsTest, LaunchRunsTheProgramDetachedInTheFilesFolderWithExactNames)
{
    DesktopAppDatabase database(m_jobs);
    database.Request({"application/x-bivora-record"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return database.Find("record.desktop") != nullptr; }, 10000));
    const Args files{TreePath("files/caf\xe9 \"q\" $x.txt"), TreePath("files/b")};
    QtLauncher launcher;
    ASSERT_TRUE(LaunchApplication(*database.Find("record.desktop"), files, launcher));

    const std::string out = TreePath("record.out");
    ASSERT_TRUE(QTest::qWaitFor([&] { return ::access(out.c_str(), F_OK) == 0; }, 10000));
    std::ifstream in(out, std::ios::binary);
    std::string folder;
    std::getline(in, folder);
    Args arguments;
    for (std::string argument; std::getline(in, argument, '\0');)
        arguments.push_back(argument);
    EXPECT_EQ(folder, TreePath("files"));
    EXPECT_EQ(arguments, (Args{"--files", files[0], files[1]}));
}

TEST_F(DesktopAppsTest, PipeAndDeviceLinksInTheFoldersNeitherBlockNorCrash)
{
    // the pipe and the links sit in the tree every test here reads; this asks through
    // the database as the program does and waits for the answer
    DesktopAppDatabase database(m_jobs);
    database.Request({"text/plain", "image/png"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return database.ApplicationsFor("text/plain") && database.ApplicationsFor("image/png"); },
                                10000));
    EXPECT_FALSE(database.Find("zero.desktop"));
    EXPECT_FALSE(database.Find("fifo.desktop"));
    EXPECT_EQ(database.ApplicationsFor("image/png")->size(), 3u);
}

TEST(ExpandExecTest, FieldCodesAndQuoting)
{
    DesktopEntry entry;
    entry.path = "/apps/app.desktop";
    entry.name = "My App";
    entry.icon = "app-icon";
    const std::string odd = "/data/caf\xe9 \"q\" 'x' $HOME `id`.txt";
    struct Case {
        const char* name;
        std::string exec;
        Args files;
        std::vector<Args> commands;
    };
    const Case cases[] = {
        {"list of files", "app --open %F", {"/a b/1", odd}, {{"app", "--open", "/a b/1", odd}}},
        {"one per file", "app %f", {"/x", "/y"}, {{"app", "/x"}, {"app", "/y"}}},
        {"no files drops the code", "app %f --new", {}, {{"app", "--new"}}},
        {"no code ignores files", "app --new", {"/x"}, {{"app", "--new"}}},
        {"urls", "app %U", {"/a b/%.txt", "/caf\xe9"}, {{"app", "file:///a%20b/%25.txt", "file:///caf%E9"}}},
        {"embedded single code", "app --file=%f", {"/p q"}, {{"app", "--file=/p q"}}},
        {"icon, name, location", "app %i %c %k", {}, {{"app", "--icon", "app-icon", "My App", "/apps/app.desktop"}}},
        {"percent and deprecated codes", "app 100%% %d %D %n %N %v %m -x%m", {}, {{"app", "100%", "-x"}}},
        {"quoted program and arguments", "\"/opt/my app/bin\" \"a \\\"b\\\" \\$c \\`d\\` \\\\e\" \"\"",
         {}, {{"/opt/my app/bin", "a \"b\" $c `d` \\e", ""}}},
        {"quoted code is not expanded", "sh -c \"echo %f 50%%\" %f", {"/x; rm -rf ~"},
         {{"sh", "-c", "echo %f 50%", "/x; rm -rf ~"}}},
        {"extra blanks", "  app   %F  ", {"/x"}, {{"app", "/x"}}},
        {"unclosed quote", "app \"oops %F", {"/x"}, {}},
        {"empty", "", {"/x"}, {}},
    };
    for (const Case& c : cases) {
        entry.exec = c.exec;
        EXPECT_EQ(ExpandExec(entry, c.files), c.commands) << c.name;
    }
}

TEST(LaunchApplicationTest, StartsDetachedInTheFilesFolderOrInATerminal)
{
    test::ThreadRecordingLauncher launcher;
    DesktopEntry entry;
    entry.exec = "app %f";
    ASSERT_TRUE(LaunchApplication(entry, {"/docs/a b.txt", "/docs/c.txt"}, launcher));
    ASSERT_EQ(launcher.starts.size(), 2u);
    EXPECT_EQ(launcher.starts[0].program, "app");
    EXPECT_EQ(launcher.starts[0].arguments, QStringList{"/docs/a b.txt"});
    EXPECT_EQ(launcher.starts[0].workingDirectory, "/docs");
    EXPECT_EQ(launcher.starts[1].arguments, QStringList{"/docs/c.txt"});

    launcher.starts.clear();
    entry.terminal = true;
    entry.workingDirectory = "/work";
    ASSERT_TRUE(LaunchApplication(entry, {"/docs/a.txt"}, launcher, "term"));
    ASSERT_EQ(launcher.starts.size(), 1u);
    EXPECT_EQ(launcher.starts[0].program, "term");
    EXPECT_EQ(launcher.starts[0].arguments, (QStringList{"-e", "app", "/docs/a.txt"}));
    EXPECT_EQ(launcher.starts[0].workingDirectory, "/work");

    launcher.startResult = false;
    EXPECT_FALSE(LaunchApplication(entry, {"/docs/a.txt"}, launcher));
    entry.exec = "app \"broken";
    EXPECT_FALSE(LaunchApplication(entry, {"/docs/a.txt"}, launcher));
}

// The verbs of a submenu; a disabled line without a verb shows as "...".
std::vector<std::string> OpenWithVerbs(const QMenu& menu)
{
    for (const QAction* action : menu.actions()) {
        if (!action->menu())
            continue;
        std::vector<std::string> verbs;
        for (const QAction* inner : action->menu()->actions())
            if (!inner->isSeparator())
                verbs.push_back(VerbOf(inner).isEmpty() ? "..." : VerbOf(inner).toStdString());
        return verbs;
    }
    return {};
}

// With the cache a pipe that no one writes, GIO blocks in its first open of it for as
// long as that lasts. The menu still comes at once, says that it is looking, and fills
// in when the open is over; a database that goes meanwhile does not wait for its worker.
TEST(BlockedDesktopAppsTest, MenuComesAtOnceAndFillsInWhenTheReadEnds)
{
    if (!g_blocked)
        GTEST_SKIP() << "needs the run with --blocked";
    const SelectedItem text{TreePath("files/a.txt"), false, false, "text/plain"};
    JobRegistry jobs;
    {
        DesktopAppDatabase stuck(jobs);
        const auto menu = BuildItemContextMenu({text}, stuck, {});
        EXPECT_EQ(OpenWithVerbs(*menu), (Args{"..."}));
    } // its worker stays in the read

    DesktopAppDatabase database(jobs);
    const auto menu = BuildItemContextMenu({text}, database, {});
    EXPECT_EQ(OpenWithVerbs(*menu), (Args{"..."}));
    EXPECT_FALSE(database.ApplicationsFor("text/plain"));

    // Opening the pipe for writing waits for GIO's open and ends it: GIO then finds it
    // is no regular file and passes over it. A regular cache takes its place for the
    // reads GIO makes when it sees the folder change.
    const std::string cache = TreePath("sys1/applications/mimeinfo.cache");
    const int pipe = ::open(cache.c_str(), O_WRONLY);
    ASSERT_GE(pipe, 0);
    ASSERT_EQ(::rename(g_tree->MakeFile("cache.tmp", kCache).c_str(), cache.c_str()), 0);
    ::close(pipe);
    ASSERT_TRUE(QTest::qWaitFor([&] { return OpenWithVerbs(*menu) != Args{"..."}; }, 10000));
    const Args verbs = OpenWithVerbs(*menu);
    EXPECT_NE(std::find(verbs.begin(), verbs.end(), "openwith:pad.desktop"), verbs.end());
}

} // namespace
} // namespace bivora

int main(int argc, char* argv[])
{
    std::vector<char*> arguments;
    for (int i = 0; i < argc; ++i) {
        if (std::string(argv[i]) == "--blocked")
            bivora::g_blocked = true;
        else
            arguments.push_back(argv[i]);
    }
    int count = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);

    bivora::test::TempTree tree;
    bivora::g_tree = &tree;
    bivora::LayOutTree(tree, bivora::g_blocked);
    ::setenv("XDG_DATA_HOME", (tree.Path() + "/home/data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (tree.Path() + "/home/config").c_str(), 1);
    ::setenv("XDG_DATA_DIRS", (tree.Path() + "/sys1:" + tree.Path() + "/sys2").c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", (tree.Path() + "/etc").c_str(), 1);
    ::setenv("XDG_CURRENT_DESKTOP", "", 1);
    ::setenv("LANGUAGE", "de", 1);
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(count, arguments.data());
    ::testing::InitGoogleTest(&count, arguments.data());
    return RUN_ALL_TESTS();
}
