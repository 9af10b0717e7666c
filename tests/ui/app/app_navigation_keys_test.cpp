#include "app_test_support.h"

#include "../test_services.h"
#include "shell/shell_folder.h"
#include "ui/app/app_window.h"
#include "ui/app/bivora_app.h"
#include "ui/commands/command_actions.h"
#include "ui/commands/command_ids.h"
#include "ui/frame/main_frame.h"
#include "ui/pane/pane_view.h"
#include "ui/widgets/sort_list_ctrl.h"

#include <QAbstractItemView>
#include <QAction>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace bivora {
namespace {

// The navigation keys of the main window reach the active pane through its actions,
// and the actions show what the pane tells them (tips, check marks, bookmark texts).
class AppNavigationKeysTest : public ::testing::Test {
protected:
    AppNavigationKeysTest()
    {
        env = testing::TemporaryEnvironment(dir);
        for (const char* sub : {"left/a", "left/b", "right"})
            QDir(dir.path()).mkpath(QString::fromLatin1(sub));
        left = (dir.path() + "/left").toStdString();
        right = (dir.path() + "/right").toStdString();
    }

    void Press(PaneView& pane, Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        keyboard.SetModifiers(modifiers);
        QTest::keyClick(pane.List().CurrentView(), key, modifiers);
        keyboard.SetModifiers(Qt::NoModifier);
    }

    static std::string Shown(const PaneView& pane) { return pane.Folder() ? pane.Folder()->Path() : std::string(); }

    QTemporaryDir dir;
    Environment env;
    std::string left;
    std::string right;
    testing::MemoryStoreFactory factory;
    test::ScriptedPrompts prompts;
    test::FakeKeyboardState keyboard;
    test::RecordingLauncher launcher;
};

TEST_F(AppNavigationKeysTest, HistoryMirrorBookmarkAndSameFolderKeys)
{
    auto app = Startup({left, right}, env, factory.Factory());
    AppWindow window(*app, AppWindowServices{&prompts, &keyboard, &launcher});
    window.Start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window.Frame()));
    window.Frame().activateWindow();
    PaneView& pane = *window.LeftPane();
    ASSERT_EQ(window.ActivePane(), &pane);
    CommandActions& actions = window.Frame().Actions();

    ASSERT_TRUE(pane.GoToTyped(left + "/a"));
    ASSERT_TRUE(pane.GoToTyped(left + "/b"));
    actions.RefreshAll();
    EXPECT_EQ(actions.Action(cmd::kPrevious)->toolTip(), QString::fromStdString(left + "/a"));
    EXPECT_FALSE(actions.Action(cmd::kNext)->isEnabled());

    Press(pane, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(Shown(pane), left + "/a");
    actions.RefreshAll();
    EXPECT_EQ(actions.Action(cmd::kNext)->toolTip(), QString::fromStdString(left + "/b"));
    Press(pane, Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(Shown(pane), left + "/b");

    Press(pane, Qt::Key_M, Qt::ControlModifier);
    actions.RefreshAll();
    EXPECT_TRUE(actions.Action(cmd::kMirrorBrowsing)->isChecked());
    Press(pane, Qt::Key_M, Qt::ControlModifier);
    actions.RefreshAll();
    EXPECT_FALSE(actions.Action(cmd::kMirrorBrowsing)->isChecked());

    Press(pane, Qt::Key_2, Qt::ControlModifier | Qt::ShiftModifier);
    actions.RefreshAll();
    EXPECT_EQ(actions.Action(cmd::kBookmark0 + 2)->text(), QString::fromStdString("&2: \"" + left + "/b\"\tCtrl+2"));
    EXPECT_TRUE(actions.Action(cmd::kBookmark0 + 2)->isEnabled());

    Press(pane, Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(Shown(*window.RightPane()), left + "/b");
    ASSERT_TRUE(window.RightPane()->GoToTyped(right));
    Press(pane, Qt::Key_I, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(Shown(pane), right);

    Press(pane, Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(Shown(pane), left + "/b");
}

} // namespace
} // namespace bivora
