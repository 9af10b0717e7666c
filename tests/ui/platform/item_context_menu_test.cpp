#include "qt_printers.h"
#include "ui/commands/command_ids.h"
#include "ui/jobs/job_registry.h"
#include "ui/platform/desktop_apps.h"
#include "ui/platform/item_context_menu.h"

#include <QAction>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <condition_variable>
#include <map>
#include <mutex>

namespace bivora {
namespace {

using Verbs = std::vector<std::string>;

DesktopEntry App(const std::string& id, const std::string& name)
{
    return {id, "/apps/" + id, name, "x %F", {}, {}, false};
}

// An application database with viewers for PNG images, a folder browser and an editor,
// answered from a table on the database's worker.
class ItemContextMenuTest : public ::testing::Test {
protected:
    ItemContextMenuTest()
        : m_apps(std::make_unique<DesktopAppDatabase>(m_jobs, [](const std::string& type) {
            const DesktopEntry paint = App("paint.desktop", "Paint"), view = App("view.desktop", "Viewer");
            const std::map<std::string, std::vector<DesktopEntry>> table{
                {"image/png", {view, paint}},
                {"text/plain", {App("edit.desktop", "Editor"), paint}},
                {"inode/directory", {App("files.desktop", "Files")}},
            };
            const auto found = table.find(type);
            return found == table.end() ? std::vector<DesktopEntry>{} : found->second;
        }))
    {
    }

    // The verbs of the menu in order; a submenu shows as "[" its verbs "]".
    static Verbs VerbsOf(const QMenu& menu)
    {
        Verbs verbs;
        for (const QAction* action : menu.actions()) {
            if (action->isSeparator())
                continue;
            if (const QMenu* sub = action->menu()) {
                verbs.push_back("[");
                const Verbs inner = VerbsOf(*sub);
                verbs.insert(verbs.end(), inner.begin(), inner.end());
                verbs.push_back("]");
                continue;
            }
            verbs.push_back(VerbOf(action).toStdString());
        }
        return verbs;
    }
    static const QAction* Find(const QMenu& menu, const char* verb)
    {
        for (const QAction* action : menu.findChildren<QAction*>())
            if (VerbOf(action) == QLatin1String(verb))
                return action;
        return nullptr;
    }
    // Whether Open With holds the line that stands for answers still to come.
    static bool Looking(const QMenu& menu)
    {
        for (const QAction* action : menu.findChildren<QAction*>())
            if (!action->isSeparator() && !action->menu() && VerbOf(action).isEmpty())
                return true;
        return false;
    }
    // The menu once the database has answered for its items.
    std::unique_ptr<QMenu> Build(const std::vector<SelectedItem>& items, ItemMenuOptions options = {})
    {
        auto menu = BuildItemContextMenu(items, *m_apps, options);
        if (menu) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return !Looking(*menu); }, 10000)) << "no answer came";
        }
        return menu;
    }

    JobRegistry m_jobs;
    std::unique_ptr<DesktopAppDatabase> m_apps;
    const SelectedItem m_png{"/pics/a.png", false, false, "image/png"};
    const SelectedItem m_text{"/docs/b.txt", false, false, "text/plain"};
    const SelectedItem m_folder{"/docs/sub", true, false, "inode/directory"};
};

TEST_F(ItemContextMenuTest, OneFileOffersItsApplicationsDefaultFirstAndNoPaste)
{
    const auto menu = Build({m_png});
    ASSERT_TRUE(menu);
    EXPECT_EQ(VerbsOf(*menu), (Verbs{"open", "[", "openwith:view.desktop", "openwith:paint.desktop", "]", "cut", "copy",
                                     "delete", "rename", "properties"}));
    EXPECT_EQ(Find(*menu, "openwith:view.desktop")->text(), "Viewer");
    EXPECT_EQ(menu->defaultAction(), Find(*menu, "open"));
    for (const QAction* action : menu->findChildren<QAction*>()) {
        if (action->isSeparator() || VerbOf(action).isEmpty())
            continue;
        EXPECT_TRUE(action->isEnabled()) << VerbOf(action).toStdString();
        EXPECT_FALSE(action->statusTip().isEmpty()) << VerbOf(action).toStdString();
    }
    EXPECT_FALSE(Find(*Build({m_png}, {false, false}), "rename")->isEnabled()) << "not a file-system folder";
}

TEST_F(ItemContextMenuTest, OneFolderAddsPasteEnabledByTheClipboard)
{
    const auto menu = Build({m_folder}, {true, true});
    EXPECT_EQ(VerbsOf(*menu), (Verbs{"open", "[", "openwith:files.desktop", "]", "cut", "copy", "paste", "pastelink",
                                     "delete", "rename", "properties"}));
    EXPECT_TRUE(Find(*menu, "paste")->isEnabled());
    EXPECT_TRUE(Find(*menu, "pastelink")->isEnabled());

    const auto empty = Build({m_folder}, {false, true});
    EXPECT_FALSE(Find(*empty, "paste")->isEnabled());
    EXPECT_FALSE(Find(*empty, "pastelink")->isEnabled());
}

TEST_F(ItemContextMenuTest, SeveralItemsShareTheirCommonApplicationsAndCannotRenameOrPaste)
{
    const auto mixed = Build({m_png, m_text, m_folder}, {true, true});
    EXPECT_EQ(VerbsOf(*mixed), (Verbs{"open", "[", "]", "cut", "copy", "delete", "rename", "properties"}));
    EXPECT_FALSE(Find(*mixed, "rename")->isEnabled());
    const QAction* openWith = nullptr;
    for (const QAction* action : mixed->actions())
        if (action->menu())
            openWith = action;
    ASSERT_TRUE(openWith);
    EXPECT_FALSE(openWith->isEnabled()) << "no application opens all of them";

    const auto files = Build({m_png, m_text});
    EXPECT_EQ(VerbsOf(*files), (Verbs{"open", "[", "openwith:paint.desktop", "]", "cut", "copy", "delete", "rename",
                                      "properties"}));
    EXPECT_EQ(VerbsOf(*Build({m_folder, m_folder}, {true, true})),
              (Verbs{"open", "[", "openwith:files.desktop", "]", "cut", "copy", "delete", "rename", "properties"}));
    EXPECT_EQ(Build({}), nullptr);
}

// A lookup that answers with a viewer and a paint program once the test opens the gate.
struct Gate {
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;
    int calls = 0;

    DesktopAppDatabase::Lookup Lookup(const std::shared_ptr<Gate>& self)
    {
        return [self](const std::string&) {
            std::unique_lock lock(self->mutex);
            ++self->calls;
            self->opened.wait(lock, [&self] { return self->open; });
            return std::vector<DesktopEntry>{App("view.desktop", "Viewer"), App("paint.desktop", "Paint")};
        };
    }
    void Open()
    {
        std::lock_guard lock(mutex);
        open = true;
        opened.notify_all();
    }
    int Calls()
    {
        std::lock_guard lock(mutex);
        return calls;
    }
};

TEST_F(ItemContextMenuTest, OpenWithSaysItIsLookingUntilTheAnswerComesThenFillsInWhileOpen)
{
    const auto gate = std::make_shared<Gate>();
    DesktopAppDatabase apps(m_jobs, gate->Lookup(gate));
    const auto menu = BuildItemContextMenu({m_png}, apps, {});
    const Verbs looking{"open", "[", "", "]", "cut", "copy", "delete", "rename", "properties"};
    EXPECT_EQ(VerbsOf(*menu), looking);
    EXPECT_TRUE(menu->actions().at(1)->isEnabled()) << "the submenu opens to say it is looking";
    const auto second = BuildItemContextMenu({m_png}, apps, {});
    EXPECT_EQ(VerbsOf(*second), looking);

    gate->Open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Looking(*menu) && !Looking(*second); }, 10000));
    const Verbs filled{"open", "[", "openwith:view.desktop", "openwith:paint.desktop", "]", "cut", "copy", "delete",
                       "rename", "properties"};
    EXPECT_EQ(VerbsOf(*menu), filled);
    EXPECT_EQ(VerbsOf(*second), filled);
    EXPECT_EQ(gate->Calls(), 1) << "a type being looked up is not asked for twice";

    // a later menu shows the kept answer at once and asks again, for installs since
    const auto third = BuildItemContextMenu({m_png}, apps, {});
    EXPECT_EQ(VerbsOf(*third), filled);
    EXPECT_TRUE(QTest::qWaitFor([&] { return gate->Calls() == 2; }, 10000));
}

TEST_F(ItemContextMenuTest, DatabaseGoesWithoutWaitingForALookupThatHangs)
{
    const auto gate = std::make_shared<Gate>();
    {
        DesktopAppDatabase apps(m_jobs, gate->Lookup(gate));
        apps.Request({"image/png"});
        ASSERT_TRUE(QTest::qWaitFor([&] { return gate->Calls() == 1; }, 10000));
    } // returns although the lookup is held
    gate->Open(); // the worker left behind ends; its answer goes nowhere
}

TEST(RunShellVerbTest, VerbTableAndPasteIntoOneFolder)
{
    const SelectedItem file{"/d/f.txt", false, false, "text/plain"};
    const SelectedItem folder{"/d/sub", true, false, "inode/directory"};
    const SelectedItem folderLink{"/d/link", true, true, "inode/directory"};
    using Kind = VerbAction::Kind;
    struct Case {
        const char* verb;
        std::vector<SelectedItem> items;
        Kind kind;
        int command;
        std::string folder;
    };
    const Case cases[] = {
        {"cut", {file}, Kind::PostCommand, cmd::kCut, {}},
        {"copy", {file, folder}, Kind::PostCommand, cmd::kCopy, {}},
        {"delete", {folder}, Kind::PostCommand, cmd::kDelete, {}},
        {"rename", {file}, Kind::PostCommand, cmd::kRename, {}},
        {"paste", {folder}, Kind::PasteIntoFolder, 0, "/d/sub"},
        {"paste", {folderLink}, Kind::PasteIntoFolder, 0, "/d/link"},
        {"paste", {file}, Kind::NotHandled, 0, {}},
        {"paste", {folder, folder}, Kind::NotHandled, 0, {}},
        {"open", {file}, Kind::NotHandled, 0, {}},
        {"properties", {file}, Kind::NotHandled, 0, {}},
        {"Copy", {file}, Kind::NotHandled, 0, {}},
    };
    for (const Case& c : cases) {
        const VerbAction action = RunShellVerb(QString::fromLatin1(c.verb), c.items);
        EXPECT_EQ(action.kind, c.kind) << c.verb;
        EXPECT_EQ(action.command, c.command) << c.verb;
        EXPECT_EQ(action.folder, c.folder) << c.verb;
    }
}

TEST(RunShellVerbTest, TheMenusOtherVerbs)
{
    const SelectedItem file{"/d/f.txt", false, false, "text/plain"};
    const SelectedItem folder{"/d/sub", true, false, "inode/directory"};
    using Kind = VerbAction::Kind;
    EXPECT_EQ(InvokeItemVerb("open", {file}).kind, Kind::Open);
    const VerbAction with = InvokeItemVerb("openwith:org.example.Edit.desktop", {file});
    EXPECT_EQ(with.kind, Kind::OpenWith);
    EXPECT_EQ(with.desktopId, "org.example.Edit.desktop");
    EXPECT_EQ(InvokeItemVerb("openwith:", {file}).kind, Kind::NotHandled);
    const VerbAction link = InvokeItemVerb("pastelink", {folder});
    EXPECT_EQ(link.kind, Kind::PasteLinkIntoFolder);
    EXPECT_EQ(link.folder, "/d/sub");
    EXPECT_EQ(InvokeItemVerb("pastelink", {file}).kind, Kind::NotHandled);
    EXPECT_EQ(InvokeItemVerb("properties", {file, folder}).kind, Kind::ShowProperties);
    EXPECT_EQ(InvokeItemVerb("open", {}).kind, Kind::NotHandled);
}

} // namespace
} // namespace bivora
