#include "ui/platform/free_space_cache.h"

#include "ui/jobs/job_registry.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <condition_variable>
#include <map>
#include <mutex>

namespace bivora {
namespace {

// A reader that answers from a table the test fills, records what it was asked, and
// can be held, as a dead mount would hold it.
class FakeVolumes {
public:
    std::optional<VolumeSpace> Read(const std::string& path)
    {
        std::unique_lock lock(m_mutex);
        m_asked.push_back(path);
        m_released.wait(lock, [this] { return !m_held; });
        const auto found = m_table.find(path);
        return found == m_table.end() ? std::nullopt : std::optional<VolumeSpace>(found->second);
    }
    void Set(const std::string& path, std::uint64_t volume, std::uint64_t freeBytes)
    {
        std::lock_guard lock(m_mutex);
        m_table[path] = VolumeSpace{volume, freeBytes};
    }
    void Remove(const std::string& path)
    {
        std::lock_guard lock(m_mutex);
        m_table.erase(path);
    }
    void Hold(bool held)
    {
        {
            std::lock_guard lock(m_mutex);
            m_held = held;
        }
        m_released.notify_all();
    }
    std::vector<std::string> Asked()
    {
        std::lock_guard lock(m_mutex);
        return m_asked;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_released;
    std::map<std::string, VolumeSpace> m_table;
    std::vector<std::string> m_asked;
    bool m_held = false;
};

using Paths = std::vector<std::string>;

TEST(FreeSpaceCache, NeverWaitsForTheDiskAndKeepsOneValuePerVolume)
{
    FakeVolumes volumes;
    volumes.Set("/a", 1, 100);
    volumes.Set("/a/sub", 1, 90);
    volumes.Set("/b", 2, 500);
    JobRegistry jobs;
    FreeSpaceCache cache(jobs, nullptr, std::chrono::hours(1),
                         [&volumes](const std::string& path) { return volumes.Read(path); });
    QSignalSpy arrived(&cache, &FreeSpaceCache::Arrived);

    // a held read: the answer is "not known yet" at once
    volumes.Hold(true);
    EXPECT_EQ(cache.FreeSpace("/a"), std::nullopt);
    EXPECT_EQ(cache.FreeSpace("/a"), std::nullopt);
    volumes.Hold(false);
    ASSERT_TRUE(arrived.wait(5000));
    EXPECT_EQ(cache.FreeSpace("/a"), 100u);

    // another folder of the volume brings a newer value for the whole volume; the
    // fresh "/a" is not read again (the worker is serial: a read of it would come first)
    EXPECT_EQ(cache.FreeSpace("/a/sub"), std::nullopt);
    EXPECT_EQ(cache.FreeSpace("/b"), std::nullopt);
    ASSERT_TRUE(QTest::qWaitFor([&] { return arrived.count() == 3; }, 5000));
    EXPECT_EQ(volumes.Asked(), (Paths{"/a", "/a/sub", "/b"}));
    EXPECT_EQ(cache.FreeSpace("/a"), 90u);
    EXPECT_EQ(cache.FreeSpace("/b"), 500u);
}

TEST(FreeSpaceCache, AnOldValueIsShownWhileItIsReadAgain)
{
    FakeVolumes volumes;
    volumes.Set("/a", 1, 100);
    JobRegistry jobs;
    FreeSpaceCache cache(jobs, nullptr, std::chrono::milliseconds(0),
                         [&volumes](const std::string& path) { return volumes.Read(path); });
    QSignalSpy arrived(&cache, &FreeSpaceCache::Arrived);
    cache.FreeSpace("/a");
    ASSERT_TRUE(arrived.wait(5000));

    volumes.Set("/a", 1, 70);
    EXPECT_EQ(cache.FreeSpace("/a"), 100u);
    ASSERT_TRUE(arrived.wait(5000));
    volumes.Hold(true);
    EXPECT_EQ(cache.FreeSpace("/a"), 70u);

    // a folder that went: no value rather than the old one
    volumes.Remove("/a");
    volumes.Hold(false);
    ASSERT_TRUE(arrived.wait(5000));
    EXPECT_EQ(cache.FreeSpace("/a"), std::nullopt);
}

} // namespace
} // namespace bivora
