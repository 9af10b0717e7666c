#include "shell/process_start.h"

#include "temp_tree.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/wait.h>
#include <unistd.h>

namespace bivora {
namespace {

using test::AppearsSoon;
using test::TempTree;

// Every byte but NUL and "/" is legal in a name; none may change on the way.
TEST(ProcessStart, ProgramGetsTheExactBytesInItsWorkingFolder)
{
    TempTree tree;
    const std::string folder = tree.MakeDir("w\xff rk $HOME");
    const std::string odd = "a\xff\xfe b'\"$x`\\%d\n";
    ASSERT_TRUE(StartDetachedProcess("touch", {odd, "plain"}, folder));
    EXPECT_TRUE(AppearsSoon(folder + "/" + odd)) << "file with the exact name in the working folder";
    EXPECT_TRUE(AppearsSoon(folder + "/plain"));
    // detached: the program is not this process's child, so there is nothing to wait for
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST(ProcessStart, FailureToStartComesBackWithItsErrno)
{
    TempTree tree;
    const std::string text = tree.MakeFile("not-a-program", "text");
    test::SetMode(text, 0644);
    EXPECT_EQ(StartDetachedProcess("bivora-no-such-program", {}, tree.Root()).Error(), ENOENT);
    EXPECT_EQ(StartDetachedProcess(tree.Path("missing"), {}, tree.Root()).Error(), ENOENT);
    EXPECT_EQ(StartDetachedProcess("true", {}, tree.Path("missing")).Error(), ENOENT) << "no working folder";
    EXPECT_EQ(StartDetachedProcess("", {}, tree.Root()).Error(), ENOENT);
    const int denied = test::WithoutPermissionOverride([&] { return StartDetachedProcess(text, {}, "").Error(); });
    EXPECT_EQ(denied, EACCES);
}

} // namespace
} // namespace bivora
