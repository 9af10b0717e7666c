#include "ui/commands/command_actions.h"
#include "ui/commands/command_ids.h"
#include "ui/frame/main_frame.h"
#include "ui/commands/main_menu.h"
#include "ui/frame/main_tool_bar.h"

#include "../test_services.h"
#include "../frame/placeholder_pane.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

namespace bivora {
namespace {

// The main menu as a person reads it, one line per entry: "popup/item text = id",
// "popup/-" for a separator. Written out from the program's documentation.
const QStringList kExpectedMenu = {
    "&Files/&View\tF3=32793", "&Files/&Edit\tF4=32794", "&Files/&Properties\tF12=32823", "&Files/-",
    "&Files/&Copy to...\tF5=32791", "&Files/&Move to...\tF6=32792", "&Files/&Rename\tF2=32822",
    "&Files/&Delete\tDel=32786", "&Files/-", "&Files/New &file\tF7=32795", "&Files/&New folder\tF8=32796",
    "&Files/-", "&Files/Fil&ters...=32842", "&Files/Use filter\tCtrl+J=32970", "&Files/&History...\tCtrl+H=32941",
    "&Files/-", "&Files/E&xit\tAlt+X=57665",

    "&Mark/Select &All\tCtrl+A=32799", "&Mark/&Select group...\tGrey +=32797",
    "&Mark/Like &this one\tAlt + G+=32900", "&Mark/&Unselect group...\tGrey -=32798",
    "&Mark/&Invert selection\tGrey *=32800", "&Mark/-", "&Mark/Synchronize &Panes\tF9=32802",
    "&Mark/&Locate identical\tCtrl+F9=32803", "&Mark/A&dvanced/&Mirror browsing\tCtrl+M=32876",
    "&Mark/A&dvanced/&Sync scrolling\tCtrl+Y=32877", "&Mark/A&dvanced/Scroll to t&op\tCtrl+P=32878",
    "&Mark/A&dvanced/-", "&Mark/A&dvanced/Containing &text...\tCtrl+G=32840",
    "&Mark/A&dvanced/Sync on &Content\tAlt+F9=32899", "&Mark/-", "&Mark/Selectio&n/S&tore\tCtrl+F11=32912",
    "&Mark/Selectio&n/-", "&Mark/Selectio&n/&Select\tF11=32913", "&Mark/Selectio&n/&Unselect\tAlt+F11=32914",
    "&Mark/&Generate batch...\tCtrl+B=32820",

    "&Edit/&Undo\tCtrl+Z=32841", "&Edit/-", "&Edit/Clipboard Cu&t\tCtrl+X=57635",
    "&Edit/Clipboard &Copy\tCtrl+C=57634", "&Edit/Clipboard &Paste\tCtrl+V=57637",
    "&Edit/Paste &Shortcut=57638",

    "&View/&Toolbars/&Address Bar=59392", "&View/&Toolbars/&Toolbar=32808", "&View/&Toolbars/&Status Bar=59393",
    "&View/&Toolbars/&Drive Bar=32809", "&View/&Toolbars/T&humb bar=32811",
    "&View/&Layouts/(press Ctrl+Shift+7 to define)=32957", "&View/&Layouts/(press Ctrl+Shift+8 to define)=32958",
    "&View/&Layouts/(press Ctrl+Shift+9 to define)=32959", "&View/-", "&View/&Pane style/Lar&ge icons=59409",
    "&View/&Pane style/&Small icons=59408", "&View/&Pane style/&List=59410", "&View/&Pane style/&Details=59411",
    "&View/Sort &by/&Name\tCtrl+Alt+N=32777", "&View/Sort &by/&Size\tCtrl+Alt+S=32779",
    "&View/Sort &by/&Date\tCtrl+Alt+D=32780", "&View/Sort &by/&Type\tCtrl+Alt+T=32778", "&View/Sort &by/-",
    "&View/Sort &by/&Unsorted\tCtrl+Alt+U=32776", "&View/Sort &by/&Ascending\tCtrl+Alt+A=32890",
    "&View/Sort a&gain\tCtrl+S=32837", "&View/-", "&View/&Refresh\tCtrl+R=32771",
    "&View/Same &folder\tCtrl+I=32909", "&View/-", "&View/&Equal panes\tCtrl+E=32855",
    "&View/O&ne pane\tCtrl+O=32856", "&View/S&wap panes\tCtrl+U=32942", "&View/-", "&View/&Options...=32805",

    "&Bookmarks/(press Ctrl+Shift+0 to set)=32943", "&Bookmarks/(press Ctrl+Shift+1 to set)=32944",
    "&Bookmarks/(press Ctrl+Shift+2 to set)=32945", "&Bookmarks/(press Ctrl+Shift+3 to set)=32946",
    "&Bookmarks/(press Ctrl+Shift+4 to set)=32947", "&Bookmarks/(press Ctrl+Shift+5 to set)=32948",
    "&Bookmarks/-", "&Bookmarks/&Go to folder/&Parent\tBksp=32846",
    "&Bookmarks/&Go to folder/&Root\tShift+Bksp=32847", "&Bookmarks/&Go to folder/&Desktop\tCtrl+Bksp=32848",
    "&Bookmarks/&Go to folder/-", "&Bookmarks/&Go to folder/Pr&evious\tAlt+ left=32874",
    "&Bookmarks/&Go to folder/&Next\tAlt+ right=32875", "&Bookmarks/&Go to folder/-",
    "&Bookmarks/&Go to folder/Networ&k\tCtrl+N=32930", "&Bookmarks/&Go to folder/Docu&ments\t Ctrl+K=32931",

    "&Tools/Folder &data...\tCtrl+D=32824", "&Tools/System &Tree\tCtrl+T=32810",
    "&Tools/&Select Drive...\tAlt+F1=32833", "&Tools/&Find files...\tCtrl+F=32812", "&Tools/-",
    "&Tools/&Run Command=32938", "&Tools/DOS &Command\tF10=32939", "&Tools/Run &History...\tCtrl+F10=32940",

    "&Help/&Keyboard commands=32864", "&Help/-", "&Help/&What's new?=32863", "&Help/&Features...=32862",
    "&Help/F.A.&Q. ...=32865", "&Help/-", "&Help/&Licence agreement=32866", "&Help/&About Ulvarion...=57664",
};

class MenuTest : public ::testing::Test {
protected:
    MenuTest()
        : frame({store, prompts, keyboard}, {}, test::MakePlaceholderPane)
    {
        frame.resize(800, 500);
    }

    int IdOf(const QAction* action) const
    {
        for (const auto& [id, candidate] : frame.Actions().Actions()) {
            if (candidate == action)
                return id;
        }
        return -1;
    }

    void Walk(const QString& path, const QList<QAction*>& actions, QStringList& lines) const
    {
        for (const QAction* action : actions) {
            if (action->isSeparator())
                lines << path + "-";
            else if (action->menu())
                Walk(path + action->menu()->title() + "/", action->menu()->actions(), lines);
            else
                lines << QStringLiteral("%1%2=%3").arg(path, action->text()).arg(IdOf(action));
        }
    }

    MemorySettingsStore store;
    test::ScriptedPrompts prompts;
    test::FakeKeyboardState keyboard;
    MainFrame frame;
};

TEST_F(MenuTest, EveryItemHasItsTextAndIdInOrder)
{
    QStringList lines;
    Walk(QString(), frame.menuBar()->actions(), lines);
    EXPECT_EQ(lines.size(), kExpectedMenu.size());
    for (qsizetype i = 0; i < std::min(lines.size(), kExpectedMenu.size()); ++i)
        EXPECT_EQ(lines[i], kExpectedMenu[i]) << "line " << i;
}

TEST(MenuKeysTest, KeyTextsBecomeKeySequences)
{
    struct Case {
        const char* text;
        QKeySequence key;
    };
    const Case cases[] = {
        {"&View\tF3", QKeySequence(Qt::Key_F3)},
        {"&Delete\tDel", QKeySequence(Qt::Key_Delete)},
        {"&Select group...\tGrey +", QKeySequence(Qt::KeypadModifier | Qt::Key_Plus)},
        {"&Invert selection\tGrey *", QKeySequence(Qt::KeypadModifier | Qt::Key_Asterisk)},
        {"Like &this one\tAlt + G+", QKeySequence(Qt::AltModifier | Qt::KeypadModifier | Qt::Key_Plus)},
        {"&Parent\tBksp", QKeySequence(Qt::Key_Backspace)},
        {"&Root\tShift+Bksp", QKeySequence(Qt::ShiftModifier | Qt::Key_Backspace)},
        {"Pr&evious\tAlt+ left", QKeySequence(Qt::AltModifier | Qt::Key_Left)},
        {"Docu&ments\t Ctrl+K", QKeySequence(Qt::ControlModifier | Qt::Key_K)},
        {"&Name\tCtrl+Alt+N", QKeySequence(Qt::ControlModifier | Qt::AltModifier | Qt::Key_N)},
        {"S&tore\tCtrl+F11", QKeySequence(Qt::ControlModifier | Qt::Key_F11)},
        {"Paste &Shortcut", QKeySequence()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeyFromMenuText(QString::fromUtf8(c.text)), c.key) << c.text;
    EXPECT_EQ(PlainMenuText("&Copy to...\tF5"), "Copy to...");
}

TEST_F(MenuTest, NoTwoCommandsShareAKey)
{
    QMap<QKeySequence, int> seen;
    for (QAction* action : frame.actions()) {
        for (const QKeySequence& key : action->shortcuts()) {
            EXPECT_FALSE(seen.contains(key)) << key.toString().toStdString();
            seen[key] = 1;
        }
    }
    EXPECT_TRUE(seen.contains(QKeySequence(Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_8)));
    EXPECT_TRUE(seen.contains(QKeySequence(Qt::ControlModifier | Qt::Key_5)));
}

TEST_F(MenuTest, CommandsWithoutHandlersAreDisabled)
{
    frame.Actions().RefreshAll();
    QAction* undo = frame.Actions().Action(cmd::kUndo);
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(undo->statusTip(), "Can't Undo the last action: complaints to mikro$oft please!");
    EXPECT_FALSE(frame.ExecuteCommand(cmd::kUndo));
    for (int id : {cmd::kCopyTo, cmd::kSortByName, cmd::kAbout, cmd::kDriveBar, cmd::kTree, cmd::kThumbBar})
        EXPECT_FALSE(frame.Actions().Action(id)->isEnabled()) << id;
    EXPECT_FALSE(frame.ExecuteCommand(cmd::kTree));

    // The active pane's link takes what it handles.
    EXPECT_TRUE(frame.Actions().Action(cmd::kView)->isEnabled());
    EXPECT_TRUE(frame.ExecuteCommand(cmd::kView));
    EXPECT_EQ(static_cast<test::PlaceholderPane*>(frame.LeftPane())->Runs(), 1);
    frame.ActivatePane(frame.RightPane());
    frame.Actions().Action(cmd::kView)->trigger();
    EXPECT_EQ(static_cast<test::PlaceholderPane*>(frame.RightPane())->Runs(), 1);
}

TEST_F(MenuTest, MenusRefreshTheirStatesWhenTheyOpen)
{
    QMenu* bars = frame.Actions().Menu("&Toolbars");
    ASSERT_NE(bars, nullptr);
    frame.show();
    QAction* toolbar = frame.Actions().Action(cmd::kToolbar);
    frame.Actions().RefreshAll();
    EXPECT_TRUE(toolbar->isChecked());
    frame.ToolBar().hide(); // behind the router's back
    Q_EMIT bars->aboutToShow();
    EXPECT_FALSE(toolbar->isChecked());
    EXPECT_TRUE(toolbar->isEnabled());
}

TEST_F(MenuTest, SuspendedAcceleratorsComeBack)
{
    QAction* view = frame.Actions().Action(cmd::kView);
    frame.SuspendAccelerators(true);
    for (QAction* action : frame.actions())
        EXPECT_TRUE(action->shortcuts().isEmpty());
    frame.SuspendAccelerators(false);
    EXPECT_EQ(view->shortcut(), QKeySequence(Qt::Key_F3));
}

TEST_F(MenuTest, ToolBarHoldsTheCommandsInGroups)
{
    QStringList ids;
    for (QAction* action : frame.ToolBar().actions())
        ids << (action->isSeparator() ? QStringLiteral("|") : QString::number(IdOf(action)));
    EXPECT_EQ(ids.join(' '),
              "32795 32796 32823 32793 | 32797 32798 32800 32970 | 32791 32792 32786 | 32810 32811 32909 | "
              "32771 32876 32802 32840 | 57635 57634 57637 | 59409 59408 59410 59411 | "
              "32777 32778 32779 32780 32890");
    for (QAction* action : frame.ToolBar().actions()) {
        if (action->isSeparator())
            continue;
        EXPECT_FALSE(action->icon().isNull()) << IdOf(action);
        EXPECT_FALSE(action->toolTip().contains('\t'));
    }
    EXPECT_FALSE(frame.ToolBar().isMovable());
    frame.ApplyFlatToolbars(true);
    EXPECT_TRUE(frame.ToolBar().isMovable());
}

} // namespace
} // namespace bivora
