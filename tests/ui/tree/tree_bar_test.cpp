// The folder tree in the program's window: hidden on a first start, following the
// active pane once shown, sending the pane where it is told to, holding nothing hidden.
#include "../app/app_test_support.h"
#include "../test_services.h"

#include "shell/shell_folder.h"
#include "shell/shell_namespace.h"
#include "ui/app/app_window.h"
#include "ui/app/bivora_app.h"
#include "ui/commands/command_ids.h"
#include "ui/frame/main_frame.h"
#include "ui/pane/pane_view.h"
#include "ui/tree/folder_tree_model.h"
#include "ui/tree/tree_browser.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace bivora {
namespace {

class TreeBarTest : public ::testing::Test {
protected:
    TreeBarTest()
    {
        env = testing::TemporaryEnvironment(dir);
        QDir(dir.path()).mkpath(QStringLiteral("left/sub/deeper"));
        QDir(dir.path()).mkpath(QStringLiteral("right"));
        left = (dir.path() + "/left").toStdString();
        right = (dir.path() + "/right").toStdString();
    }

    std::unique_ptr<AppWindow> Open(BivoraApp& app)
    {
        auto window = std::make_unique<AppWindow>(app, AppWindowServices{&prompts, &keyboard, &launcher});
        window->Start();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window->Frame()));
        return window;
    }
    static TreeBrowser* Tree(AppWindow& window) { return window.Frame().findChild<TreeBrowser*>(); }
    static bool TreeAt(AppWindow& window, const ItemIdList& id)
    {
        TreeBrowser* tree = Tree(window);
        return tree->currentIndex().isValid() && tree->Model().IdOf(tree->currentIndex()) == id;
    }

    QTemporaryDir dir;
    Environment env;
    std::string left;
    std::string right;
    testing::MemoryStoreFactory factory;
    test::ScriptedPrompts prompts;
    test::FakeKeyboardState keyboard;
    test::RecordingLauncher launcher;
};

TEST_F(TreeBarTest, ShownItFollowsTheActivePaneAndBrowsesIt)
{
    auto app = Startup({left, right}, env, factory.Factory());
    auto window = Open(*app);
    TreeBrowser* tree = Tree(*window);
    ASSERT_NE(tree, nullptr);
    EXPECT_FALSE(tree->isVisible()) << "hidden on a first start";
    EXPECT_EQ(tree->Model().OpenFolderCount(), 0);

    ASSERT_TRUE(window->Frame().ExecuteCommand(cmd::kTree));
    ASSERT_TRUE(tree->isVisible());
    const ItemIdList leftId = window->LeftPane()->Folder()->Id();
    EXPECT_TRUE(testing::WaitUntil([&] { return TreeAt(*window, leftId); }));

    // the pane moves: the tree follows
    const ItemIdList deeper = *app->Namespace()->ParsePath(left + "/sub/deeper");
    ASSERT_TRUE(window->LeftPane()->GoToFolder(deeper));
    EXPECT_TRUE(testing::WaitUntil([&] { return TreeAt(*window, deeper); }));

    // the tree moves the pane
    tree->setCurrentIndex(tree->currentIndex().parent());
    tree->Browse();
    EXPECT_EQ(window->LeftPane()->Folder()->Path(), left + "/sub");

    // hidden, it lets its folders go; shown again, it is back at the pane's folder
    ASSERT_TRUE(window->Frame().ExecuteCommand(cmd::kTree));
    EXPECT_EQ(tree->Model().OpenFolderCount(), 0);
    ASSERT_TRUE(window->Frame().ExecuteCommand(cmd::kTree));
    EXPECT_TRUE(testing::WaitUntil([&] { return TreeAt(*window, window->LeftPane()->Folder()->Id()); }));
}

} // namespace
} // namespace bivora
