#include "base/path_text.h"

#include <gtest/gtest.h>

namespace bivora {
namespace {

TEST(PathText, JoinAndSplitAtTheLastSlash)
{
    EXPECT_EQ(PathJoin("/home/u", "a b"), "/home/u/a b");
    EXPECT_EQ(PathJoin("/", "etc"), "/etc");
    EXPECT_EQ(PathJoin("/x/", "y"), "/x/y");
    EXPECT_EQ(PathJoin("", "y"), "/y");
    EXPECT_EQ(LastComponent("/home/u/a.tar.gz"), "a.tar.gz");
    EXPECT_EQ(LastComponent("/home/u/"), "");
    EXPECT_EQ(LastComponent("name"), "name");
    EXPECT_EQ(ParentPart("/home/u/a"), "/home/u/");
    EXPECT_EQ(ParentPart("/a"), "/");
    EXPECT_EQ(ParentPart("name"), "");
}

} // namespace
} // namespace bivora
