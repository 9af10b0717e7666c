#include "byte_temp_dir.h"
#include "qt_printers.h"
#include "thread_recording_launcher.h"
#include "ui/platform/desktop_apps.h"
#include "ui/platform/detached_start.h"

#include <gtest/gtest.h>

namespace bivora {
namespace {

using Args = std::vector<std::string>;

std::string App(const std::string& name, const std::string& mimeTypes, const std::string& extra = {})
{
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + name + " %F\nMimeType=" + mimeTypes + "\n" +
           extra;
}

std::vector<std::string> Ids(const std::vector<const DesktopEntry*>& entries)
{
    std::vector<std::string> ids;
    for (const DesktopEntry* entry : entries)
        ids.push_back(entry->id);
    return ids;
}

TEST(DesktopEntryTest, ReadsTheKeysOfTheDesktopEntryGroupOnly)
{
    const std::string text = "# comment\n"
                             "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Viewer\n"
                             "Name[de]=Betrachter\n"
                             "Name[de_AT]=Schauer\n"
                             "Exec=view\\s--x \"a\\\\\\\\b\" %U\n"
                             "Icon=viewer\n"
                             "MimeType=image/png;text/a\\;b;\n"
                             "NoDisplay=true\n"
                             "Terminal=true\n"
                             "Path=/srv\n"
                             "\n"
                             "[Desktop Action New]\n"
                             "Name=Other\n"
                             "Exec=other\n";
    const auto entry = ParseDesktopEntry(text, "viewer.desktop", "/x/viewer.desktop", "de_DE");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name, "Betrachter") << "language without country falls back to the language";
    EXPECT_EQ(entry->exec, "view --x \"a\\\\b\" %U");
    EXPECT_EQ(entry->icon, "viewer");
    EXPECT_EQ(entry->mimeTypes, (Args{"image/png", "text/a;b"}));
    EXPECT_TRUE(entry->noDisplay);
    EXPECT_TRUE(entry->terminal);
    EXPECT_FALSE(entry->hidden);
    EXPECT_EQ(entry->workingDirectory, "/srv");
    EXPECT_EQ(ParseDesktopEntry(text, "viewer.desktop", "", "de_AT")->name, "Schauer");
    EXPECT_EQ(ParseDesktopEntry(text, "viewer.desktop", "", "")->name, "Viewer");

    EXPECT_FALSE(ParseDesktopEntry("[Desktop Entry]\nType=Link\nURL=x\nName=L\n", "l.desktop", ""));
    EXPECT_FALSE(ParseDesktopEntry("[Desktop Entry]\nType=Application\nName=NoExec\n", "n.desktop", ""));
    EXPECT_FALSE(ParseDesktopEntry("[Other]\nType=Application\nExec=x\n", "o.desktop", ""));
    const auto hidden = ParseDesktopEntry("[Desktop Entry]\nHidden=true\n", "h.desktop", "");
    ASSERT_TRUE(hidden) << "a hidden entry is kept so that it masks the id";
    EXPECT_TRUE(hidden->hidden);
}

// A temporary XDG tree: user data and config, and two system data folders.
class DesktopAppDatabaseTest : public ::testing::Test {
protected:
    DesktopAppDatabaseTest()
    {
        m_dirs.dataHome = m_tree.MakeDir("home/data");
        m_dirs.dataDirs = {m_tree.MakeDir("sys1"), m_tree.MakeDir("sys2")};
        m_dirs.configHome = m_tree.MakeDir("home/config");
        m_dirs.configDirs = {m_tree.MakeDir("etc")};
        for (const char* folder : {"home/data/applications", "sys1/applications", "sys2/applications"})
            m_tree.MakeDir(folder);
    }
    void Put(const std::string& relative, const std::string& text) { m_tree.MakeFile(relative, text); }

    test::ByteTempDir m_tree;
    DesktopDirs m_dirs;
};

TEST_F(DesktopAppDatabaseTest, UserFoldersOverrideSystemOnesAndHiddenMasks)
{
    Put("sys1/applications/editor.desktop", App("SystemEditor", "text/plain;"));
    Put("home/data/applications/editor.desktop", App("MyEditor", "text/plain;"));
    Put("sys1/applications/gone.desktop", App("Gone", "text/plain;"));
    Put("home/data/applications/gone.desktop", "[Desktop Entry]\nHidden=true\n");
    m_tree.MakeDir("sys2/applications/kde");
    Put("sys2/applications/kde/write.desktop", App("Write", "text/plain;"));

    const DesktopAppDatabase database(m_dirs);
    ASSERT_TRUE(database.Find("editor.desktop"));
    EXPECT_EQ(database.Find("editor.desktop")->name, "MyEditor");
    EXPECT_FALSE(database.Find("gone.desktop"));
    ASSERT_TRUE(database.Find("kde-write.desktop")) << "a subfolder's name becomes a prefix of the id";
    EXPECT_EQ(Ids(database.ApplicationsFor("text/plain")), (Args{"editor.desktop", "kde-write.desktop"}));
}

TEST_F(DesktopAppDatabaseTest, MimeAppsListsChooseTheDefaultAndAddOrRemoveAssociations)
{
    Put("sys1/applications/a.desktop", App("A", "image/png;"));
    Put("sys1/applications/b.desktop", App("B", "image/png;"));
    Put("sys1/applications/c.desktop", App("C", "image/gif;"));
    Put("sys1/applications/d.desktop", App("D", "image/png;"));
    // without any list the first association is the default
    EXPECT_EQ(Ids(DesktopAppDatabase(m_dirs).ApplicationsFor("image/png")), (Args{"a.desktop", "b.desktop", "d.desktop"}));

    Put("home/config/mimeapps.list", "[Default Applications]\n"
                                     "image/png=missing.desktop;b.desktop;\n"
                                     "[Added Associations]\n"
                                     "image/png=c.desktop;\n"
                                     "[Removed Associations]\n"
                                     "image/png=a.desktop;\n");
    // a less important list cannot undo the user's choice
    Put("sys1/applications/mimeapps.list", "[Default Applications]\nimage/png=d.desktop\n"
                                           "[Added Associations]\nimage/png=a.desktop;\n");
    const DesktopAppDatabase database(m_dirs);
    ASSERT_TRUE(database.DefaultFor("image/png"));
    EXPECT_EQ(database.DefaultFor("image/png")->id, "b.desktop") << "an uninstalled default is passed over";
    EXPECT_EQ(Ids(database.ApplicationsFor("image/png")), (Args{"b.desktop", "c.desktop", "d.desktop"}));
    EXPECT_TRUE(database.ApplicationsFor("image/jpeg").empty());
    EXPECT_FALSE(database.DefaultFor("image/jpeg"));
}

TEST_F(DesktopAppDatabaseTest, DesktopSpecificListComesFirst)
{
    Put("sys1/applications/a.desktop", App("A", "image/png;"));
    Put("sys1/applications/b.desktop", App("B", "image/png;"));
    Put("home/config/mimeapps.list", "[Default Applications]\nimage/png=a.desktop\n");
    Put("home/config/xfce-mimeapps.list", "[Default Applications]\nimage/png=b.desktop\n");
    EXPECT_EQ(DesktopAppDatabase(m_dirs).DefaultFor("image/png")->id, "a.desktop");
    m_dirs.currentDesktops = {"xfce"};
    EXPECT_EQ(DesktopAppDatabase(m_dirs).DefaultFor("image/png")->id, "b.desktop");
}

TEST_F(DesktopAppDatabaseTest, CacheGivesTheOrderButTheEntryMustStillClaimTheType)
{
    Put("sys1/applications/a.desktop", App("A", "image/png;"));
    Put("sys1/applications/b.desktop", App("B", "image/png;"));
    Put("sys1/applications/stale.desktop", App("Stale", "image/gif;"));
    Put("sys1/applications/mimeinfo.cache", "[MIME Cache]\nimage/png=b.desktop;stale.desktop;a.desktop;\n");
    EXPECT_EQ(Ids(DesktopAppDatabase(m_dirs).ApplicationsFor("image/png")), (Args{"b.desktop", "a.desktop"}));
}

TEST_F(DesktopAppDatabaseTest, DerivedTypesOfferTheirParentsApplicationsAndNoDisplayOnlyAsDefault)
{
    Put("sys1/applications/cc.desktop", App("CC", "text/x-csrc;"));
    Put("sys1/applications/pad.desktop", App("Pad", "text/plain;"));
    Put("sys1/applications/helper.desktop", App("Helper", "text/plain;", "NoDisplay=true\n"));
    const DesktopAppDatabase plain(m_dirs);
    EXPECT_EQ(Ids(plain.ApplicationsFor("text/x-csrc")), (Args{"cc.desktop", "pad.desktop"}));
    EXPECT_EQ(Ids(plain.ApplicationsFor("text/plain")), (Args{"pad.desktop"}));
    EXPECT_EQ(plain.DefaultFor("text/plain")->id, "pad.desktop") << "a visible entry is preferred as default";

    Put("home/config/mimeapps.list", "[Default Applications]\ntext/plain=helper.desktop\n");
    const DesktopAppDatabase withDefault(m_dirs);
    EXPECT_EQ(Ids(withDefault.ApplicationsFor("text/plain")), (Args{"helper.desktop", "pad.desktop"}));
    EXPECT_EQ(withDefault.DefaultFor("text/x-csrc")->id, "helper.desktop") << "a chosen default serves derived types";
    EXPECT_EQ(Ids(withDefault.ApplicationsFor("text/x-csrc")), (Args{"helper.desktop", "cc.desktop", "pad.desktop"}));
}

DesktopEntry Entry(const std::string& exec)
{
    DesktopEntry entry;
    entry.id = "app.desktop";
    entry.path = "/apps/app.desktop";
    entry.name = "My App";
    entry.icon = "app-icon";
    entry.exec = exec;
    return entry;
}

TEST(ExpandExecTest, FieldCodesAndQuoting)
{
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
    for (const Case& c : cases)
        EXPECT_EQ(ExpandExec(Entry(c.exec), c.files), c.commands) << c.name;
}

TEST(LaunchApplicationTest, StartsDetachedInTheFilesFolderOrInATerminal)
{
    test::ThreadRecordingLauncher launcher;
    DesktopEntry entry = Entry("app %f");
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
    EXPECT_FALSE(LaunchApplication(Entry("app \"broken"), {"/docs/a.txt"}, launcher));
}

TEST(LaunchApplicationTest, NameThatIsNotUtf8KeepsItsBytes)
{
    test::ThreadRecordingLauncher launcher;
    const std::string file = "/d/\xff\xfe.txt";
    ASSERT_TRUE(LaunchApplication(Entry("app %F"), {file}, launcher));
    EXPECT_TRUE(launcher.starts.empty());
    ASSERT_EQ(launcher.exactStarts.size(), 1u);
    EXPECT_EQ(launcher.exactStarts[0].program, "app");
    EXPECT_EQ(launcher.exactStarts[0].arguments, std::vector<std::string>{file});
    EXPECT_EQ(launcher.exactStarts[0].workingDirectory, "/d");
}

} // namespace
} // namespace bivora
