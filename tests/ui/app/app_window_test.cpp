#include "app_test_support.h"

#include "../test_services.h"
#include "base/registry_keys.h"
#include "shell/shell_folder.h"
#include "shell/shell_item.h"
#include "ui/app/app_window.h"
#include "ui/app/bivora_app.h"
#include "ui/app/close_on_signals.h"
#include "ui/commands/command_actions.h"
#include "ui/commands/command_ids.h"
#include "ui/find/find_results_window.h"
#include "ui/frame/main_frame.h"
#include "ui/frame/main_tool_bar.h"
#include "ui/widgets/sort_list_ctrl.h"
#include <QAbstractItemView>
#include "ui/widgets/main_status_bar.h"
#include "ui/jobs/job_registry.h"
#include "ui/pane/pane_view.h"
#include "ui/thumbs/thumb_bar.h"
#include "shell/shell_namespace.h"
#include "../jobs/stuck_folder.h"
#include "ui/platform/window_placement.h"
#include "ui/editor/editor_context.h"
#include "ui/editor/editor_document.h"
#include "ui/editor/editor_window.h"
#include "ui/editor/editor_windows.h"
#include "../wait_until.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QToolButton>
#include <QDialog>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>

namespace bivora {
namespace {

namespace section = registry::section;
namespace value = registry::value;

// A start-up over a temporary home with two folders to show and scripted services.
class AppWindowTest : public ::testing::Test {
protected:
    AppWindowTest()
    {
        env = testing::TemporaryEnvironment(dir);
        QDir(dir.path()).mkpath(QStringLiteral("left/sub"));
        QDir(dir.path()).mkpath(QStringLiteral("right"));
        QFile note(dir.path() + "/left/note.txt");
        EXPECT_TRUE(note.open(QIODevice::WriteOnly));
        QFile plain(dir.path() + "/right/README");
        EXPECT_TRUE(plain.open(QIODevice::WriteOnly));
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

    static std::vector<std::string> Names(const PaneView& pane)
    {
        std::vector<std::string> names;
        for (const auto& item : pane.Folder()->Items())
            names.push_back(item->Name());
        std::sort(names.begin(), names.end());
        return names;
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

TEST_F(AppWindowTest, PanesOpenTheCommandLineFoldersAndTheStoredActivePane)
{
    auto app = Startup({left, right}, env, factory.Factory([](MemorySettingsStore& store) {
        store.WriteInt(section::kMainFrameSettings, value::kLeftPaneActive, 0);
    }));
    auto window = Open(*app);
    ASSERT_NE(window->LeftPane()->Folder(), nullptr);
    EXPECT_EQ(window->LeftPane()->Folder()->Path(), left);
    EXPECT_EQ(window->RightPane()->Folder()->Path(), right);
    EXPECT_EQ(Names(*window->LeftPane()), (std::vector<std::string>{"note.txt", "sub"}));
    EXPECT_EQ(window->ActivePane(), window->RightPane());
    EXPECT_EQ(window->Frame().windowTitle(), QString::fromStdString("Bivora - " + right));

    // The right pane's only file shows no extension: the suggestion comes once idle.
    ASSERT_TRUE(testing::WaitUntil([&] {
        return window->Frame().StatusBar().MessageText() == "Suggestion: Enable the DOS file extensions from Explorer";
    }));
}

TEST_F(AppWindowTest, TabMovesTheActivePaneForFrameCaptionAndCommands)
{
    auto app = Startup({left, right}, env, factory.Factory());
    auto window = Open(*app);
    window->Frame().activateWindow();
    ASSERT_EQ(window->ActivePane(), window->LeftPane());
    QTest::keyClick(window->LeftPane()->List().CurrentView(), Qt::Key_Tab);
    EXPECT_EQ(window->ActivePane(), window->RightPane());
    EXPECT_EQ(window->Frame().ActivePane(), window->RightPane());
    EXPECT_TRUE(window->RightPane()->IsActive());
    EXPECT_FALSE(window->LeftPane()->IsActive());
    EXPECT_EQ(window->Frame().windowTitle(), QString::fromStdString("Bivora - " + right));

    // Commands now reach the right pane: a view style lands on its list only.
    const int leftStyle = window->LeftPane()->ViewStyle();
    ASSERT_TRUE(window->Frame().ExecuteCommand(leftStyle == cmd::kDetails ? cmd::kSmallIcons : cmd::kDetails));
    EXPECT_EQ(window->LeftPane()->ViewStyle(), leftStyle);
    EXPECT_NE(window->RightPane()->ViewStyle(), leftStyle);

    QTest::keyClick(window->RightPane()->List().CurrentView(), Qt::Key_Tab);
    EXPECT_EQ(window->Frame().ActivePane(), window->LeftPane());
    EXPECT_EQ(window->Frame().windowTitle(), QString::fromStdString("Bivora - " + left));
}

// Edit without an external editor opens the program's own; the main window closes its
// editors first, and a Cancel of their save question keeps it open.
TEST_F(AppWindowTest, EditOpensTheInternalEditorWhichTheMainWindowClosesFirst)
{
    auto app = Startup({left, right}, env, factory.Factory());
    auto window = Open(*app);
    ASSERT_TRUE(window->Frame().ExecuteCommand(cmd::kSelectAll));
    ASSERT_TRUE(window->Frame().ExecuteCommand(cmd::kEdit));
    EXPECT_TRUE(launcher.Log().empty());
    ASSERT_EQ(window->Editors().Count(), 1);
    EditorWindow* editor = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<EditorWindow*>(widget); found && found->isVisible())
            editor = found;
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->View().path, left + "/note.txt");
    ASSERT_TRUE(testing::WaitUntil([&] { return !editor->Document().Busy(); }));
    editor->Text().insertPlainText(QStringLiteral("changed"));

    prompts.AnswerChoice(2); // Cancel
    EXPECT_FALSE(window->Frame().close());
    EXPECT_TRUE(window->Frame().isVisible());
    EXPECT_EQ(window->Editors().Count(), 1);
    prompts.AnswerChoice(1); // No
    EXPECT_TRUE(window->Frame().close());
    EXPECT_EQ(window->Editors().Count(), 0);
    window->Shutdown();
    EXPECT_TRUE(factory.store->Contains(section::kEditorViewerSettings, value::kWordWrap));
}

TEST_F(AppWindowTest, ClosingSavesFramePanesAndGeneralSettingsAndTheNextRunRestoresThem)
{
    auto app = Startup({left, right}, env, factory.Factory());
    {
        auto window = Open(*app);
        window->Frame().setGeometry(40, 30, 700, 500);
        window->Frame().ExecuteCommand(cmd::kDetails);
        window->Frame().close();
        window->Shutdown();
    }
    MemorySettingsStore& store = *factory.store;
    EXPECT_EQ(ReadWindowRect(store, section::kMainFrameSettings), (WindowRect{40, 30, 740, 530}));
    EXPECT_EQ(store.ReadString(section::kLeftPaneSettings, value::kInitialFolder), left);
    EXPECT_EQ(store.ReadInt(section::kLeftPaneSettings, value::kViewStyle), cmd::kDetails);
    EXPECT_EQ(store.ReadInt(section::kGeneralSettings, value::kHistoryItems), 15);
    EXPECT_TRUE(app->SettingsSaved());

    // Without folders on the command line the stored ones come back.
    auto next = Startup({}, env, [&store](const Environment&, std::string_view) {
        auto copy = std::make_unique<MemorySettingsStore>();
        for (const auto& write : store.Writes()) {
            if (auto number = std::get_if<std::int32_t>(&write.value))
                copy->WriteInt(write.section, write.name, *number);
            else if (auto text = std::get_if<std::string>(&write.value))
                copy->WriteString(write.section, write.name, *text);
            else
                copy->WriteBinary(write.section, write.name, std::get<ByteBlock>(write.value));
        }
        return std::unique_ptr<SettingsStore>(std::move(copy));
    });
    auto window = Open(*next);
    EXPECT_EQ(window->LeftPane()->Folder()->Path(), left);
    EXPECT_EQ(window->LeftPane()->ViewStyle(), cmd::kDetails);
    EXPECT_EQ(NormalWindowRect(window->Frame()), (WindowRect{40, 30, 740, 530}));
}

TEST_F(AppWindowTest, ClosingWithSavingOffWritesOnlyTheSwitch)
{
    auto app = Startup({left, right}, env, factory.Factory([](MemorySettingsStore& store) {
        store.WriteInt(section::kGeneralSettings, value::kSaveSettings, 0);
        store.WriteString(section::kMainFrameSettings, value::kWindowRect, "10,20,610,420");
    }));
    factory.store->ClearWriteLog();
    {
        auto window = Open(*app);
        // the address bar's sizes, the command preambles and the thumbnail size limit are
        // written back when they are read, whatever the switch
        for (const auto& write : factory.store->Writes())
            EXPECT_TRUE(write.name == value::kFolderComboWidth || write.name == value::kFolderComboHeight
                        || write.name == value::kDosCmdPreample || write.name == value::kShellCmdPreample
                        || write.name == value::kMaxFileSizeThumb)
                << write.name;
        factory.store->ClearWriteLog();
        window->Frame().ExecuteCommand(cmd::kDetails);
        window->Frame().close();
    }
    ASSERT_EQ(factory.store->Writes().size(), 1u);
    EXPECT_EQ(factory.store->Writes()[0].name, value::kSaveSettings);
    EXPECT_EQ(factory.store->ReadString(section::kMainFrameSettings, value::kWindowRect), "10,20,610,420");
}

TEST_F(AppWindowTest, AbsurdStoredRectangleStaysOnScreen)
{
    auto app = Startup({left, right}, env, factory.Factory([](MemorySettingsStore& store) {
        store.WriteString(section::kMainFrameSettings, value::kWindowRect, "-90000,70000,-89990,2147483647");
    }));
    AppWindow window(*app, AppWindowServices{&prompts, &keyboard, &launcher});
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window.Frame().geometry()));
    EXPECT_GE(window.Frame().width(), std::min(kMinRestoredWidth, screen.width()));
}

TEST(PlaceWindowFromSettings, HalvesTheWindowWhenNothingIsStored)
{
    MemorySettingsStore store;
    QWidget window;
    window.setGeometry(10, 20, 600, 400);
    PlaceWindowFromSettings(store, section::kFolderDataSettings, window);
    EXPECT_EQ(window.geometry(), QRect(10, 20, 300, 200));

    WriteWindowRect(store, section::kFolderDataSettings, {50, 60, 450, 360});
    PlaceWindowFromSettings(store, section::kFolderDataSettings, window);
    EXPECT_EQ(window.geometry(), QRect(50, 60, 400, 300));
}

TEST_F(AppWindowTest, TerminationClosesTheWindowAndSavesEverything)
{
    auto app = Startup({"/s:Signal", left, right}, env);
    app->Settings().historyItems = 42;
    const QString path = QString::fromStdString(env.xdgConfigHome) + "/Quellmoor Plc/BivoraSignal.conf";
    {
        auto window = Open(*app);
        CloseOnSignals closeOnSignals(window->Frame());
        ASSERT_TRUE(closeOnSignals.Active());
        ASSERT_EQ(std::raise(SIGTERM), 0);
        EXPECT_TRUE(testing::WaitUntil([&] { return !window->Frame().isVisible(); }));
        window->Shutdown();
        EXPECT_TRUE(app->SettingsSaved());
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("nHistoryItems=42")) << text.constData();
    EXPECT_TRUE(text.contains("szWindowRect=")) << text.constData();
    EXPECT_TRUE(text.contains(QByteArray("szInitialFolder=") + QByteArray::fromStdString(left))) << text.constData();
}

TEST_F(AppWindowTest, InterruptIsACloseRequestToo)
{
    auto app = Startup({left, right}, env, factory.Factory());
    auto window = Open(*app);
    struct sigaction before {};
    ::sigaction(SIGINT, nullptr, &before);
    {
        CloseOnSignals closeOnSignals(window->Frame());
        ASSERT_TRUE(closeOnSignals.Active());
        CloseOnSignals second(window->Frame());
        EXPECT_FALSE(second.Active()) << "one instance owns the handlers";
        ASSERT_EQ(std::raise(SIGINT), 0);
        EXPECT_TRUE(testing::WaitUntil([&] { return !window->Frame().isVisible(); }));
    }
    window->Shutdown();
    EXPECT_EQ(factory.store->ReadInt(section::kGeneralSettings, value::kSaveSettings), 1);
    // The handler goes with it: the previous disposition is back.
    struct sigaction after {};
    ::sigaction(SIGINT, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

// A close request while a start folder is read stops the read and closes the window;
// the settings are saved as on any close. The window is up before the read begins.
TEST_F(AppWindowTest, TerminationWhileAStartFolderIsReadClosesAndSaves)
{
    auto app = Startup({"/s:SignalRead", left, right}, env);
    auto slow = std::make_shared<test::StuckFolder>();
    slow->path = left;
    slow->listens = true;
    slow->Install(*app->Namespace(), slow);
    const QString path = QString::fromStdString(env.xdgConfigHome) + "/Quellmoor Plc/BivoraSignalRead.conf";
    {
        AppWindow window(*app, AppWindowServices{&prompts, &keyboard, &launcher});
        CloseOnSignals closeOnSignals(window.Frame());
        bool shownDuringRead = false;
        QTimer::singleShot(50, [&] {
            shownDuringRead = window.Frame().isVisible();
            std::raise(SIGTERM);
        });
        EXPECT_FALSE(window.Start());
        EXPECT_TRUE(shownDuringRead);
        EXPECT_FALSE(window.Frame().isVisible());
        window.Shutdown();
        EXPECT_TRUE(app->SettingsSaved());
    }
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_TRUE(app->Jobs().Shutdown(std::chrono::seconds(10)));
}

// A start folder on a mount that does not answer: the window is there, Escape reaches
// the read, and quitting leaves the stuck worker behind without touching anything
// that has gone (the namespace it reads lives on with it).
TEST_F(AppWindowTest, AStuckStartFolderCanBeEscapedAndQuit)
{
    auto app = Startup({left, right}, env, factory.Factory());
    auto stuck = std::make_shared<test::StuckFolder>();
    stuck->path = left;
    stuck->Install(*app->Namespace(), stuck);
    {
        AppWindow window(*app, AppWindowServices{&prompts, &keyboard, &launcher});
        // Escape once the read is stuck (pressed sooner, it would stop the read before
        // it got stuck)
        QTimer escape;
        QObject::connect(&escape, &QTimer::timeout, [&] {
            std::lock_guard lock(stuck->mutex);
            if (!stuck->entered)
                return;
            escape.stop();
            QTest::keyClick(&window.Frame(), Qt::Key_Escape);
        });
        escape.start(5);
        EXPECT_TRUE(window.Start());
        // the left pane fell back to the Desktop; the right one shows its folder
        EXPECT_EQ(window.LeftPane()->Folder()->Path(), app->Namespace()->DesktopDirectory());
        EXPECT_EQ(Names(*window.RightPane()), std::vector<std::string>{"README"});
        window.Frame().close();
        window.Shutdown();
    }
    EXPECT_TRUE(app->SettingsSaved());
    EXPECT_FALSE(app->Jobs().Shutdown(std::chrono::milliseconds(50)));
    // nothing but the stuck worker holds the namespace it reads any more
    app->AttachNamespace(std::make_shared<ShellNamespace>(env));
    stuck->Open();
    app.reset(); // waits for the worker, which finishes its read
}

// The navigation keys reach the active pane through the window's actions, which show
// what the pane tells them: the folder Previous goes to, the check mark, the bookmark.
TEST_F(AppWindowTest, NavigationKeysAndWhatTheirActionsShow)
{
    auto app = Startup({left, right}, env, factory.Factory());
    auto window = Open(*app);
    window->Frame().activateWindow();
    PaneView& pane = *window->LeftPane();
    CommandActions& actions = window->Frame().Actions();
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        keyboard.SetModifiers(modifiers);
        QTest::keyClick(pane.List().CurrentView(), key, modifiers);
        keyboard.SetModifiers(Qt::NoModifier);
        actions.RefreshAll();
    };
    const auto shown = [](const PaneView* shows) { return shows->Folder()->Path(); };

    ASSERT_TRUE(pane.GoToTyped(left + "/sub"));
    actions.RefreshAll();
    EXPECT_EQ(actions.Action(cmd::kPrevious)->toolTip(), QString::fromStdString(left));
    press(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(shown(&pane), left);
    EXPECT_EQ(actions.Action(cmd::kNext)->toolTip(), QString::fromStdString(left + "/sub"));
    press(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(shown(&pane), left + "/sub");

    press(Qt::Key_M, Qt::ControlModifier);
    EXPECT_TRUE(actions.Action(cmd::kMirrorBrowsing)->isChecked());
    press(Qt::Key_M, Qt::ControlModifier);
    EXPECT_FALSE(actions.Action(cmd::kMirrorBrowsing)->isChecked());

    press(Qt::Key_2, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(actions.Action(cmd::kBookmark0 + 2)->text(), QString::fromStdString("&2: \"" + left + "/sub\"\tCtrl+2"));
    press(Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(shown(window->RightPane()), left + "/sub");
    ASSERT_TRUE(window->RightPane()->GoToTyped(right));
    press(Qt::Key_I, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(shown(&pane), right);
    press(Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(shown(&pane), left + "/sub");
}

// F5 opens the destination dialog, Ctrl+F6 moves straight into the other pane; the
// dialog's history is saved at exit because it was loaded.
TEST_F(AppWindowTest, TransferKeysReachTheirCommandsAndTheTargetHistoryIsSaved)
{
    auto app = Startup({left, right}, env, factory.Factory());
    auto window = Open(*app);
    window->Frame().activateWindow();
    PaneView& pane = *window->LeftPane();
    const auto press = [&](const std::string& name, Qt::Key key, Qt::KeyboardModifiers modifiers) {
        pane.List().SelectionModel()->clearSelection();
        ASSERT_GE(pane.FocusName(name, true), 0);
        window->Frame().Actions().RefreshAll();
        keyboard.SetModifiers(modifiers);
        QTest::keyClick(pane.List().CurrentView(), key, modifiers);
        keyboard.SetModifiers(Qt::NoModifier);
    };
    prompts.AnswerDialog([](QDialog& dialog) {
        dialog.accept();
        return dialog.result();
    });
    press("note.txt", Qt::Key_F5, Qt::NoModifier);
    press("sub", Qt::Key_F6, Qt::ControlModifier);

    EXPECT_EQ(Names(*window->RightPane()), (std::vector<std::string>{"README", "note.txt", "sub"}));
    EXPECT_EQ(Names(pane), std::vector<std::string>{"note.txt"});
    EXPECT_EQ(prompts.Texts(test::ScriptedPrompts::Kind::Dialog), QStringList{QStringLiteral("Select destination folder")});
    window->Frame().close();
    window->Shutdown();
    EXPECT_EQ(factory.store->ReadString(section::kTargetFolderHistory, "0"), right);
}

} // namespace
} // namespace bivora

namespace bivora {
namespace {

// Ctrl+G, the menu entry and the tool button all open "Find in files"; what it was
// given is written at exit, and a run that never opened it writes nothing of it.
TEST_F(AppWindowTest, ContainingTextIsReachedByKeyMenuAndToolButtonAndItsStateIsSaved)
{
    {
        auto app = Startup({left, right}, env, factory.Factory());
        auto window = Open(*app);
        window->Frame().close();
        window->Shutdown();
        EXPECT_FALSE(factory.store->ReadInt(section::kGrepSettings, value::kMatchCase).has_value());
    }
    auto app = Startup({left, right}, env, factory.Factory());
    auto window = Open(*app);
    window->Frame().activateWindow();
    PaneView& pane = *window->LeftPane();
    for (int n = 0; n < 3; ++n) {
        prompts.AnswerDialog([](QDialog& dialog) {
            dialog.findChild<QComboBox*>(QStringLiteral("findWhat"))->setEditText(QStringLiteral("needle"));
            dialog.findChild<QCheckBox*>(QStringLiteral("matchCase"))->setChecked(true);
            dialog.accept();
            return dialog.result();
        });
    }
    window->Frame().Actions().RefreshAll();
    QTest::keyClick(pane.List().CurrentView(), Qt::Key_G, Qt::ControlModifier);
    QAction* action = window->Frame().Actions().Action(cmd::kContainingText);
    ASSERT_NE(action, nullptr);
    action->trigger();
    auto* button = qobject_cast<QToolButton*>(window->Frame().ToolBar().widgetForAction(action));
    ASSERT_NE(button, nullptr);
    button->click();
    EXPECT_EQ(prompts.Texts(test::ScriptedPrompts::Kind::Dialog), QStringList(3, QStringLiteral("Find in files")));

    window->Frame().close();
    window->Shutdown();
    EXPECT_EQ(factory.store->ReadInt(section::kGrepSettings, value::kMatchCase), 1);
    EXPECT_EQ(factory.store->ReadInt(section::kGrepSettings, value::kWordsOnly), 0);
    EXPECT_EQ(factory.store->ReadString(section::kGrepFindHistory, "0"), "needle");
    EXPECT_EQ(factory.store->ReadString(section::kGrepFileTypesHistory, "0"), "*.*");
}

// Ctrl+F and the menu reach Find files: the criteria dialog, then a results window
// of the main window, which goes with it. The dialog's values are saved at exit only in
// a run that used it.
TEST_F(AppWindowTest, FindFilesIsReachedByKeyAndMenuAndItsValuesAreSaved)
{
    {
        auto app = Startup({left, right}, env, factory.Factory());
        auto window = Open(*app);
        window->Frame().close();
        window->Shutdown();
        EXPECT_FALSE(factory.store->ReadInt(section::kFindFileFolderSettings, value::kKByteSize).has_value());
    }
    auto app = Startup({left, right}, env, factory.Factory());
    auto window = Open(*app);
    window->Frame().activateWindow();
    PaneView& pane = *window->LeftPane();
    prompts.AnswerDialog([](QDialog& dialog) {
        dialog.findChild<QComboBox*>(QStringLiteral("named"))->setEditText(QStringLiteral("*.txt"));
        dialog.accept();
        return dialog.result();
    });
    prompts.AnswerDialog([](QDialog&) { return int(QDialog::Rejected); });
    window->Frame().Actions().RefreshAll();
    QTest::keyClick(pane.List().CurrentView(), Qt::Key_F, Qt::ControlModifier);
    // the window class has no meta-object of its own: tell it apart by its type
    const auto resultsWindows = [&window] {
        std::vector<FindResultsWindow*> found;
        for (QWidget* child : window->Frame().findChildren<QWidget*>())
            if (auto* results = dynamic_cast<FindResultsWindow*>(child))
                found.push_back(results);
        return found;
    };
    std::vector<FindResultsWindow*> results = resultsWindows();
    ASSERT_EQ(results.size(), 1u);
    QPointer<FindResultsWindow> opened = results.front();
    QAction* action = window->Frame().Actions().Action(cmd::kFindFiles);
    ASSERT_NE(action, nullptr);
    EXPECT_TRUE(action->isEnabled());
    action->trigger();
    EXPECT_EQ(prompts.Texts(test::ScriptedPrompts::Kind::Dialog), QStringList(2, QStringLiteral("Find files or folders")));
    EXPECT_EQ(resultsWindows().size(), 1u); // Cancel opens none

    window->Frame().close();
    window->Shutdown();
    EXPECT_TRUE(opened.isNull());
    EXPECT_EQ(factory.store->ReadInt(section::kFindFileFolderSettings, value::kKByteSize), 10);
    EXPECT_EQ(factory.store->ReadString(section::kFindFileLookInHistory, "0"), left);
    EXPECT_EQ(factory.store->ReadString(section::kGrepFileTypesHistory, "0"), "*.txt");
}

// The grey keys are the keypad's: they reach their commands through the window, as
// does F9.
TEST_F(AppWindowTest, GreyKeysAndF9ReachTheSelectionCommands)
{
    auto app = Startup({left, right}, env, factory.Factory());
    auto window = Open(*app);
    window->Frame().activateWindow();
    PaneView& pane = *window->LeftPane();
    pane.Activate();
    window->Frame().Actions().RefreshAll();
    ASSERT_FALSE(pane.List().SelectionModel()->hasSelection());
    QTest::keyClick(pane.List().CurrentView(), Qt::Key_Asterisk, Qt::KeypadModifier);
    // folders stay out unless the options take them in
    ASSERT_EQ(pane.SelectedRows().size(), 1u);
    EXPECT_EQ(pane.ItemAt(pane.SelectedRows().front())->Name(), "note.txt");
    prompts.AnswerDialog([](QDialog& dialog) {
        dialog.reject();
        return dialog.result();
    });
    window->Frame().Actions().RefreshAll();
    QTest::keyClick(pane.List().CurrentView(), Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(prompts.Texts(test::ScriptedPrompts::Kind::Dialog).size(), 1);
    EXPECT_EQ(pane.SelectedRows().size(), 1u); // the dialog was cancelled
    // a grey key no shortcut took (as some platform plugins deliver it) reaches the
    // command through the list
    QKeyEvent star(QEvent::KeyPress, Qt::Key_Asterisk, Qt::KeypadModifier, QStringLiteral("*"));
    QApplication::sendEvent(pane.List().CurrentView(), &star);
    EXPECT_TRUE(pane.SelectedRows().empty());
    // F9 selects what the other pane lacks: note.txt (folders stay out by default)
    pane.List().SelectionModel()->clearSelection();
    window->Frame().Actions().RefreshAll();
    QTest::keyClick(pane.List().CurrentView(), Qt::Key_F9);
    ASSERT_EQ(pane.SelectedRows().size(), 1u);
    EXPECT_EQ(pane.ItemAt(pane.SelectedRows().front())->Name(), "note.txt");
    window->Frame().close();
    window->Shutdown();
}

} // namespace
} // namespace bivora

namespace bivora {
namespace {

TEST_F(AppWindowTest, ThumbnailBarShowsThePictureOfTheActivePanesFocusedFile)
{
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::green);
    ASSERT_TRUE(picture.save(QString::fromStdString(left) + "/shot.png"));
    auto app = Startup({left, right}, env, factory.Factory([](MemorySettingsStore& store) {
        store.WriteInt(section::kMainFrameSettings, value::kLeftPaneActive, 1);
    }));
    auto window = Open(*app);
    MainFrame& frame = window->Frame();
    ASSERT_NE(window->Thumbs(), nullptr);
    EXPECT_FALSE(window->Thumbs()->isVisible()); // hidden on a first start
    EXPECT_TRUE(frame.UpdateCommand(cmd::kThumbBar).enabled);
    frame.ExecuteCommand(cmd::kThumbBar);
    ASSERT_TRUE(window->Thumbs()->isVisible());

    PaneView& pane = *window->LeftPane();
    const int row = pane.FocusName("shot.png", false);
    ASSERT_GE(row, 0);
    WAIT_EQ(window->Thumbs()->View().Picture().size(), QSize(40, 30), 5000);
    // a folder clears it
    pane.FocusName("sub", false);
    WAIT_UNTIL(window->Thumbs()->View().Picture().isNull(), 5000);
}

} // namespace
} // namespace bivora
