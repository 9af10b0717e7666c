#include "ui/jobs/job_registry.h"

#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace bivora::test {
namespace {

using namespace std::chrono_literals;

// Held by a worker that ignores its stop flag (stuck in a system call) until opened.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    bool entered = false;

    void Pass()
    {
        std::unique_lock lock(mutex);
        entered = true;
        changed.notify_all();
        changed.wait(lock, [this] { return open; });
    }
    void WaitEntered()
    {
        std::unique_lock lock(mutex);
        changed.wait_for(lock, 10s, [this] { return entered; });
    }
    void Open()
    {
        std::lock_guard lock(mutex);
        open = true;
        changed.notify_all();
    }
};

TEST(JobRegistryTest, AJobsEndIsHandledOnTheGuiThreadAndItsThreadJoined)
{
    JobRegistry jobs;
    auto ranOn = std::make_shared<std::thread::id>();
    QThread* endedOn = nullptr;
    const JobRegistry::JobId id = jobs.Start([ranOn](const std::atomic<bool>&) { *ranOn = std::this_thread::get_id(); },
                                             [&] { endedOn = QThread::currentThread(); });
    EXPECT_TRUE(jobs.Has(id));
    ASSERT_TRUE(QTest::qWaitFor([&] { return endedOn != nullptr; }, 10000));
    EXPECT_EQ(endedOn, QThread::currentThread());
    EXPECT_NE(*ranOn, std::this_thread::get_id());
    EXPECT_FALSE(jobs.Has(id));
    EXPECT_EQ(jobs.Count(), 0u);
}

TEST(JobRegistryTest, ShutdownStopsAndJoinsJobsThatListenAndLeavesAStuckOneWithinItsGrace)
{
    auto jobs = std::make_unique<JobRegistry>();
    auto gate = std::make_shared<Gate>();
    // what the stuck worker touches after shutdown it shares
    auto shared = std::make_shared<int>(0);
    bool endHandled = false;
    auto listens = std::make_shared<std::atomic<bool>>(false);
    jobs->Start(
        [listens](const std::atomic<bool>& stop) {
            while (!stop.load())
                std::this_thread::sleep_for(1ms);
            listens->store(true);
        },
        [&] { endHandled = true; });
    jobs->Start([gate, shared](const std::atomic<bool>&) {
        gate->Pass();
        *shared = 7;
    });
    gate->WaitEntered();

    EXPECT_FALSE(jobs->Shutdown(100ms));
    EXPECT_TRUE(listens->load());
    EXPECT_EQ(jobs->Count(), 1u); // the stuck one
    EXPECT_EQ(jobs->Start([](const std::atomic<bool>&) {}), 0u);

    gate->Open();
    jobs.reset(); // waits for what is left
    EXPECT_EQ(*shared, 7);
    QCoreApplication::processEvents();
    EXPECT_FALSE(endHandled); // after shutdown no end reaches the GUI thread
}

} // namespace
} // namespace bivora::test
