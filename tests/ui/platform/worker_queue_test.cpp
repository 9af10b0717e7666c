#include "ui/jobs/job_registry.h"
#include "ui/platform/desktop_apps.h"
#include "ui/platform/free_space_cache.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace bivora {
namespace {

// A call that blocks until released, as a read on a dead mount does; it gives up after
// a long while only so that a failing test ends.
class Gate {
public:
    void Block()
    {
        std::unique_lock lock(m_mutex);
        m_entered = true;
        m_changed.notify_all();
        m_gaveUp = !m_changed.wait_for(lock, std::chrono::seconds(30), [this] { return m_released; });
    }
    bool WaitEntered()
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10), [this] { return m_entered; });
    }
    void Release()
    {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }
    bool GaveUp()
    {
        std::lock_guard lock(m_mutex);
        return m_gaveUp;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_entered = false;
    bool m_released = false;
    bool m_gaveUp = false;
};

// An owner of a queue worker, made with a look-up that blocks on the gate and asked
// for something so that its worker sits in that look-up.
struct Owner {
    const char* name;
    std::function<std::unique_ptr<QObject>(JobStarter& jobs, const std::shared_ptr<Gate>& gate)> make;
};

const Owner kOwners[] = {
    {"free space",
     [](JobStarter& jobs, const std::shared_ptr<Gate>& gate) -> std::unique_ptr<QObject> {
         auto cache = std::make_unique<FreeSpaceCache>(jobs, nullptr, std::chrono::seconds(5),
                                                       [gate](const std::string&) {
                                                           gate->Block();
                                                           return std::optional<VolumeSpace>(VolumeSpace{1, 100});
                                                       });
         cache->FreeSpace("/mnt/dead");
         return cache;
     }},
    {"applications",
     [](JobStarter& jobs, const std::shared_ptr<Gate>& gate) -> std::unique_ptr<QObject> {
         auto database = std::make_unique<DesktopAppDatabase>(jobs, [gate](const std::string&) {
             gate->Block();
             return std::vector<DesktopEntry>{{"view.desktop", "/apps/view.desktop", "Viewer", "view %f", {}, {}, false}};
         });
         database->Request({"text/plain", "image/png"});
         return database;
     }},
};

// The owner goes at once although its worker is stuck; the registry's shutdown reports
// the worker, and once released it ends and is joined without reaching the owner (the
// sanitizer build sees any touch of it).
TEST(StuckQueueWorker, OwnerGoesAtOnceAndTheRegistryKeepsTheWorker)
{
    for (const Owner& owner : kOwners) {
        SCOPED_TRACE(owner.name);
        JobRegistry jobs;
        const auto gate = std::make_shared<Gate>();
        std::unique_ptr<QObject> made = owner.make(jobs, gate);
        ASSERT_TRUE(gate->WaitEntered());
        made.reset();
        EXPECT_FALSE(gate->GaveUp()) << "the owner waited for its stuck worker";
        EXPECT_EQ(jobs.Count(), 1u);
        EXPECT_FALSE(jobs.Shutdown(std::chrono::milliseconds(50))) << "the stuck worker is reported";
        gate->Release();
        EXPECT_TRUE(jobs.Shutdown(std::chrono::seconds(10))) << "the released worker ends and is joined";
        QCoreApplication::processEvents();
    }
}

} // namespace
} // namespace bivora
