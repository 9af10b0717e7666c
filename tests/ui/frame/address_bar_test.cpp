#include "ui/frame/address_bar.h"

#include "base/registry_keys.h"
#include "base/settings_store.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/edit_text.h"
#include "ui/frame/main_frame.h"
#include "ui/frame/main_status_bar.h"
#include "ui/frame/main_tool_bar.h"
#include "ui/widgets/history_picker.h"

#include "../test_services.h"
#include "placeholder_pane.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace bivora {
namespace {

namespace section = registry::section;
namespace value = registry::value;
using test::ScriptedPrompts;

// The panes as the address bar sees them, with a record of what they were asked.
class FakeAddressTarget final : public AddressTarget {
public:
    struct Typed {
        std::string text;
        bool inactive;
    };

    Outcome GoToTyped(const std::string& text, bool inactivePane) override
    {
        typed.push_back({text, inactivePane});
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
    bool FocusTree() override
    {
        if (treeShown)
            ++treeFocus;
        return treeShown;
    }
    void PassKeyToPane(QKeyEvent& event) override { paneKeys.push_back(event.keyCombination()); }

    Outcome outcome = Outcome::Done;
    bool starts = true;
    std::string address = "/home/user";
    std::optional<std::string> focused;
    bool treeShown = false;
    std::vector<Typed> typed;
    std::vector<std::string> commands;
    std::vector<QKeyCombination> paneKeys;
    int paneFocus = 0;
    int treeFocus = 0;
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
    // Keys go where a person's would: to the focus widget (the combo box, which passes
    // them on to its edit field).
    static QWidget* Keys() { return QApplication::focusWidget(); }

    // Focuses the field, replaces its text by typing and presses a key.
    void TypeAndPress(MainFrame& frame, const QString& text, Qt::Key key = Qt::Key_Return,
                      Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        ASSERT_TRUE(frame.Address().FocusAddress());
        Edit(frame)->clear();
        QTest::keyClicks(Keys(), text);
        QTest::keyClick(Keys(), key, mods);
    }

    QString Message(MainFrame& frame) const { return frame.StatusBar().MessageText(); }

    MemorySettingsStore store;
    ScriptedPrompts prompts;
    test::FakeKeyboardState keyboard;
    FakeAddressTarget target;
    HistoryList filterHistory;
    int historyItems = 15;
};

TEST_F(AddressBarTest, EnterSendsTheTextToTheActivePaneAndWithAltToTheOther)
{
    auto frame = Open();
    EXPECT_EQ(Edit(*frame)->text(), "/home/user");

    TypeAndPress(*frame, "   /etc/*.conf");
    // posted, so the text is complete when it runs
    EXPECT_TRUE(target.typed.empty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return target.typed.size() == 1; }, 5000));
    EXPECT_EQ(target.typed[0].text, "/etc/*.conf");
    EXPECT_FALSE(target.typed[0].inactive);
    EXPECT_EQ(target.paneFocus, 1);
    EXPECT_EQ(Edit(*frame)->text(), "/etc/*.conf");

    keyboard.SetModifiers(Qt::AltModifier);
    TypeAndPress(*frame, "/usr", Qt::Key_Return, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return target.typed.size() == 2; }, 5000));
    EXPECT_TRUE(target.typed[1].inactive);
    // the other pane moved: the field shows the active pane's folder again
    EXPECT_EQ(Edit(*frame)->text(), "/etc/*.conf");
    EXPECT_EQ(Message(*frame), "Ready");
}

TEST_F(AddressBarTest, UnusableInputGivesTheAlertAndTheFolderBack)
{
    auto frame = Open();
    struct Case {
        const char* name;
        QString typed;
        bool reachesPane;
        bool refused; // the pane refuses it
        QString message;
    };
    const QString huge = QStringLiteral("/") + QString(100 * 1024, QLatin1Char('x'));
    const Case cases[] = {
        {"empty", QString(), false, false, "Ready"},
        {"blank", QStringLiteral("    "), false, false, "Ready"},
        {"nonsense", QStringLiteral("no such place"), true, true, "The CPU cannot make any sense of the last input"},
        {"control characters", QStringLiteral("/tmp/\x01\x1b[2J"), true, true,
         "The CPU cannot make any sense of the last input"},
        {"NUL cuts nothing short", QStringLiteral("/etc") + QChar(0) + QStringLiteral("/passwd"), false, true,
         "The CPU cannot make any sense of the last input"},
        {"100 KB pasted line", huge, true, true, "The CPU cannot make any sense of the last input"},
        {"failed read", QStringLiteral("/root/secret"), true, false, "Ready"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        frame->StatusBar().ShowStatusMessage(QString());
        target.typed.clear();
        target.outcome = c.refused ? AddressTarget::Outcome::Refused : AddressTarget::Outcome::Failed;
        ASSERT_TRUE(frame->Address().FocusAddress());
        // set as a paste would, since key clicks cannot carry every character
        Edit(*frame)->setText(c.typed);
        const int focusBefore = target.paneFocus;
        QTest::keyClick(Keys(), Qt::Key_Return);
        ASSERT_TRUE(QTest::qWaitFor([&] { return target.paneFocus == focusBefore + 1; }, 5000));
        EXPECT_EQ(target.typed.size(), c.reachesPane ? 1u : 0u);
        if (c.reachesPane) {
            EXPECT_TRUE(target.typed[0].text == EditTextToBytes(c.typed)) << target.typed[0].text.size();
        }
        EXPECT_EQ(Message(*frame), c.message);
        EXPECT_EQ(Edit(*frame)->text(), "/home/user");
    }
}

TEST_F(AddressBarTest, KeysOfTheField)
{
    auto frame = Open();
    QLineEdit* edit = Edit(*frame);

    // Tab goes to the pane; Shift or Ctrl with it to the tree when it is shown
    frame->Address().FocusAddress();
    QTest::keyClick(Keys(), Qt::Key_Tab);
    QTest::keyClick(Keys(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(target.paneFocus, 2);
    target.treeShown = true;
    QTest::keyClick(Keys(), Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyClick(Keys(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(target.treeFocus, 2);
    EXPECT_EQ(target.paneFocus, 2);

    // Esc puts the pane's text back and goes to the pane
    QTest::keyClicks(Keys(), "half-typed");
    QTest::keyClick(Keys(), Qt::Key_Escape);
    EXPECT_EQ(edit->text(), "/home/user");
    EXPECT_EQ(target.paneFocus, 3);

    // Ctrl with an arrow moves the pane's focus and leaves the text alone
    edit->setText("abc");
    edit->setCursorPosition(1);
    QTest::keyClick(Keys(), Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(Keys(), Qt::Key_Right, Qt::ControlModifier);
    ASSERT_EQ(target.paneKeys.size(), 2u);
    EXPECT_EQ(target.paneKeys[0], QKeyCombination(Qt::ControlModifier, Qt::Key_Down));
    EXPECT_EQ(edit->cursorPosition(), 1);

    // Ctrl+Enter puts the focused name in place of the selection; none, nothing
    edit->setText("/src/old.txt");
    edit->setSelection(5, 7);
    target.focused = std::string("n\xC3\xA9w\xFF.c");
    QTest::keyClick(Keys(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(EditTextToBytes(edit->text()), "/src/n\xC3\xA9w\xFF.c");
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
    QLineEdit* edit = Edit(*frame);
    frame->Address().FocusAddress();
    edit->setText("abc");
    edit->setCursorPosition(0);
    QTest::keyClick(Keys(), Qt::Key_F3);
    QTest::keyClick(Keys(), Qt::Key_Delete);
    EXPECT_EQ(pane->Runs(), 0);
    EXPECT_EQ(edit->text(), "bc");

    // a menu's mnemonic still opens the menu; other Alt keys stay in the field
    QKeyEvent mnemonic(QEvent::ShortcutOverride, Qt::Key_F, Qt::AltModifier, QStringLiteral("f"));
    mnemonic.ignore();
    QApplication::sendEvent(edit, &mnemonic);
    EXPECT_FALSE(mnemonic.isAccepted());
    QKeyEvent exitKey(QEvent::ShortcutOverride, Qt::Key_X, Qt::AltModifier, QStringLiteral("x"));
    exitKey.ignore();
    QApplication::sendEvent(edit, &exitKey);
    EXPECT_TRUE(exitKey.isAccepted());

    // in the pane, F3 is the frame's again
    pane->setFocus();
    QTest::keyClick(pane, Qt::Key_F3);
    EXPECT_EQ(pane->Runs(), 1);
}

TEST_F(AddressBarTest, FolderHistoryIsByteExactAndLimited)
{
    historyItems = 3;
    auto frame = Open();
    AddressBar& bar = frame->Address();
    bar.ShowFolder("/a", "/a");
    bar.ShowFolder("/A", "/A");
    bar.ShowFolder("/b\xFF", "/b\xFF/*.txt");
    EXPECT_EQ(EditTextToBytes(Edit(*frame)->text()), "/b\xFF/*.txt");
    bar.ShowFolder("/a", "/a");
    EXPECT_EQ(bar.Combo().Folders(), (std::vector<std::string>{"/a", "/b\xFF", "/A"}));
    bar.ShowFolder("/c", "/c");
    EXPECT_EQ(bar.Combo().Folders(), (std::vector<std::string>{"/c", "/a", "/b\xFF"}));
    // a folder outside the file system changes the text only
    bar.ShowFolder("", "*.h");
    EXPECT_EQ(bar.Combo().Folders().size(), 3u);
    EXPECT_EQ(Edit(*frame)->text(), "*.h");

    // what the user is typing stays when a pane re-reads meanwhile
    bar.FocusAddress();
    QTest::keyClicks(Keys(), "/half");
    bar.ShowFolder("/c", "/c");
    EXPECT_EQ(Edit(*frame)->text(), "/half");
    EXPECT_EQ(bar.Combo().Folders().front(), "/c");

    // a folder picked from the list goes to the pane at once, bytes intact
    bar.Combo().activated(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return target.typed.size() == 1; }, 5000));
    EXPECT_EQ(target.typed[0].text, "/b\xFF");
}

TEST_F(AddressBarTest, HistoriesAreStoredAtCloseAndReadAtStart)
{
    store.WriteString(section::kFolderComboHistory, "0", "/x");
    store.WriteString(section::kFolderComboHistory, "1", "/y");
    store.WriteString(section::kFolderComboHistory, "2", "/x");
    store.WriteString(section::kFolderComboHistory, "3", "/z");
    store.WriteString(section::kCommandHistory, "0", "> old");
    {
        auto frame = Open();
        EXPECT_EQ(frame->Address().Combo().Folders(), (std::vector<std::string>{"/x", "/y", "/z"}));
        frame->Address().ShowFolder("/new", "/new");
        target.starts = false;
        TypeAndPress(*frame, "  $ ls $L");
        ASSERT_TRUE(QTest::qWaitFor([&] { return target.commands.size() == 1; }, 5000));
        EXPECT_EQ(target.commands[0], "$ ls $L");
        EXPECT_EQ(Message(*frame), "Cannot execute that command");
        EXPECT_EQ(Edit(*frame)->text(), "/home/user");
        frame->close();
    }
    EXPECT_EQ(store.GetString(section::kFolderComboHistory, "0"), "/new");
    EXPECT_EQ(store.GetString(section::kFolderComboHistory, "1"), "/x");
    EXPECT_EQ(store.GetString(section::kFolderComboHistory, "3"), "/z");
    EXPECT_EQ(store.GetString(section::kCommandHistory, "0"), "$ ls $L");
    EXPECT_EQ(store.GetString(section::kCommandHistory, "1"), "> old");
}

TEST_F(AddressBarTest, ComboSizesOutOfRangeBecomeTheDefaultsAndAreWrittenBack)
{
    struct Case {
        std::optional<int> width, height;
        int expectedWidth, expectedHeight;
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt, 280, 180},
        {49, 49, 280, 180},
        {50, 50, 50, 50},
        {1000, 600, 1000, 600},
        {1001, 601, 280, 180},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expectedWidth);
        MemorySettingsStore sizes;
        if (c.width)
            sizes.WriteInt(section::kMainFrameSettings, value::kFolderComboWidth, *c.width);
        if (c.height)
            sizes.WriteInt(section::kMainFrameSettings, value::kFolderComboHeight, *c.height);
        auto frame = std::make_unique<MainFrame>(FrameServices{sizes, prompts, keyboard}, FrameOptions(),
                                                 test::MakePlaceholderPane);
        EXPECT_EQ(frame->Address().ComboWidth(), c.expectedWidth);
        EXPECT_EQ(frame->Address().Combo().DroppedHeight(), c.expectedHeight);
        EXPECT_EQ(sizes.ReadInt(section::kMainFrameSettings, value::kFolderComboWidth), c.expectedWidth);
        EXPECT_EQ(sizes.ReadInt(section::kMainFrameSettings, value::kFolderComboHeight), c.expectedHeight);
    }
}

TEST_F(AddressBarTest, TheBoxStretchesAcrossItsRowAndKeepsItsWidthAtASide)
{
    store.WriteInt(section::kMainFrameSettings, value::kFolderComboWidth, 333);
    auto frame = Open(1400);
    AddressBar& bar = frame->Address();
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar.Combo().width() > 1400 - 400; }, 5000));
    const int wide = bar.Combo().width();
    frame->resize(700, 500);
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar.Combo().width() < wide - 600; }, 5000));
    EXPECT_GE(bar.Combo().width(), AddressBar::kMinComboWidth);

    // flat bars get their gripper, so the bar can be moved to a side
    EXPECT_FALSE(bar.isMovable());
    frame->ApplyFlatToolbars(true);
    EXPECT_TRUE(bar.isMovable());
    frame->addToolBar(Qt::LeftToolBarArea, &bar);
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar.Combo().width() == 333; }, 5000));
    frame->addToolBar(Qt::TopToolBarArea, &bar);
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar.Combo().width() > 333; }, 5000));
}

TEST_F(AddressBarTest, RunCommandAndDosCommandPrimeTheField)
{
    auto frame = Open();
    frame->ExecuteCommand(cmd::kAddressBar);
    ASSERT_TRUE(frame->Address().isHidden());
    EXPECT_FALSE(frame->Address().FocusAddress());

    EXPECT_TRUE(frame->ExecuteCommand(cmd::kDosCommand));
    EXPECT_FALSE(frame->Address().isHidden());
    QLineEdit* edit = Edit(*frame);
    EXPECT_EQ(edit->text(), "$ ");
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->cursorPosition(), 2);
    EXPECT_FALSE(edit->hasSelectedText());
    EXPECT_EQ(Message(*frame), "Ctrl+Arrows/Return to select/pick names; press <Return> to run.");

    EXPECT_TRUE(frame->ExecuteCommand(cmd::kRunCommand));
    EXPECT_EQ(edit->text(), "> ");
    QTest::keyClicks(Keys(), "xterm -e top");
    QTest::keyClick(Keys(), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return target.commands.size() == 1; }, 5000));
    EXPECT_EQ(target.commands[0], "> xterm -e top");
    EXPECT_TRUE(target.typed.empty());
    EXPECT_EQ(frame->Address().CommandHistory().Entries(), std::vector<std::string>{"> xterm -e top"});
    for (int id : {cmd::kRunCommand, cmd::kDosCommand, cmd::kRunHistory, cmd::kFilterHistory})
        EXPECT_TRUE(frame->UpdateCommand(id).enabled) << id;
}

TEST_F(AddressBarTest, HistoryPickersPutTheChoiceIntoTheFieldWithoutRunningIt)
{
    store.WriteString(section::kCommandHistory, "0", "$ make");
    store.WriteString(section::kCommandHistory, "1", "> gimp");
    filterHistory.Add(15, "*.cpp");
    auto frame = Open();
    frame->ExecuteCommand(cmd::kAddressBar);

    prompts.AnswerDialog([](QDialog& dialog) {
        static_cast<HistoryPicker&>(dialog).Combo()->setCurrentIndex(1);
        return int(QDialog::Accepted);
    });
    EXPECT_TRUE(frame->ExecuteCommand(cmd::kRunHistory));
    EXPECT_EQ(prompts.Texts(ScriptedPrompts::Kind::Dialog), QStringList{"Shell/DOS command history"});
    EXPECT_FALSE(frame->Address().isHidden());
    EXPECT_EQ(Edit(*frame)->text(), "> gimp");
    EXPECT_TRUE(Edit(*frame)->hasFocus());
    EXPECT_EQ(frame->Address().CommandHistory().Entries(), (std::vector<std::string>{"> gimp", "$ make"}));

    prompts.AnswerDialog([](QDialog&) { return int(QDialog::Accepted); });
    EXPECT_TRUE(frame->ExecuteCommand(cmd::kFilterHistory));
    EXPECT_EQ(prompts.Texts(ScriptedPrompts::Kind::Dialog).back(), "Visual filter history");
    EXPECT_EQ(Edit(*frame)->text(), "*.cpp");

    // cancelled: the field keeps its text
    prompts.AnswerDialog([](QDialog&) { return int(QDialog::Rejected); });
    frame->ExecuteCommand(cmd::kRunHistory);
    EXPECT_EQ(Edit(*frame)->text(), "*.cpp");
    QApplication::processEvents();
    EXPECT_TRUE(target.commands.empty());
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

    // and a state stored with it brings its visibility back
    frame->ExecuteCommand(cmd::kAddressBar);
    frame->close();
    auto again = Open();
    EXPECT_TRUE(again->Address().isHidden());
    EXPECT_FALSE(again->UpdateCommand(cmd::kAddressBar).checked);
}

} // namespace
} // namespace bivora
