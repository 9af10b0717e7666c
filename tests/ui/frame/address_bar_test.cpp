#include "ui/frame/address_bar.h"

#include "base/registry_keys.h"
#include "base/settings_store.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/edit_text.h"
#include "ui/frame/main_frame.h"
#include "ui/widgets/main_status_bar.h"
#include "ui/frame/main_tool_bar.h"
#include "ui/widgets/history_picker.h"

#include "../test_services.h"
#include "placeholder_pane.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace bivora {
namespace {

namespace section = registry::section;
namespace value = registry::value;
using Strings = std::vector<std::string>;

// The panes as the address bar sees them, with a record of what they were asked.
struct FakeAddressTarget final : AddressTarget {
    Outcome GoToTyped(const std::string& text, bool inactivePane) override
    {
        typed.push_back(text);
        inactive.push_back(inactivePane);
        if (outcome == Outcome::Done && !inactivePane)
            address = text;
        return outcome;
    }
    bool RunCommand(const std::string& text) override
    {
        commands.push_back(text);
        return starts;
    }
    std::string ActiveAddressText() const override { return address; }
    std::optional<std::string> FocusedName() const override { return focused; }
    void FocusPane() override { ++paneFocus; }
    bool FocusTree() override { return treeShown && ++treeFocus; }
    void PassKeyToPane(QKeyEvent& event) override { paneKeys.push_back(event.keyCombination()); }

    Outcome outcome = Outcome::Done;
    bool starts = true;
    bool treeShown = false;
    std::string address = "/home/user";
    std::optional<std::string> focused;
    Strings typed, commands;
    std::vector<bool> inactive;
    std::vector<QKeyCombination> paneKeys;
    int paneFocus = 0, treeFocus = 0;
};

class AddressBarTest : public ::testing::Test {
protected:
    std::unique_ptr<MainFrame> Open(int width = 900)
    {
        FrameOptions options;
        options.historyItems = [this] { return historyItems; };
        options.filterHistory = &filterHistory;
        auto frame = std::make_unique<MainFrame>(FrameServices{store, prompts, keyboard}, options,
                                                 test::MakePlaceholderPane);
        frame->SetAddressTarget(&target);
        frame->resize(width, 500);
        frame->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        return frame;
    }

    static QLineEdit* Edit(MainFrame& frame) { return frame.Address().Combo().lineEdit(); }
    // Keys go where a person's would: to the focus widget, the combo box, which hands
    // them to its edit field past the field's own filters.
    static QWidget* Keys() { return QApplication::focusWidget(); }

    // Focuses the field, types text over what it held and presses Enter.
    void TypeAndEnter(MainFrame& frame, const QString& text, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        ASSERT_TRUE(frame.Address().FocusAddress());
        QTest::keyClicks(Keys(), text);
        QTest::keyClick(Keys(), Qt::Key_Return, mods);
    }

    // The execute command is posted: wait for the pane to get the focus back.
    void WaitForExecute(int focusBefore)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return target.paneFocus > focusBefore; }, 5000));
    }

    MemorySettingsStore store;
    test::ScriptedPrompts prompts;
    test::FakeKeyboardState keyboard;
    FakeAddressTarget target;
    HistoryList filterHistory;
    int historyItems = 15;
};

TEST_F(AddressBarTest, EnterSendsTheTextToTheActivePaneAndWithAltToTheOther)
{
    auto frame = Open();
    EXPECT_EQ(Edit(*frame)->text(), "/home/user");

    TypeAndEnter(*frame, "   /etc/*.conf");
    EXPECT_TRUE(target.typed.empty()); // posted, so the text is complete when it runs
    WaitForExecute(0);
    EXPECT_EQ(target.typed, Strings{"/etc/*.conf"});
    EXPECT_EQ(Edit(*frame)->text(), "/etc/*.conf");

    // Alt+Enter, though Alt is let go before the command runs; or Alt held as it runs
    TypeAndEnter(*frame, "/usr", Qt::AltModifier);
    WaitForExecute(1);
    keyboard.SetModifiers(Qt::AltModifier);
    frame->ExecuteCommand(cmd::kExecuteAddress);
    EXPECT_EQ(target.inactive, (std::vector<bool>{false, true, true}));
    // the other pane moved: the field shows the active pane's folder again
    EXPECT_EQ(Edit(*frame)->text(), "/etc/*.conf");
    EXPECT_EQ(frame->StatusBar().MessageText(), "Ready");
}

TEST_F(AddressBarTest, UnusableInputGivesTheAlertAndTheFolderBack)
{
    auto frame = Open();
    const QString alert = QStringLiteral("The CPU cannot make any sense of the last input");
    struct Case {
        const char* name;
        QString typed;
        bool reachesPane;
        AddressTarget::Outcome outcome;
        QString message;
    };
    const Case cases[] = {
        {"empty", QString(), false, AddressTarget::Outcome::Refused, "Ready"},
        {"blank", QStringLiteral("    "), false, AddressTarget::Outcome::Refused, "Ready"},
        {"nonsense", QStringLiteral("no such place"), true, AddressTarget::Outcome::Refused, alert},
        {"control characters", QStringLiteral("/tmp/\x01\x1b[2J"), true, AddressTarget::Outcome::Refused, alert},
        {"NUL never cuts a path short", QStringLiteral("/etc") + QChar(0) + QStringLiteral("/passwd"), false,
         AddressTarget::Outcome::Done, alert},
        {"100 KB pasted line arrives whole", QStringLiteral("/") + QString(100 * 1024, QLatin1Char('x')), true,
         AddressTarget::Outcome::Refused, alert},
        {"failed read, told by the pane", QStringLiteral("/root/secret"), true, AddressTarget::Outcome::Failed,
         "Ready"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        frame->StatusBar().ShowStatusMessage(QString());
        target.typed.clear();
        target.outcome = c.outcome;
        ASSERT_TRUE(frame->Address().FocusAddress());
        Edit(*frame)->setText(c.typed); // as a paste would: keys cannot carry every character
        const int focusBefore = target.paneFocus;
        QTest::keyClick(Keys(), Qt::Key_Return);
        WaitForExecute(focusBefore);
        EXPECT_TRUE(target.typed == (c.reachesPane ? Strings{EditTextToBytes(c.typed)} : Strings{}));
        EXPECT_EQ(frame->StatusBar().MessageText(), c.message);
        EXPECT_EQ(Edit(*frame)->text(), "/home/user");
    }
}

TEST_F(AddressBarTest, KeysOfTheField)
{
    auto frame = Open();
    QLineEdit* edit = Edit(*frame);
    frame->Address().FocusAddress();

    // Tab goes to the pane; Shift or Ctrl with it to the tree when that is shown
    QTest::keyClick(Keys(), Qt::Key_Tab);
    QTest::keyClick(Keys(), Qt::Key_Tab, Qt::ControlModifier);
    target.treeShown = true;
    QTest::keyClick(Keys(), Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyClick(Keys(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(target.paneFocus, 2);
    EXPECT_EQ(target.treeFocus, 2);

    // Esc puts the pane's text back and goes to the pane
    QTest::keyClicks(Keys(), "half-typed");
    QTest::keyClick(Keys(), Qt::Key_Escape);
    EXPECT_EQ(edit->text(), "/home/user");
    EXPECT_EQ(target.paneFocus, 3);

    // Ctrl with an arrow moves the pane's focus and leaves the field alone
    edit->setText("abc");
    edit->setCursorPosition(1);
    QTest::keyClick(Keys(), Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(Keys(), Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(target.paneKeys, (std::vector<QKeyCombination>{Qt::ControlModifier | Qt::Key_Down,
                                                             Qt::ControlModifier | Qt::Key_Right}));
    EXPECT_EQ(edit->cursorPosition(), 1);

    // Ctrl+Enter puts the focused name, bytes intact, in place of the selection;
    // without a focused item nothing
    edit->setText("/src/old.txt");
    edit->setSelection(5, 7);
    target.focused = std::string("n\xC3\xA9w\xFF.c");
    QTest::keyClick(Keys(), Qt::Key_Return, Qt::ControlModifier);
    target.focused.reset();
    QTest::keyClick(Keys(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(EditTextToBytes(edit->text()), "/src/n\xC3\xA9w\xFF.c");
    QApplication::processEvents();
    EXPECT_TRUE(target.typed.empty());
}

TEST_F(AddressBarTest, FrameKeysWaitWhileTheFieldHasTheFocus)
{
    auto frame = Open();
    auto* pane = static_cast<test::PlaceholderPane*>(frame->ActivePane());
    frame->Address().FocusAddress();
    Edit(*frame)->setText("abc");
    Edit(*frame)->setCursorPosition(0);
    QTest::keyClick(Keys(), Qt::Key_F3); // View, which the pane handles
    QTest::keyClick(Keys(), Qt::Key_Delete);
    EXPECT_EQ(pane->Runs(), 0);
    EXPECT_EQ(Edit(*frame)->text(), "bc");

    // a menu's mnemonic still opens its menu; other Alt keys stay in the field
    for (auto [key, wanted] : {std::pair{Qt::Key_F, false}, std::pair{Qt::Key_X, true}}) {
        QKeyEvent shortcut(QEvent::ShortcutOverride, key, Qt::AltModifier);
        shortcut.ignore();
        QApplication::sendEvent(Keys(), &shortcut);
        EXPECT_EQ(shortcut.isAccepted(), wanted) << key;
    }

    pane->setFocus();
    QTest::keyClick(pane, Qt::Key_F3);
    EXPECT_EQ(pane->Runs(), 1);
}

TEST_F(AddressBarTest, FolderHistoryIsByteExactAndLimited)
{
    historyItems = 3;
    auto frame = Open();
    AddressBar& bar = frame->Address();
    for (const char* folder : {"/a", "/A", "/b\xFF", "/a"})
        bar.ShowFolder(folder, folder);
    EXPECT_EQ(bar.Combo().Folders(), (Strings{"/a", "/b\xFF", "/A"}));
    bar.ShowFolder("/c", "/c/*.txt");
    EXPECT_EQ(bar.Combo().Folders(), (Strings{"/c", "/a", "/b\xFF"}));
    EXPECT_EQ(Edit(*frame)->text(), "/c/*.txt");
    // a folder outside the file system changes the text only
    bar.ShowFolder("", "*.h");
    EXPECT_EQ(bar.Combo().Folders().size(), 3u);
    EXPECT_EQ(Edit(*frame)->text(), "*.h");

    // an entry chosen from the list goes to the pane at once, bytes intact
    bar.Combo().activated(2);
    WaitForExecute(0);
    EXPECT_EQ(target.typed, Strings{"/b\xFF"});

    // what the user is typing stays when a pane re-reads meanwhile
    bar.FocusAddress();
    QTest::keyClicks(Keys(), "/half");
    bar.ShowFolder("/d", "/d");
    EXPECT_EQ(Edit(*frame)->text(), "/half");
    EXPECT_EQ(bar.Combo().Folders().front(), "/d");
}

TEST_F(AddressBarTest, HistoriesAreStoredAtCloseAndReadAtStart)
{
    const Strings stored = {"/x", "/y", "/x", "/z"};
    for (std::size_t i = 0; i < stored.size(); ++i)
        store.WriteString(section::kFolderComboHistory, std::to_string(i), stored[i]);
    store.WriteString(section::kCommandHistory, "0", "> old");
    {
        auto frame = Open();
        EXPECT_EQ(frame->Address().Combo().Folders(), (Strings{"/x", "/y", "/z"}));
        frame->Address().ShowFolder("/new", "/new");
        target.starts = false;
        TypeAndEnter(*frame, "  $ ls $L");
        WaitForExecute(0);
        EXPECT_EQ(target.commands, Strings{"$ ls $L"});
        EXPECT_EQ(frame->StatusBar().MessageText(), "Cannot execute that command");
        EXPECT_EQ(Edit(*frame)->text(), "/home/user");
        frame->close();
    }
    for (auto [name, folder] : {std::pair{"0", "/new"}, {"1", "/x"}, {"2", "/y"}, {"3", "/z"}})
        EXPECT_EQ(store.GetString(section::kFolderComboHistory, name), folder);
    EXPECT_EQ(store.GetString(section::kCommandHistory, "0"), "$ ls $L");
    EXPECT_EQ(store.GetString(section::kCommandHistory, "1"), "> old");
}

TEST_F(AddressBarTest, ComboSizesOutOfRangeBecomeTheDefaultsAndAreWrittenBack)
{
    struct Case {
        std::optional<int> width, height;
        int expectedWidth, expectedHeight;
    };
    for (const Case& c : {Case{std::nullopt, std::nullopt, 280, 180}, Case{49, 49, 280, 180}, Case{50, 50, 50, 50},
                          Case{1000, 600, 1000, 600}, Case{1001, 601, 280, 180}}) {
        MemorySettingsStore sizes;
        if (c.width)
            sizes.WriteInt(section::kMainFrameSettings, value::kFolderComboWidth, *c.width);
        if (c.height)
            sizes.WriteInt(section::kMainFrameSettings, value::kFolderComboHeight, *c.height);
        MainFrame frame(FrameServices{sizes, prompts, keyboard}, FrameOptions(), test::MakePlaceholderPane);
        EXPECT_EQ(frame.Address().ComboWidth(), c.expectedWidth);
        EXPECT_EQ(frame.Address().Combo().DroppedHeight(), c.expectedHeight);
        EXPECT_EQ(sizes.ReadInt(section::kMainFrameSettings, value::kFolderComboWidth), c.expectedWidth);
        EXPECT_EQ(sizes.ReadInt(section::kMainFrameSettings, value::kFolderComboHeight), c.expectedHeight);
    }
}

TEST_F(AddressBarTest, TheBoxStretchesAcrossItsRowAndKeepsItsWidthAtASide)
{
    store.WriteInt(section::kMainFrameSettings, value::kFolderComboWidth, 333);
    auto frame = Open(1400);
    AddressBar& bar = frame->Address();
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar.Combo().width() > 1000; }, 5000)) << bar.Combo().width();
    frame->resize(700, 500);
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar.Combo().width() < 500; }, 5000)) << bar.Combo().width();

    // flat bars get their gripper, so the bar can go to a side
    EXPECT_FALSE(bar.isMovable());
    frame->ApplyFlatToolbars(true);
    EXPECT_TRUE(bar.isMovable());
    frame->addToolBar(Qt::LeftToolBarArea, &bar);
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar.Combo().width() == 333; }, 5000)) << bar.Combo().width();
    frame->addToolBar(Qt::TopToolBarArea, &bar);
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar.Combo().width() > 333; }, 5000));
}

TEST_F(AddressBarTest, CommandsAndPickersPrimeTheFieldOfAHiddenBar)
{
    store.WriteString(section::kCommandHistory, "0", "$ make");
    store.WriteString(section::kCommandHistory, "1", "> gimp");
    filterHistory.Add(15, "*.cpp");
    auto frame = Open();
    QLineEdit* edit = Edit(*frame);
    for (int id : {cmd::kRunCommand, cmd::kDosCommand, cmd::kRunHistory, cmd::kFilterHistory})
        EXPECT_TRUE(frame->UpdateCommand(id).enabled) << id;

    frame->ExecuteCommand(cmd::kAddressBar);
    EXPECT_FALSE(frame->Address().FocusAddress());
    EXPECT_TRUE(frame->ExecuteCommand(cmd::kDosCommand));
    EXPECT_FALSE(frame->Address().isHidden());
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->text(), "$ ");
    EXPECT_EQ(edit->cursorPosition(), 2);
    EXPECT_EQ(frame->StatusBar().MessageText(), "Ctrl+Arrows/Return to select/pick names; press <Return> to run.");
    frame->ExecuteCommand(cmd::kRunCommand);
    QTest::keyClicks(Keys(), "xterm -e top");
    QTest::keyClick(Keys(), Qt::Key_Return);
    WaitForExecute(0);
    EXPECT_EQ(target.commands, Strings{"> xterm -e top"});

    // the pickers put the choice in the field and run nothing
    frame->ExecuteCommand(cmd::kAddressBar);
    prompts.AnswerDialog([](QDialog& dialog) {
        static_cast<HistoryPicker&>(dialog).Combo()->setCurrentIndex(2);
        return int(QDialog::Accepted);
    });
    EXPECT_TRUE(frame->ExecuteCommand(cmd::kRunHistory));
    EXPECT_FALSE(frame->Address().isHidden());
    EXPECT_EQ(edit->text(), "> gimp");
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(frame->Address().CommandHistory().Entries(), (Strings{"> gimp", "> xterm -e top", "$ make"}));
    prompts.AnswerDialog([](QDialog&) { return int(QDialog::Accepted); });
    frame->ExecuteCommand(cmd::kFilterHistory);
    EXPECT_EQ(edit->text(), "*.cpp");
    prompts.AnswerDialog([](QDialog&) { return int(QDialog::Rejected); });
    frame->ExecuteCommand(cmd::kRunHistory);
    EXPECT_EQ(edit->text(), "*.cpp");
    EXPECT_EQ(prompts.Texts(test::ScriptedPrompts::Kind::Dialog),
              (QStringList{"Shell/DOS command history", "Visual filter history", "Shell/DOS command history"}));

    // Filters... shows the hidden bar and asks for a pattern there
    frame->ExecuteCommand(cmd::kAddressBar);
    edit->clearFocus();
    EXPECT_TRUE(frame->ExecuteCommand(cmd::kFilters));
    EXPECT_FALSE(frame->Address().isHidden());
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(frame->StatusBar().MessageText(), "Specify the filter (e.g. '*.cpp') and press <Return>");
    QApplication::processEvents();
    EXPECT_EQ(target.commands.size(), 1u);
    EXPECT_TRUE(target.typed.empty());
}

TEST_F(AddressBarTest, BarStateStoredBeforeTheAddressBarStillRestores)
{
    QByteArray oldState;
    {
        auto frame = Open();
        frame->removeToolBar(&frame->Address());
        frame->ToolBar().hide();
        oldState = frame->saveState();
    }
    store.WriteInt(section::kMainFrameSettings, value::kToolbarsVersion, 1);
    store.WriteBinary(section::kMainFrameSettings, value::kBarState, ByteBlock(oldState.begin(), oldState.end()));
    auto frame = Open();
    EXPECT_TRUE(frame->ToolBar().isHidden());
    EXPECT_FALSE(frame->Address().isHidden());
    EXPECT_EQ(frame->toolBarArea(&frame->Address()), Qt::TopToolBarArea);

    // a state stored with the bar brings its visibility back
    frame->ExecuteCommand(cmd::kAddressBar);
    frame->close();
    auto again = Open();
    EXPECT_TRUE(again->Address().isHidden());
    EXPECT_FALSE(again->UpdateCommand(cmd::kAddressBar).checked);
}

} // namespace
} // namespace bivora
