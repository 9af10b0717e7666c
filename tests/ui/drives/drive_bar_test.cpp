#include "../app/app_test_support.h"
#include "../test_services.h"
#include "../../shell/temp_tree.h"

#include "base/registry_keys.h"
#include "shell/shell_folder.h"
#include "ui/app/app_window.h"
#include "ui/app/bivora_app.h"
#include "ui/commands/command_actions.h"
#include "ui/commands/command_ids.h"
#include "ui/drives/drive_bar.h"
#include "ui/drives/drive_commands.h"
#include "ui/drives/drive_watch.h"
#include "ui/drives/select_drive_dlg.h"
#include "ui/frame/main_frame.h"
#include "ui/pane/pane_view.h"

#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace bivora::test {
namespace {

namespace section = registry::section;
namespace value = registry::value;

// The program over a temporary tree whose mount table holds "/" and the drives the
// test mounts (folders of the tree).
class DriveBarTest : public ::testing::Test {
protected:
    DriveBarTest()
    {
        env = tree.MakeEnvironment();
        left = tree.MakeDir("left");
        right = tree.MakeDir("right");
    }
    ~DriveBarTest() override
    {
        window.reset();
        app.reset();
    }

    void Mount(const std::vector<std::string>& mounts)
    {
        std::string table = MountLine(20, "/", "ext4", "/dev/vda");
        int id = 21;
        for (const std::string& mount : mounts) {
            table += MountLine(id, mount, "ext4", "/dev/vdb" + std::to_string(id));
            ++id;
        }
        tree.WriteMountTable(table);
    }

    void Open(std::function<void(MemorySettingsStore&)> fill = {})
    {
        app = Startup({left, right}, env, factory.Factory(std::move(fill)));
        window = std::make_unique<AppWindow>(*app, AppWindowServices{&prompts, &keyboard, &launcher});
        window->Start();
        window->Frame().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window->Frame()));
    }

    MainFrame& Frame() { return window->Frame(); }
    DriveBar& Bar() { return *Frame().findChild<DriveBar*>(); }
    // The tool tips of the drive buttons, once the bar has count of them.
    QStringList Tips(std::size_t count)
    {
        EXPECT_TRUE(testing::WaitUntil([&] { return Bar().DriveActions().size() == count; }))
            << Bar().DriveActions().size();
        QStringList tips;
        for (QAction* action : Bar().DriveActions())
            tips << action->toolTip();
        return tips;
    }
    std::string LeftPath() { return window->LeftPane()->Folder()->Path(); }
    std::string RightPath() { return window->RightPane()->Folder()->Path(); }

    TempTree tree;
    Environment env;
    std::string left;
    std::string right;
    testing::MemoryStoreFactory factory;
    ScriptedPrompts prompts;
    FakeKeyboardState keyboard;
    RecordingLauncher launcher;
    std::unique_ptr<BivoraApp> app;
    std::unique_ptr<AppWindow> window;
};

// The bar shows at the left on a first start with one button per drive; the letters
// stop at Z; the buttons follow mounts, unmounts and mount points that vanish.
TEST_F(DriveBarTest, OneButtonPerDriveWithLettersToZFollowingTheMountTable)
{
    std::vector<std::string> mounts;
    for (int i = 0; i < 30; ++i)
        mounts.push_back(tree.MakeDir("m" + std::string(i < 10 ? "0" : "") + std::to_string(i)));
    Mount(mounts);
    Open([](MemorySettingsStore& store) { store.WriteInt(section::kGeneralSettings, value::kDrivebarLetters, 1); });

    EXPECT_FALSE(Bar().isHidden());
    EXPECT_EQ(Frame().toolBarArea(&Bar()), Qt::LeftToolBarArea);
    const QStringList tips = Tips(31);
    ASSERT_EQ(tips.size(), 31);
    EXPECT_EQ(tips[0], "File System (C:)");
    EXPECT_EQ(tips[1], "m00 (D:)");
    EXPECT_EQ(tips[23], "m22 (Z:)");
    EXPECT_EQ(tips[24], "m23");
    EXPECT_EQ(Bar().DriveActions()[23]->iconText(), "Z");
    EXPECT_EQ(Bar().DriveActions()[24]->iconText(), " ");
    EXPECT_TRUE(Frame().UpdateCommand(cmd::kDriveButton0 + 30).enabled);
    EXPECT_FALSE(Frame().UpdateCommand(cmd::kDriveButton0 + 31).enabled);

    // one unmounted, one whose mount point went away, one new
    const std::string added = tree.MakeDir("new");
    ASSERT_EQ(::rmdir(mounts[5].c_str()), 0);
    Mount({mounts[0], mounts[5], added});
    window->Drives().Watch().Reread();
    EXPECT_EQ(Tips(3), (QStringList{"File System (C:)", "m00 (D:)", "new (E:)"}));

    // the bar's toggle hides and shows it
    ASSERT_TRUE(Frame().ExecuteCommand(cmd::kDriveBar));
    EXPECT_TRUE(Bar().isHidden());
    EXPECT_FALSE(Frame().UpdateCommand(cmd::kDriveBar).checked);
    ASSERT_TRUE(Frame().ExecuteCommand(cmd::kDriveBar));
    EXPECT_FALSE(Bar().isHidden());
}

// Root/Current: the buttons go to the drive's root, or with Ctrl+Q to the folder the
// panes last showed on it; the pressed look follows; Alt sends the other pane.
TEST_F(DriveBarTest, DriveButtonsGoToTheRootOrTheCurrentFolderOfTheActiveOrOtherPane)
{
    const std::string vol = tree.MakeDir("vol");
    const std::string deep = tree.MakeDir("vol/deep");
    Mount({vol});
    Open();
    ASSERT_EQ(Tips(2).size(), 2);
    QAction* volButton = Bar().DriveActions()[1];
    EXPECT_TRUE(Bar().RootCurrentAction()->isChecked());
    volButton->trigger();
    EXPECT_EQ(LeftPath(), vol);

    ASSERT_TRUE(window->LeftPane()->GoToTyped(deep)); // the drive's current folder now
    ASSERT_TRUE(window->LeftPane()->GoToTyped(left));
    QTest::keyClick(&Frame(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(app->Settings().driveBar2Root);
    EXPECT_FALSE(Bar().RootCurrentAction()->isChecked());
    volButton->trigger();
    EXPECT_EQ(LeftPath(), deep);

    keyboard.SetModifiers(Qt::AltModifier);
    volButton->trigger();
    keyboard.SetModifiers(Qt::NoModifier);
    EXPECT_EQ(RightPath(), deep);
    EXPECT_EQ(window->ActivePane(), window->LeftPane());

    QTest::keyClick(&Frame(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(app->Settings().driveBar2Root);
    EXPECT_TRUE(Bar().RootCurrentAction()->isChecked());
    EXPECT_TRUE(Frame().UpdateCommand(cmd::kRootCurrent).checked);
}

QPushButton* SelectButton(QDialog& dialog)
{
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->text() == "Select")
            return button;
    return nullptr;
}

template <typename T>
T& Control(QDialog& dialog, int id)
{
    T* control = dialog.findChild<T*>(SelectDriveDlg::ControlName(id));
    EXPECT_NE(control, nullptr) << id;
    return *control;
}

// Alt+F2 opens the dialog for the right pane with its drive chosen; Select without an
// entry says so and stays; the current folder of the chosen drive is sent, and the
// dialog's settings are saved at exit once it has been used.
TEST_F(DriveBarTest, SelectDriveDialogForEachPane)
{
    const std::string usb = tree.MakeDir("usb");
    const std::string usbDir = tree.MakeDir("usb/dir");
    const std::string vol = tree.MakeDir("vol");
    Mount({usb, vol});
    Open();
    ASSERT_EQ(Tips(3).size(), 3);
    EXPECT_EQ(Frame().UpdateCommand(cmd::kSelectDrive).text, "&Select Drive...\tAlt+F1");
    ASSERT_TRUE(window->RightPane()->GoToTyped(usbDir));
    ASSERT_TRUE(window->LeftPane()->GoToTyped(vol)); // the current folder of vol

    QStringList entries;
    QString selected;
    prompts.AnswerDialog([&](QDialog& dialog) {
        auto& list = Control<QListWidget>(dialog, SelectDriveDlg::kList);
        for (int row = 0; row < list.count(); ++row)
            entries << list.item(row)->text();
        selected = list.currentItem() ? list.currentItem()->text() : QString();
        EXPECT_TRUE(Control<QRadioButton>(dialog, SelectDriveDlg::kCurrentFolder).isChecked());
        list.clearSelection();
        SelectButton(dialog)->click();
        EXPECT_FALSE(dialog.result() == QDialog::Accepted) << "stays open without an entry";
        list.setCurrentRow(2);
        Control<QToolButton>(dialog, SelectDriveDlg::kIconToggle).click(); // small icons
        SelectButton(dialog)->click();
        return dialog.result();
    });
    QTest::keyClick(&Frame(), Qt::Key_F2, Qt::AltModifier);
    EXPECT_EQ(prompts.Texts(ScriptedPrompts::Kind::Dialog), QStringList{"Select disk drive for Right pane"});
    EXPECT_EQ(prompts.Texts(ScriptedPrompts::Kind::Message), QStringList{"Nothing was selected"});
    EXPECT_EQ(entries, (QStringList{"C:) File System", "D:) usb", "E:) vol"}));
    EXPECT_EQ(selected, "D:) usb");
    EXPECT_EQ(RightPath(), vol) << "E: is vol's current folder";

    // a pane outside the file system gets the first entry; the root radio sends the root
    window->LeftPane()->GoToTyped("::{Computer}");
    prompts.AnswerDialog([&](QDialog& dialog) {
        auto& list = Control<QListWidget>(dialog, SelectDriveDlg::kList);
        selected = list.currentItem() ? list.currentItem()->text() : QString();
        EXPECT_TRUE(Control<QToolButton>(dialog, SelectDriveDlg::kIconToggle).isChecked());
        list.setCurrentRow(1);
        Control<QRadioButton>(dialog, SelectDriveDlg::kRootFolder).click();
        SelectButton(dialog)->click();
        return dialog.result();
    });
    ASSERT_TRUE(Frame().ExecuteCommand(cmd::kSelectDrive));
    EXPECT_EQ(selected, "C:) File System");
    EXPECT_EQ(LeftPath(), usb);

    window->Shutdown();
    EXPECT_EQ(factory.store->GetInt(section::kSelectDriveDialog, value::kGotoRoot, -1), 1);
    EXPECT_EQ(factory.store->GetInt(section::kSelectDriveDialog, value::kSmallIcons, -1), 1);
}

} // namespace
} // namespace bivora::test
