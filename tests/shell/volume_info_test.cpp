#include "shell/volume_info.h"

#include "temp_tree.h"

#include <gtest/gtest.h>

#include <sys/statvfs.h>

namespace bivora {
namespace {

TEST(FreeSpace, AnswersForAFolderAndFailsForNothing)
{
    test::TempTree tree;
    const auto free = FreeSpace(tree.Root());
    ASSERT_TRUE(free);
    struct statvfs info {};
    ASSERT_EQ(::statvfs(tree.Root().c_str(), &info), 0);
    // The volume's size bounds what is free.
    EXPECT_LE(*free, static_cast<std::uint64_t>(info.f_blocks) * info.f_frsize);
    EXPECT_FALSE(FreeSpace(tree.Path("no/such/folder")));
}

TEST(VolumeFreeSpace, OneVolumeForFoldersOfOneFileSystem)
{
    test::TempTree tree;
    const auto root = VolumeFreeSpace(tree.Root());
    const auto sub = VolumeFreeSpace(tree.MakeDir("sub"));
    const auto proc = VolumeFreeSpace("/proc");
    ASSERT_TRUE(root && sub && proc);
    EXPECT_EQ(root->volume, sub->volume);
    EXPECT_NE(root->volume, proc->volume);
    EXPECT_FALSE(VolumeFreeSpace(tree.Path("no/such/folder")));
}

} // namespace
} // namespace bivora
