#include "ui/jobs/off_thread_read.h"

#include "pane_fixture.h"

#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <thread>

namespace bivora::test {
namespace {

TEST(OffThreadReadTest, EscapeCancelsWhileTheWindowKeepsRunningAndOtherKeysAreSwallowed)
{
    RecordingStatus status;
    QWidget window;
    window.show();
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(5);
    int keysSeen = 0;
    struct Counter : QObject {
        int& seen;
        explicit Counter(int& s) : seen(s) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::KeyPress)
                ++seen;
            return false;
        }
    } counter(keysSeen);
    window.installEventFilter(&counter);

    QTimer::singleShot(60, [&] { QTest::keyClick(&window, Qt::Key_A); });
    QTimer::singleShot(450, [&] { QTest::keyClick(&window, Qt::Key_Escape); });
    bool sawCancel = false;
    const bool finished = RunOffGuiThread(
        [&sawCancel](const std::atomic<bool>& cancel) {
            while (!cancel.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            sawCancel = true;
        },
        {&status, QStringLiteral("Reading folder..."), 100, false});

    EXPECT_FALSE(finished);
    EXPECT_TRUE(sawCancel);
    EXPECT_GT(ticks, 10);
    EXPECT_EQ(keysSeen, 0);
    ASSERT_EQ(status.progress.size(), 1u);
    EXPECT_EQ(status.progress.front(), QStringLiteral("Reading folder... (ESC to abort)"));
    EXPECT_EQ(status.progressHidden, 1);
}

TEST(OffThreadReadTest, AFastReadShowsNoProgressAndReportsItsEnd)
{
    RecordingStatus status;
    int value = 0;
    EXPECT_TRUE(RunOffGuiThread([&value](const std::atomic<bool>&) { value = 42; },
                                {&status, QStringLiteral("Reading folder..."), 300, false}));
    EXPECT_EQ(value, 42);
    EXPECT_TRUE(status.progress.empty());
}

TEST(OffThreadReadTest, AWorkerThatIgnoresEscapeIsLeftBehindWhenAllowed)
{
    RecordingStatus status;
    auto release = std::make_shared<std::atomic<bool>>(false);
    QWidget window;
    window.show();
    QTimer::singleShot(30, [&] { QTest::keyClick(&window, Qt::Key_Escape); });
    const auto start = std::chrono::steady_clock::now();
    const bool finished = RunOffGuiThread(
        [release](const std::atomic<bool>&) {
            while (!release->load())
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        },
        {&status, QStringLiteral("Reading folder..."), 300, true});
    const auto waited = std::chrono::steady_clock::now() - start;
    release->store(true);
    EXPECT_FALSE(finished);
    EXPECT_LT(waited, std::chrono::seconds(3));
    // the abandoned worker ends on its own and reports to nobody
    QTest::qWait(50);
}

} // namespace
} // namespace bivora::test
