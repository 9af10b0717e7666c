#include "ui/drives/drive_watch.h"

#include "../app/app_test_support.h"
#include "../../shell/temp_tree.h"
#include "ui/jobs/job_registry.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

namespace bivora::test {
namespace {

// A mount table read the test holds like a dead mount, and whose answer it sets.
struct HeldReads {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = true;
    int reads = 0;
    std::vector<std::string> mounts{"/"};

    DriveWatch::Reader Reader(const std::shared_ptr<HeldReads>& self)
    {
        return [self] {
            std::unique_lock lock(self->mutex);
            ++self->reads;
            self->changed.notify_all();
            // the table is read first, then the mount points are looked at (and hang)
            const std::vector<std::string> mounts = self->mounts;
            // the deadline only keeps a broken test from hanging the suite
            self->changed.wait_for(lock, std::chrono::seconds(20), [&] { return self->open; });
            std::vector<Drive> drives;
            for (const std::string& mount : mounts)
                drives.push_back(Drive{mount, "", "ext4", "", 0, false, false});
            return drives;
        };
    }
    bool WaitReads(int count)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), [&] { return reads >= count; });
    }
    void Set(bool isOpen, std::vector<std::string> now = {})
    {
        std::lock_guard lock(mutex);
        open = isOpen;
        if (!now.empty())
            mounts = std::move(now);
        changed.notify_all();
    }
};

std::vector<std::string> Mounts(const DriveWatch& watch)
{
    std::vector<std::string> mounts;
    for (const Drive& drive : watch.Drives())
        mounts.push_back(drive.mountPath);
    return mounts;
}

// A change reported while the table is being read is not lost: the read that follows
// it gives the list, and only a list that differs is announced.
TEST(DriveWatch, AChangeDuringAReadIsReadAgainAndOnlyNewListsAreAnnounced)
{
    TempTree tree;
    JobRegistry jobs;
    auto held = std::make_shared<HeldReads>();
    held->Set(false);
    DriveWatch watch(jobs, tree.MakeFile("mountinfo"), held->Reader(held));
    QSignalSpy announced(&watch, &DriveWatch::DrivesChanged);
    ASSERT_TRUE(held->WaitReads(1));
    EXPECT_FALSE(watch.Ready());

    // the table changes while the first read is under way
    watch.Reread();
    held->Set(true, {"/", "/mnt/usb"});
    ASSERT_TRUE(testing::WaitUntil([&] { return Mounts(watch) == std::vector<std::string>{"/", "/mnt/usb"}; }));
    EXPECT_TRUE(watch.Ready());
    ASSERT_TRUE(held->WaitReads(2));
    const int announcedBefore = announced.count();

    // a re-read giving the same list says nothing; a later change does
    watch.Reread();
    ASSERT_TRUE(held->WaitReads(3));
    held->Set(true, {"/"});
    watch.Reread();
    ASSERT_TRUE(testing::WaitUntil([&] { return Mounts(watch) == std::vector<std::string>{"/"}; }));
    EXPECT_EQ(announced.count(), announcedBefore + 1);
}

// A read stuck on a dead mount holds up neither the window nor the watch's owner: the
// watch goes at once, its late answer is dropped, and the registry joins the job once
// the read returns.
TEST(DriveWatch, AStuckReadNeitherBlocksNorOutlivesItsAnswer)
{
    TempTree tree;
    JobRegistry jobs;
    auto held = std::make_shared<HeldReads>();
    held->Set(false);
    {
        DriveWatch watch(jobs, tree.MakeFile("mountinfo"), held->Reader(held));
        ASSERT_TRUE(held->WaitReads(1));
        EXPECT_FALSE(watch.Ready());
        EXPECT_TRUE(watch.Drives().empty());
    }
    EXPECT_EQ(jobs.Count(), 1u);
    held->Set(true);
    EXPECT_TRUE(testing::WaitUntil([&] { return jobs.Count() == 0; }));
}

} // namespace
} // namespace bivora::test
