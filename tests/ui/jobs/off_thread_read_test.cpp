#include "ui/jobs/off_thread_read.h"

#include "ui/jobs/job_registry.h"

#include "../pane/pane_fixture.h"

#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace bivora::test {
namespace {

TEST(OffThreadReadTest, EscapeCancelsWhileTheWindowKeepsRunningAndOtherKeysAreSwallowed)
{
    JobRegistry jobs;
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
    auto sawCancel = std::make_shared<std::atomic<bool>>(false);
    const bool finished = RunOffGuiThread(
        jobs,
        [sawCancel](const std::atomic<bool>& cancel) {
            while (!cancel.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            sawCancel->store(true);
        },
        {&status, QStringLiteral("Reading folder..."), 100});

    EXPECT_FALSE(finished);
    EXPECT_TRUE(sawCancel->load());
    EXPECT_GT(ticks, 10);
    EXPECT_EQ(keysSeen, 0);
    ASSERT_EQ(status.progress.size(), 1u);
    EXPECT_EQ(status.progress.front(), QStringLiteral("Reading folder... (ESC to abort)"));
    EXPECT_EQ(status.progressHidden, 1);
    EXPECT_EQ(jobs.Count(), 0u);
}

TEST(OffThreadReadTest, AFastReadShowsNoProgressAndReportsItsEnd)
{
    JobRegistry jobs;
    RecordingStatus status;
    auto value = std::make_shared<int>(0);
    EXPECT_TRUE(RunOffGuiThread(jobs, [value](const std::atomic<bool>&) { *value = 42; },
                                {&status, QStringLiteral("Reading folder..."), 300}));
    EXPECT_EQ(*value, 42);
    EXPECT_TRUE(status.progress.empty());
}

// A worker that ignores its stop flag, as one stuck in a system call does, until released.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;

    void Wait()
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return open; });
    }
    void Open()
    {
        std::lock_guard lock(mutex);
        open = true;
        changed.notify_all();
    }
};

TEST(OffThreadReadTest, AStuckWorkerIsNoLongerWaitedForAfterEscapeAndStaysRegistered)
{
    JobRegistry jobs;
    RecordingStatus status;
    auto gate = std::make_shared<Gate>();
    QWidget window;
    window.show();
    QTimer::singleShot(30, [&] { QTest::keyClick(&window, Qt::Key_Escape); });
    const bool finished = RunOffGuiThread(
        jobs, [gate](const std::atomic<bool>&) { gate->Wait(); }, {&status, QStringLiteral("Reading folder..."), 300});
    EXPECT_FALSE(finished);
    EXPECT_EQ(jobs.Count(), 1u);
    gate->Open();
    EXPECT_TRUE(QTest::qWaitFor([&] { return jobs.Count() == 0; }, 10000));
}

TEST(OffThreadReadTest, ACloseRequestStopsTheReadAndReachesTheWindowAfterIt)
{
    JobRegistry jobs;
    RecordingStatus status;
    QWidget window;
    window.show();
    int closeEventsSeen = 0;
    struct Counter : QObject {
        int& seen;
        explicit Counter(int& s) : seen(s) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Close)
                ++seen;
            return false;
        }
    } counter(closeEventsSeen);
    window.installEventFilter(&counter);
    QTimer::singleShot(30, &window, [&] { window.close(); });
    const bool finished = RunOffGuiThread(
        jobs,
        [](const std::atomic<bool>& stop) {
            while (!stop.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        },
        {&status, QStringLiteral("Reading folder..."), 300});
    EXPECT_FALSE(finished);
    // held back during the read, handed on once after it
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(closeEventsSeen, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 5000));
    EXPECT_EQ(closeEventsSeen, 1);
}

} // namespace
} // namespace bivora::test
