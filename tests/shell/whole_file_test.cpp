#include "shell/whole_file.h"

#include "temp_tree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace bivora {
namespace {

using test::TempTree;

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

unsigned ModeOf(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// The entries of the tree's root: a failed save leaves no half-written file behind.
std::size_t EntryCount(const TempTree& tree)
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(tree.Root()),
                                                  std::filesystem::directory_iterator()));
}

TEST(WholeFile, ReadRefusesWhatIsNoFileAndWhatIsTooLarge)
{
    TempTree tree;
    tree.MakeFile("ten", "0123456789");
    tree.MakeDir("folder");
    ASSERT_EQ(::mkfifo(tree.Path("fifo").c_str(), 0644), 0);
    tree.MakeLink("zero", "/dev/zero");
    const struct {
        const char* name;
        std::size_t limit;
        int error;
    } rows[] = {
        {"ten", 10, 0}, {"ten", 9, EFBIG}, {"folder", 100, EISDIR}, {"fifo", 100, EINVAL},
        {"zero", 100, EINVAL}, {"missing", 100, ENOENT},
    };
    for (const auto& row : rows) {
        const auto read = ReadWholeFile(tree.Path(row.name), row.limit);
        EXPECT_EQ(read.Error(), row.error) << row.name;
        if (read) {
            EXPECT_EQ(read->bytes, "0123456789");
        }
    }
    std::atomic<bool> stop{true};
    EXPECT_EQ(ReadWholeFile(tree.Path("ten"), 100, &stop).Error(), ECANCELED);
}

TEST(WholeFile, SaveReplacesTheFileKeepingItsModeAndTheLink)
{
    TempTree tree;
    const std::string data = tree.MakeFile("data", "old", 0640);
    tree.MakeLink("link", "data");
    const auto before = StampFile(data);
    ASSERT_TRUE(WriteFileSafely(tree.Path("link"), "new text"));
    EXPECT_EQ(Contents(data), "new text");
    EXPECT_EQ(ModeOf(data), 0640u);
    struct stat st {};
    ASSERT_EQ(::lstat(tree.Path("link").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_FALSE(*StampFile(data) == *before);

    ASSERT_TRUE(WriteFileSafely(tree.Path("new"), "made"));
    EXPECT_EQ(Contents(tree.Path("new")), "made");
}

TEST(WholeFile, FailedSaveLeavesTheOldFileAndNoTemporaryOne)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    TempTree tree;
    const std::string folder = tree.MakeDir("locked");
    const std::string data = tree.MakeFile("locked/data", "keep me", 0644);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    const SysStatus saved = WriteFileSafely(data, "lost?");
    ::chmod(folder.c_str(), 0755);
    EXPECT_EQ(saved.Error(), EACCES);
    EXPECT_EQ(Contents(data), "keep me");
}

// A disk that fills up in the middle of the write: the file size limit makes the write
// fail the same way, whoever runs the test.
TEST(WholeFile, WriteThatFailsHalfWayLeavesTheOldFile)
{
    TempTree tree;
    const std::string data = tree.MakeFile("data", "keep me");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const SysStatus saved = WriteFileSafely(data, std::string(100000, 'x'));
        ::_exit(saved.Error() == EFBIG ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(Contents(data), "keep me");
    EXPECT_EQ(EntryCount(tree), 1u);
}

} // namespace
} // namespace bivora
