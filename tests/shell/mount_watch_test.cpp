#include "shell/mount_watch.h"

#include "temp_tree.h"

#include <gtest/gtest.h>

#include <future>

namespace bivora::test {
namespace {

// A table that cannot report changes (a plain file, or none at all) still wakes the
// waiter for a re-read and for the stop, from another thread; once stopped it stays so.
TEST(MountTableWatch, PokeAndStopWakeTheWaiterWhateverTheTable)
{
    TempTree tree;
    for (const std::string& table : {tree.MakeFile("mountinfo", "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"),
                                     tree.Path("no-such-table"), std::string("/proc/self/mountinfo")}) {
        MountTableWatch watch(table);
        EXPECT_EQ(watch.Error() != 0, table == tree.Path("no-such-table")) << table;
        auto waited = std::async(std::launch::async, [&] { return watch.Wait(); });
        watch.Poke();
        ASSERT_EQ(waited.wait_for(std::chrono::seconds(10)), std::future_status::ready) << table;
        EXPECT_EQ(waited.get(), MountTableWatch::Wake::Poked) << table;

        waited = std::async(std::launch::async, [&] { return watch.Wait(); });
        watch.Stop();
        ASSERT_EQ(waited.wait_for(std::chrono::seconds(10)), std::future_status::ready) << table;
        EXPECT_EQ(waited.get(), MountTableWatch::Wake::Stopped) << table;
        EXPECT_EQ(watch.Wait(), MountTableWatch::Wake::Stopped) << table;
    }
}

} // namespace
} // namespace bivora::test
