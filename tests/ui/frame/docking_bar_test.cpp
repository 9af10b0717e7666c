#include "base/size_bar.h"
#include "ui/commands/command_ids.h"
#include "ui/frame/docking_bar.h"
#include "ui/frame/main_frame.h"
#include "ui/widgets/input_dlg.h"

#include "../test_services.h"
#include "placeholder_pane.h"
#include "../wait_until.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace bivora {
namespace {

class DockingBarTest : public ::testing::Test {
protected:
    // A frame as the program makes it: the panes, then the tree and thumbnail bars.
    std::unique_ptr<MainFrame> Open()
    {
        auto frame = std::make_unique<MainFrame>(FrameServices{store, prompts, keyboard}, FrameOptions(),
                                                 test::MakePlaceholderPane);
        frame->resize(900, 700);
        frame->AddDockingBar(bar::kTreeBar, QStringLiteral("Folders"), new QLabel(QStringLiteral("tree")));
        frame->AddDockingBar(bar::kThumbBar, QStringLiteral("ThumbBar"), new QLabel(QStringLiteral("thumb")));
        frame->SetThumbnailsAvailable(true);
        frame->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        return frame;
    }

    static DockingBar& Tree(const MainFrame& frame) { return *frame.DockingBarOf(bar::kTreeBar); }
    static DockingBar& Thumbs(const MainFrame& frame) { return *frame.DockingBarOf(bar::kThumbBar); }

    MemorySettingsStore store;
    test::ScriptedPrompts prompts;
    test::FakeKeyboardState keyboard;
};

TEST_F(DockingBarTest, FirstStartHidesTheBarsAndTheirCommandsShowThemAtTheDefaultSize)
{
    auto frame = Open();
    DockingBar& tree = Tree(*frame);
    EXPECT_TRUE(tree.isHidden());
    EXPECT_TRUE(Thumbs(*frame).isHidden());
    EXPECT_FALSE(frame->UpdateCommand(cmd::kTree).checked);

    frame->ExecuteCommand(cmd::kTree);
    EXPECT_TRUE(frame->UpdateCommand(cmd::kTree).checked);
    EXPECT_EQ(tree.CurrentStand(), DockingBar::Stand::Vertical);
    WAIT_EQ(tree.width(), 200, 5000);

    // The close button hides it; the command brings it back.
    auto* close = tree.findChild<QAbstractButton*>(QStringLiteral("qt_dockwidget_closebutton"));
    ASSERT_NE(close, nullptr);
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_TRUE(tree.isHidden());
    EXPECT_FALSE(frame->UpdateCommand(cmd::kTree).checked);
    frame->ExecuteCommand(cmd::kTree);
    EXPECT_TRUE(tree.isVisible());

    // The thumbnail bar's command reaches its docking bar.
    frame->ExecuteCommand(cmd::kThumbBar);
    EXPECT_TRUE(Thumbs(*frame).isVisible());
    frame->ExecuteCommand(cmd::kThumbBar);
    EXPECT_TRUE(Thumbs(*frame).isHidden());
}

TEST_F(DockingBarTest, SizesTheUserGivesComeBackAfterARestart)
{
    {
        auto frame = Open();
        frame->ExecuteCommand(cmd::kTree);
        frame->ExecuteCommand(cmd::kThumbBar);
        DockingBar& tree = Tree(*frame);
        DockingBar& thumbs = Thumbs(*frame);
        // both share the left column
        EXPECT_EQ(frame->dockWidgetArea(&thumbs), Qt::LeftDockWidgetArea);
        // what dragging the column's edge does
        WAIT_EQ(tree.width(), 200, 5000);
        WAIT_UNTIL(tree.Settled(), 5000);
        frame->resizeDocks({&tree}, {260}, Qt::Horizontal);
        WAIT_EQ(tree.Sizes().vertical.width, 260, 5000);
        // a floating bar keeps a size of its own
        thumbs.setFloating(true);
        WAIT_EQ(thumbs.size(), QSize(200, 200), 5000);
        WAIT_UNTIL(thumbs.Settled(), 5000);
        thumbs.resize(320, 240);
        WAIT_EQ(thumbs.Sizes().floating, (BarSize{320, 240}), 5000);
        EXPECT_EQ(thumbs.Sizes().vertical.width, 260); // the column it left
        frame->close();
    }
    const std::string storedTree = store.GetString(MainFrame::kSection, "SizeBar E809");
    EXPECT_EQ(SizeBarFromText(BarSizes(), storedTree).vertical.width, 260) << storedTree;
    const std::string storedThumbs = store.GetString(MainFrame::kSection, "SizeBar E80B");
    EXPECT_EQ(SizeBarFromText(BarSizes(), storedThumbs).floating, (BarSize{320, 240})) << storedThumbs;

    auto again = Open();
    DockingBar& tree = Tree(*again);
    DockingBar& thumbs = Thumbs(*again);
    EXPECT_TRUE(tree.isVisible());
    EXPECT_TRUE(thumbs.isFloating());
    WAIT_EQ(tree.width(), 260, 5000);
    WAIT_EQ(thumbs.size(), QSize(320, 240), 5000);
}

TEST_F(DockingBarTest, StoredSizesCountOnlyFromAVersionedStoreAndByThePairRule)
{
    // vertical width 5 is below the minimum: that pair keeps the default
    store.WriteString(MainFrame::kSection, "SizeBar E809", "500,150,5,600,310,320");
    {
        auto frame = Open();
        EXPECT_EQ(Tree(*frame).Sizes(), BarSizes()); // no version stored: nothing read
    }
    store.WriteInt(MainFrame::kSection, "nToolbarsVersion", 1);
    auto frame = Open();
    const BarSizes& sizes = Tree(*frame).Sizes();
    EXPECT_EQ(sizes.horizontal, (BarSize{500, 150}));
    EXPECT_EQ(sizes.vertical, BarSizes().vertical);
    EXPECT_EQ(sizes.floating, (BarSize{310, 320}));
}

TEST_F(DockingBarTest, LayoutsCarryTheBarSizesAndStayBelowTheStateBound)
{
    auto frame = Open();
    frame->ExecuteCommand(cmd::kTree);
    frame->ExecuteCommand(cmd::kThumbBar);
    DockingBar& tree = Tree(*frame);
    WAIT_EQ(tree.width(), 200, 5000);
    WAIT_UNTIL(tree.Settled(), 5000);
    frame->resizeDocks({&tree}, {240}, Qt::Horizontal);
    WAIT_EQ(tree.Sizes().vertical.width, 240, 5000);
    Thumbs(*frame).setFloating(true);

    keyboard.SetModifiers(Qt::ShiftModifier);
    prompts.AnswerDialog([](QDialog& dialog) {
        static_cast<InputDlg&>(dialog).SetText(QStringLiteral("Bars"));
        return int(QDialog::Accepted);
    });
    frame->ExecuteCommand(cmd::kLayout1);
    keyboard.SetModifiers(Qt::NoModifier);
    ASSERT_TRUE(frame->Layouts().IsDefined(1));
    const StoredLayout& layout = *frame->Layouts().Get(1);
    EXPECT_LT(layout.dockState.size(), LayoutRecord::kMaxDockStateSize);
    EXPECT_EQ(layout.record.treeBarSizes[4], 240);

    WAIT_UNTIL(tree.Settled(), 5000);

    frame->resizeDocks({&tree}, {300}, Qt::Horizontal);
    WAIT_EQ(tree.Sizes().vertical.width, 300, 5000);
    Thumbs(*frame).setFloating(false);
    frame->ExecuteCommand(cmd::kLayout1);
    WAIT_EQ(tree.width(), 240, 5000);
    EXPECT_TRUE(Thumbs(*frame).isFloating());

    frame->close();
    const auto state = store.ReadBinary(MainFrame::kSection, "BarState");
    ASSERT_TRUE(state);
    EXPECT_LT(state->size(), LayoutRecord::kMaxDockStateSize);
}

} // namespace
} // namespace bivora
