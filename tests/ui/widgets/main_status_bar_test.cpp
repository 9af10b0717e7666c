#include "ui/jobs/long_operation.h"
#include "ui/widgets/main_status_bar.h"

#include "../test_services.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QProgressBar>
#include <QTest>

#include <gtest/gtest.h>

namespace bivora {
namespace {

class StatusBarTest : public ::testing::Test {
protected:
    StatusBarTest()
    {
        bar = new MainStatusBar(prompts, &window);
        window.setStatusBar(bar);
        window.setCentralWidget(edit = new QLineEdit(&window));
        window.resize(700, 300);
        bar->SetBeep([this] { ++beeps; });
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    // Waits until the message pane shows "Ready" again; the time it took in ms, or -1.
    qint64 MillisecondsUntilReady(int limit)
    {
        QElapsedTimer clock;
        clock.start();
        while (bar->MessageText() != QStringLiteral("Ready")) {
            if (clock.elapsed() > limit)
                return -1;
            QTest::qWait(5);
        }
        return clock.elapsed();
    }

    test::ScriptedPrompts prompts;
    QMainWindow window;
    MainStatusBar* bar = nullptr;
    QLineEdit* edit = nullptr;
    int beeps = 0;
};

TEST_F(StatusBarTest, MessageShowsForItsTimeThenReady)
{
    EXPECT_EQ(bar->MessageText(), "Ready");
    EXPECT_EQ(bar->MessageTime(), 5000);
    bar->SetMessageTime(60);
    bar->ShowStatusMessage("Copied 3 files");
    EXPECT_EQ(bar->MessageText(), "Copied 3 files");
    EXPECT_EQ(beeps, 0);
    EXPECT_GE(MillisecondsUntilReady(2000), 50);
    EXPECT_FALSE(bar->IsMessageTimerRunning());

    bar->ShowStatusMessage(QString());
    EXPECT_EQ(bar->MessageText(), "Ready");
    bar->ShowStatusMessage("Nothing to do", true);
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(prompts.Log().empty());
}

TEST_F(StatusBarTest, SecondMessageGetsAFullTimeOfItsOwn)
{
    bar->SetMessageTime(300);
    bar->ShowStatusMessage("first");
    QTest::qWait(200);
    bar->ShowStatusMessage("second");
    QTest::qWait(200);
    // 400 ms after the first message: the first timer would have ended by now.
    EXPECT_EQ(bar->MessageText(), "second");
    EXPECT_GT(MillisecondsUntilReady(2000), 0);
}

TEST_F(StatusBarTest, HiddenBarTurnsAlertsIntoMessageBoxesAndDropsQuietMessages)
{
    bar->hide();
    bar->ShowStatusMessage("quiet");
    bar->ShowStatusMessage("Access denied", true);
    EXPECT_EQ(prompts.Texts(test::ScriptedPrompts::Kind::Message), QStringList{"Access denied"});
    EXPECT_EQ(prompts.Log().front().icon, Prompts::Icon::Exclamation);
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(bar->MessageText(), "Ready");
    EXPECT_FALSE(bar->IsMessageTimerRunning());
}

TEST_F(StatusBarTest, ProgressSitsOverTheMessagePaneAfterItsText)
{
    const QString text = QStringLiteral("Comparing contents... (ESC to abort)");
    bar->ShowProgress(text);
    QProgressBar* progress = bar->ProgressBar();
    ASSERT_FALSE(progress->isHidden());
    EXPECT_EQ(bar->MessageText(), text);
    const QRect pane = bar->MessagePaneRect();
    const QRect rect = progress->geometry();
    EXPECT_EQ(rect.top(), pane.top() + 1);
    EXPECT_EQ(rect.bottom(), pane.bottom() - 1);
    EXPECT_EQ(rect.left(), pane.left() + bar->fontMetrics().horizontalAdvance(text) + 10);
    EXPECT_LE(rect.right(), pane.right());
    EXPECT_LE(rect.width(), pane.width() * 40 / 100);
    EXPECT_GT(rect.width(), 0);
    EXPECT_EQ(progress->value(), 0);

    bar->StepProgress();
    bar->StepProgress();
    EXPECT_EQ(progress->value(), 20);
    bar->HideProgress();
    EXPECT_TRUE(progress->isHidden());
    EXPECT_EQ(bar->MessageText(), "Ready");

    // A text wider than the pane leaves no room: the bar is cut at the pane's edge.
    bar->ShowProgress(QString(400, u'W'));
    EXPECT_LE(bar->ProgressBar()->geometry().right(), bar->MessagePaneRect().right());
    bar->HideProgress();
}

TEST_F(StatusBarTest, MenuPromptCoversTheBarUntilTheMenuCloses)
{
    bar->SetPaneStatusText("3 objects");
    bar->ShowStatusMessage("before");
    bar->ShowMenuPrompt("Can't Undo");
    EXPECT_EQ(bar->MessageText(), "Can't Undo");
    EXPECT_TRUE(bar->PaneStatusLabel()->isHidden());
    bar->ShowMenuPrompt(QString());
    EXPECT_EQ(bar->MessageText(), "");
    bar->EndMenuPrompt();
    EXPECT_EQ(bar->MessageText(), "before");
    EXPECT_FALSE(bar->PaneStatusLabel()->isHidden());
    EXPECT_EQ(bar->PaneStatusText(), "3 objects");
    EXPECT_GE(bar->PaneStatusLabel()->width(),
              bar->fontMetrics().horizontalAdvance("Selected object: 9,999,999,999 bytes, Modified 99/99/99 99:99:99"));
}

// Work items that post a key before each check, as if typed during the work.
int RunUntilCancelled(StatusService& status, QWidget* receiver, int items, int escapeAt)
{
    LongOperation operation(status, "Searching... (ESC to abort)", static_cast<std::size_t>(items));
    EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
    for (int i = 0; i < items; ++i) {
        const int key = i == escapeAt ? Qt::Key_Escape : Qt::Key_A;
        QCoreApplication::postEvent(receiver, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier,
                                                            key == Qt::Key_A ? QStringLiteral("a") : QString()));
        operation.ItemDone();
        if (operation.Cancelled())
            return i;
    }
    return items;
}

TEST_F(StatusBarTest, EscapeStopsALongOperationAndOtherKeysAreSwallowed)
{
    edit->setFocus();
    EXPECT_EQ(RunUntilCancelled(*bar, edit, 50, 7), 7);
    EXPECT_EQ(edit->text(), ""); // the "a" keys never reached the field
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(bar->ProgressBar()->isHidden());
    EXPECT_EQ(bar->MessageText(), "Ready");

    // Afterwards keys reach the window again.
    QTest::keyClick(edit, Qt::Key_B);
    EXPECT_EQ(edit->text(), "b");
}

TEST_F(StatusBarTest, EscapeStopsEvenWithTheStatusBarHidden)
{
    bar->hide();
    EXPECT_EQ(RunUntilCancelled(*bar, edit, 20, 3), 3);
    EXPECT_TRUE(bar->ProgressBar()->isHidden());
}

TEST_F(StatusBarTest, ProgressAdvancesOneStepPerTenthOfTheWork)
{
    for (int items : {4, 30, 7}) {
        LongOperation operation(*bar, "Reading... (ESC to abort)", static_cast<std::size_t>(items));
        ASSERT_FALSE(bar->ProgressBar()->isHidden());
        for (int i = 0; i < items; ++i) {
            operation.ItemDone();
            // Never ahead of the work done.
            EXPECT_LE(bar->ProgressBar()->value(), (i + 1) * 100 / items) << items << " items";
        }
        EXPECT_GE(bar->ProgressBar()->value(), 90) << items << " items";
    }
}

} // namespace
} // namespace bivora
