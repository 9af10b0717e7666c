#include "base/path_text.h"

#include <gtest/gtest.h>

namespace bivora {
namespace {

TEST(PathText, JoinPutsOneSlashBetween)
{
    EXPECT_EQ(PathJoin("/home/u", "a b"), "/home/u/a b");
    EXPECT_EQ(PathJoin("/", "etc"), "/etc");
    EXPECT_EQ(PathJoin("/x/", "y"), "/x/y");
    EXPECT_EQ(PathJoin("", "y"), "/y");
}

TEST(PathText, SplitIntoFolderAndLastComponent)
{
    struct Case {
        const char* path;
        const char* parent;
        const char* last;
    };
    const Case cases[] = {
        {"/home/u/a.tar.gz", "/home/u", "a.tar.gz"},
        {"/home/u/", "/home", "u"},         // a slash at the end names the same folder
        {"/home//u//", "/home", "u"},
        {"/a", "/", "a"},
        {"/", "/", "/"},                      // the root lies in itself
        {"//", "/", "/"},
        {"name", "", "name"},                 // no folder part
        {"dir/name", "dir", "name"},
        {"", "", ""},
        {"/w\xff rk/n\xfe", "/w\xff rk", "n\xfe"}, // bytes, not UTF-8
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ParentFolder(c.path), c.parent);
        EXPECT_EQ(LastComponent(c.path), c.last);
    }
}

} // namespace
} // namespace bivora
