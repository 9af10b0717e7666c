#include "ui/commands/command_actions.h"
#include "ui/commands/command_ids.h"
#include "ui/widgets/input_dlg.h"
#include "ui/frame/main_frame.h"
#include "ui/widgets/main_status_bar.h"
#include "ui/frame/main_tool_bar.h"
#include "ui/frame/pane_splitter.h"

#include "../test_services.h"
#include "placeholder_pane.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QDialog>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace bivora {
namespace {

using test::ScriptedPrompts;

class MainFrameTest : public ::testing::Test {
protected:
    std::unique_ptr<MainFrame> Open(int width = 801)
    {
        FrameOptions options;
        options.saveSettings = [this] { return saveSettings; };
        auto frame = std::make_unique<MainFrame>(FrameServices{store, prompts, keyboard}, options,
                                                 test::MakePlaceholderPane);
        frame->resize(width, 500);
        frame->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        return frame;
    }

    // Defines layout n as a person would: Shift held, a name typed in the dialog.
    void DefineLayout(MainFrame& frame, int n, const QString& name)
    {
        keyboard.SetModifiers(Qt::ShiftModifier);
        prompts.AnswerDialog([name](QDialog& dialog) {
            static_cast<InputDlg&>(dialog).SetText(name);
            return int(QDialog::Accepted);
        });
        frame.ExecuteCommand(cmd::kLayout1 + n - 1);
        keyboard.SetModifiers(Qt::NoModifier);
    }

    static bool WritesTo(const MemorySettingsStore& store, const std::string& prefix)
    {
        for (const auto& write : store.Writes()) {
            if (write.section.rfind(prefix, 0) == 0)
                return true;
        }
        return false;
    }

    MemorySettingsStore store;
    ScriptedPrompts prompts;
    test::FakeKeyboardState keyboard;
    bool saveSettings = true;
};

TEST_F(MainFrameTest, StartsWithTheLeftPaneActiveAtTheStoredWidth)
{
    store.WriteInt(MainFrame::kSection, "nLeftPaneWidth", 320);
    auto frame = Open();
    EXPECT_EQ(frame->Splitter().ColumnWidth(0), 320);
    EXPECT_EQ(frame->ActivePane(), frame->LeftPane());
    EXPECT_TRUE(static_cast<test::PlaceholderPane*>(frame->LeftPane())->IsActive());
    EXPECT_EQ(frame->InactivePane(), frame->RightPane());

    // Focus in the right pane makes it the active one.
    frame->RightPane()->Widget()->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(frame->ActivePane(), frame->RightPane());
    EXPECT_FALSE(static_cast<test::PlaceholderPane*>(frame->LeftPane())->IsActive());
    EXPECT_EQ(frame->Splitter().ActiveColumn(), 1);
}

TEST_F(MainFrameTest, DefaultLeftWidthWithoutAStoredOne)
{
    auto frame = Open();
    EXPECT_EQ(frame->Splitter().ColumnWidth(0), 250);
}

TEST_F(MainFrameTest, EqualPanesGivesTheLeftColumnTheSmallerHalf)
{
    auto frame = Open();
    PaneSplitter& splitter = frame->Splitter();
    const int total = splitter.TotalWidth();
    // Make the total odd, whatever the style's bar width is.
    frame->resize(frame->width() + (total % 2 == 0 ? 1 : 0), frame->height());
    QApplication::processEvents();
    const int odd = splitter.TotalWidth();
    ASSERT_EQ(odd % 2, 1);
    EXPECT_TRUE(frame->ExecuteCommand(cmd::kEqualPanes));
    EXPECT_EQ(splitter.ColumnWidth(0), odd / 2);
    EXPECT_EQ(splitter.ColumnWidth(1), odd / 2 + 1);
}

TEST_F(MainFrameTest, OnePaneKeepsTheActivePane)
{
    auto frame = Open();
    PaneSplitter& splitter = frame->Splitter();
    const int total = splitter.TotalWidth();
    frame->ExecuteCommand(cmd::kOnePane);
    EXPECT_EQ(splitter.ColumnWidth(0), total);
    EXPECT_EQ(splitter.ColumnWidth(1), 0);

    frame->ActivatePane(frame->RightPane());
    frame->ExecuteCommand(cmd::kOnePane);
    EXPECT_EQ(splitter.ColumnWidth(0), 0);
    EXPECT_EQ(splitter.ColumnWidth(1), total);
}

TEST_F(MainFrameTest, DoubleClickOnTheBarTwiceGivesOnePaneThenEqualPanes)
{
    auto frame = Open();
    PaneSplitter& splitter = frame->Splitter();
    const int total = splitter.TotalWidth();
    QSplitterHandle* handle = splitter.handle(1);
    ASSERT_NE(handle, nullptr);
    QTest::mouseDClick(handle, Qt::LeftButton, Qt::NoModifier, handle->rect().center());
    EXPECT_EQ(splitter.ColumnWidth(0), total);
    EXPECT_EQ(splitter.ColumnWidth(1), 0);
    handle = splitter.handle(1);
    QTest::mouseDClick(handle, Qt::LeftButton, Qt::NoModifier, handle->rect().center());
    EXPECT_EQ(splitter.ColumnWidth(0), total / 2);
    EXPECT_EQ(splitter.ColumnWidth(0) + splitter.ColumnWidth(1), total);
}

TEST_F(MainFrameTest, BarTogglesShowAndHideAndCarryChecks)
{
    auto frame = Open();
    EXPECT_TRUE(frame->UpdateCommand(cmd::kToolbar).checked);
    frame->ExecuteCommand(cmd::kToolbar);
    EXPECT_TRUE(frame->ToolBar().isHidden());
    EXPECT_FALSE(frame->UpdateCommand(cmd::kToolbar).checked);
    frame->ExecuteCommand(cmd::kToolbar);
    EXPECT_FALSE(frame->ToolBar().isHidden());

    frame->ExecuteCommand(cmd::kStatusBar);
    EXPECT_TRUE(frame->StatusBar().isHidden());
    frame->ShowBarIfHidden(bar::kStatusBar);
    EXPECT_FALSE(frame->StatusBar().isHidden());

    // A thumbnail bar needs thumbnails before its toggle works.
    QWidget thumbs;
    frame->RegisterBar(bar::kThumbBar, &thumbs);
    EXPECT_FALSE(frame->UpdateCommand(cmd::kThumbBar).enabled);
    frame->SetThumbnailsAvailable(true);
    EXPECT_TRUE(frame->UpdateCommand(cmd::kThumbBar).enabled);
}

TEST_F(MainFrameTest, StartupSuggestionGoesToTheStatusBar)
{
    auto frame = Open();
    EXPECT_TRUE(frame->ExecuteCommand(cmd::kStartupSuggestion));
    EXPECT_EQ(frame->StatusBar().MessageText(), "Suggestion: Enable the DOS file extensions from Explorer");
}

TEST_F(MainFrameTest, UndefinedLayoutIsGreyedAndApplyingItDoesNothing)
{
    auto frame = Open();
    const CommandState state = frame->UpdateCommand(cmd::kLayout1);
    EXPECT_FALSE(state.enabled);
    EXPECT_EQ(state.text, "(press Ctrl+Shift+7 to define)");
    const QRect before = frame->geometry();
    const int width = frame->Splitter().ColumnWidth(0);
    EXPECT_FALSE(frame->ExecuteCommand(cmd::kLayout1));
    EXPECT_TRUE(prompts.Log().empty());
    EXPECT_EQ(frame->geometry(), before);
    EXPECT_EQ(frame->Splitter().ColumnWidth(0), width);
}

TEST_F(MainFrameTest, DefinedLayoutComesBackWhenApplied)
{
    auto frame = Open();
    frame->Splitter().SetLeftWidth(300);
    frame->LeftPane()->SetViewStyle(cmd::kDetails);
    DefineLayout(*frame, 2, "Wide left");
    ASSERT_EQ(prompts.Texts(ScriptedPrompts::Kind::Dialog), QStringList{"Layout name ?"});
    EXPECT_EQ(frame->StatusBar().MessageText(), "Layout stored ok.");
    const CommandState state = frame->UpdateCommand(cmd::kLayout2);
    EXPECT_TRUE(state.enabled);
    EXPECT_EQ(state.text, "&2: Wide left\tCtrl+8");
    frame->Actions().RefreshAll();
    EXPECT_EQ(frame->Actions().Action(cmd::kLayout2)->text(), "&2: Wide left\tCtrl+8");

    frame->Splitter().SetLeftWidth(120);
    frame->LeftPane()->SetViewStyle(cmd::kList);
    frame->ToolBar().hide();
    EXPECT_TRUE(frame->ExecuteCommand(cmd::kLayout2));
    EXPECT_EQ(frame->Splitter().ColumnWidth(0), 300);
    EXPECT_EQ(frame->LeftPane()->ViewStyle(), cmd::kDetails);
    EXPECT_FALSE(frame->ToolBar().isHidden()); // the bar arrangement came back too
    EXPECT_TRUE(prompts.Texts(ScriptedPrompts::Kind::YesNo).isEmpty());
}

TEST_F(MainFrameTest, DefiningProposesTheNameAndCancelKeepsTheSlot)
{
    auto frame = Open();
    keyboard.SetModifiers(Qt::ShiftModifier);
    QString proposed;
    prompts.AnswerDialog([&proposed](QDialog& dialog) {
        auto& input = static_cast<InputDlg&>(dialog);
        proposed = input.Text();
        input.SetText(QString(40, u'n')); // longer than a name may be
        return int(QDialog::Rejected);
    });
    frame->ExecuteCommand(cmd::kLayout3);
    EXPECT_EQ(proposed, "Layout 3");
    EXPECT_FALSE(frame->Layouts().IsDefined(3));

    DefineLayout(*frame, 3, QString(40, u'n'));
    ASSERT_TRUE(frame->Layouts().IsDefined(3));
    EXPECT_EQ(frame->Layouts().Get(3)->record.name, std::string(31, 'n'));
}

TEST_F(MainFrameTest, LayoutFromAnotherScreenSizeAsksFirstAndNoLeavesTheWindow)
{
    LayoutRecord record;
    record.screenWidth = 1024;
    record.screenHeight = 768;
    record.name = "Big screen";
    record.leftPaneWidth = 400;
    record.leftViewStyle = cmd::kLargeIcons;
    record.rightViewStyle = cmd::kDetails;
    record.placement.left = 5;
    record.placement.top = 6;
    record.placement.right = 705;
    record.placement.bottom = 456;
    {
        // The dock state of a real window, so that it restores.
        auto donor = Open();
        const QByteArray state = donor->saveState();
        LayoutSlots slots;
        ASSERT_TRUE(slots.Define(1, record, ByteBlock(state.begin(), state.end())));
        slots.Save(store);
    }
    auto frame = Open();
    ASSERT_NE(frame->screen()->geometry().size(), QSize(1024, 768));
    const QRect before = frame->geometry();
    const int width = frame->Splitter().ColumnWidth(0);

    prompts.AnswerYesNo(false);
    frame->ExecuteCommand(cmd::kLayout1);
    EXPECT_EQ(prompts.Texts(ScriptedPrompts::Kind::YesNo),
              QStringList{"This layout was not defined at current screen resolution.\n"
                          "Applying it may have suboptimal results; Continue anyway?"});
    EXPECT_EQ(frame->geometry(), before);
    EXPECT_EQ(frame->Splitter().ColumnWidth(0), width);
    EXPECT_EQ(frame->LeftPane()->ViewStyle(), cmd::kList);

    prompts.AnswerYesNo(true);
    frame->ExecuteCommand(cmd::kLayout1);
    EXPECT_EQ(frame->geometry().size(), QSize(700, 450));
    EXPECT_EQ(frame->Splitter().ColumnWidth(0), 400);
    EXPECT_EQ(frame->LeftPane()->ViewStyle(), cmd::kLargeIcons);
    EXPECT_EQ(frame->RightPane()->ViewStyle(), cmd::kDetails);
}

TEST_F(MainFrameTest, ClosingWithoutSaveSettingsWritesNothing)
{
    auto frame = Open();
    DefineLayout(*frame, 1, "Mine");
    saveSettings = false;
    store.ClearWriteLog();
    frame->close();
    EXPECT_TRUE(store.Writes().empty());
}

TEST_F(MainFrameTest, ClosingSavesWhatTheNextStartRestores)
{
    {
        auto frame = Open();
        frame->Splitter().SetLeftWidth(333);
        frame->ActivatePane(frame->RightPane());
        frame->ExecuteCommand(cmd::kToolbar); // hide the tool bar
        DefineLayout(*frame, 1, "Mine");
        frame->close();
    }
    EXPECT_EQ(store.GetInt(MainFrame::kSection, "nToolbarsVersion", 0), 1);
    EXPECT_EQ(store.GetInt(MainFrame::kSection, "nLeftPaneWidth", 0), 333);
    EXPECT_EQ(store.GetInt(MainFrame::kSection, "bLeftPaneActive", -1), 0);
    EXPECT_EQ(store.GetInt(MainFrame::kSection, "bDriveBar2Root", -1), 1);
    EXPECT_TRUE(store.Contains("Layout 1", "InfoHeader"));
    EXPECT_FALSE(store.Contains("Layout 2", "InfoHeader"));
    EXPECT_FALSE(store.GetString(MainFrame::kSection, "szWindowRect").empty());

    auto again = Open();
    EXPECT_EQ(again->Splitter().ColumnWidth(0), 333);
    EXPECT_TRUE(again->ToolBar().isHidden());
    EXPECT_TRUE(again->Layouts().IsDefined(1));
    EXPECT_EQ(again->Layouts().Get(1)->record.name, "Mine");
}

TEST_F(MainFrameTest, SavedBarStateCountsOnlyFromAVersionedStore)
{
    {
        auto frame = Open();
        frame->ExecuteCommand(cmd::kToolbar);
        frame->close();
    }
    store.WriteInt(MainFrame::kSection, "nToolbarsVersion", 0);
    auto again = Open();
    EXPECT_FALSE(again->ToolBar().isHidden());
    EXPECT_EQ(again->toolBarArea(&again->ToolBar()), Qt::BottomToolBarArea);
}

TEST_F(MainFrameTest, StatusBarVisibilityIsKeptWithTheBars)
{
    std::string oldState;
    {
        auto frame = Open();
        frame->ExecuteCommand(cmd::kStatusBar);
        ASSERT_TRUE(frame->StatusBar().isHidden());
        frame->ExecuteCommand(cmd::kToolbar);
        // a state as stored before the status bar was part of it
        const QByteArray dock = frame->saveState();
        oldState.assign(dock.begin(), dock.end());
        frame->close();
    }
    {
        auto frame = Open();
        EXPECT_TRUE(frame->StatusBar().isHidden());
        EXPECT_FALSE(frame->UpdateCommand(cmd::kStatusBar).checked);
        EXPECT_TRUE(frame->ToolBar().isHidden());
        // a layout remembers it as well
        DefineLayout(*frame, 1, "Quiet");
        frame->ExecuteCommand(cmd::kStatusBar);
        ASSERT_FALSE(frame->StatusBar().isHidden());
        frame->ExecuteCommand(cmd::kLayout1);
        EXPECT_TRUE(frame->StatusBar().isHidden());
        frame->ExecuteCommand(cmd::kStatusBar);
        frame->close();
    }
    {
        auto frame = Open();
        EXPECT_FALSE(frame->StatusBar().isHidden());
        EXPECT_TRUE(frame->ToolBar().isHidden());
    }
    // the old state still restores the tool bars, and the status bar shows
    store.WriteBinary(MainFrame::kSection, "BarState", ByteBlock(oldState.begin(), oldState.end()));
    auto frame = Open();
    EXPECT_TRUE(frame->ToolBar().isHidden());
    EXPECT_FALSE(frame->StatusBar().isHidden());
}

TEST_F(MainFrameTest, StoredWindowRectPlacesTheWindow)
{
    store.WriteString(MainFrame::kSection, "szWindowRect", "30,40,630,440");
    FrameOptions options;
    MainFrame frame({store, prompts, keyboard}, options, test::MakePlaceholderPane);
    EXPECT_EQ(frame.geometry(), QRect(30, 40, 600, 400));

    store.WriteString(MainFrame::kSection, "szWindowRect", "30,40,630");
    MainFrame other({store, prompts, keyboard}, options, test::MakePlaceholderPane);
    EXPECT_NE(other.geometry(), QRect(30, 40, 600, 400));
}

TEST_F(MainFrameTest, MenuPromptsShowInTheMessagePane)
{
    auto frame = Open();
    struct Case {
        const char* menu;
        int id;
        const char* prompt;
    };
    // an enabled item, and one that is always greyed
    for (const Case& c : {Case{"&Files", cmd::kView, "View file as text"},
                          Case{"&Edit", cmd::kUndo, "Can't Undo the last action: complaints to mikro$oft please!"}}) {
        SCOPED_TRACE(c.menu);
        QMenu* menu = frame->Actions().Menu(QString::fromUtf8(c.menu));
        ASSERT_TRUE(menu);
        frame->menuBar()->setActiveAction(menu->menuAction());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        QTest::keyClick(menu, Qt::Key_Down);
        ASSERT_EQ(menu->activeAction(), frame->Actions().Action(c.id));
        // the highlighted item's prompt over the whole bar
        EXPECT_EQ(frame->StatusBar().MessageText(), c.prompt);
        EXPECT_TRUE(frame->StatusBar().PaneStatusLabel()->isHidden());
        menu->hide();
        frame->menuBar()->setActiveAction(nullptr);
        EXPECT_EQ(frame->StatusBar().MessageText(), "Ready");
        EXPECT_FALSE(frame->StatusBar().PaneStatusLabel()->isHidden());
    }
}

TEST(InputDlgTest, IntegerModeKeepsTheDialogOpenOutsideTheRange)
{
    ScriptedPrompts prompts;
    InputDlg dialog(prompts, nullptr, "Go to line", 5, 1, 100);
    EXPECT_EQ(dialog.windowTitle(), "Go to line");
    EXPECT_EQ(dialog.Text(), "5");
    dialog.Edit()->selectAll();
    QTest::keyClicks(dialog.Edit(), "1x2");
    EXPECT_EQ(dialog.Text(), "12"); // digits only
    dialog.SetText("250");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(prompts.Texts(ScriptedPrompts::Kind::Message),
              QStringList{"Please enter an integer between 1 and 100."});
    dialog.SetText("42");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Value(), 42);

    InputDlg text(prompts, nullptr, "Layout name ?", "abc", 4);
    text.SetText("abcdefg");
    EXPECT_EQ(text.Text(), "abcd");
}

} // namespace
} // namespace bivora
