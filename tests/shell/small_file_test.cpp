#include "shell/small_file.h"

#include "temp_tree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace bivora {
namespace {

using test::TempTree;

// A FIFO would block a plain open for good, a link to /dev/zero would fill memory:
// both, and everything else that is no regular file, are refused at once.
TEST(SmallFile, ReadsRegularFilesAndRefusesEverythingElse)
{
    TempTree tree;
    tree.MakeFile("data", "line one\nline two\n");
    tree.MakeFile("eleven", "12345678901");
    tree.MakeFile("ten", "1234567890");
    tree.MakeFile("empty");
    tree.MakeDir("folder");
    tree.MakeLink("link", "data");
    tree.MakeLink("zero", "/dev/zero");
    ASSERT_EQ(::mkfifo(tree.Path("fifo").c_str(), 0644), 0);

    struct Row {
        const char* name;
        Links links;
        std::size_t limit;
        int error; // 0: read
    };
    const Row rows[] = {
        {"data", Links::Refuse, kSmallFileLimit, 0},
        {"empty", Links::Refuse, kSmallFileLimit, 0},
        {"ten", Links::Refuse, 10, 0},
        {"eleven", Links::Refuse, 10, EFBIG}, // refused, never cut short
        {"missing", Links::Refuse, kSmallFileLimit, ENOENT},
        {"folder", Links::Refuse, kSmallFileLimit, EISDIR},
        {"fifo", Links::Refuse, kSmallFileLimit, EINVAL},
        {"fifo", Links::Follow, kSmallFileLimit, EINVAL},
        {"link", Links::Refuse, kSmallFileLimit, ELOOP},
        {"link", Links::Follow, kSmallFileLimit, 0},
        {"zero", Links::Refuse, kSmallFileLimit, ELOOP},
        {"zero", Links::Follow, kSmallFileLimit, EINVAL},
    };
    for (const Row& row : rows) {
        const auto read = ReadSmallFile(tree.Path(row.name), row.links, row.limit);
        EXPECT_EQ(read.Error(), row.error) << row.name;
        EXPECT_EQ(read.Ok(), row.error == 0) << row.name;
    }
    EXPECT_EQ(*ReadSmallFile(tree.Path("data")), "line one\nline two\n");
    EXPECT_EQ(*ReadSmallFile(tree.Path("empty")), "");
    EXPECT_EQ(*ReadSmallFile(tree.Path("link"), Links::Follow), "line one\nline two\n");
    EXPECT_EQ(*ReadSmallFile(tree.Path("ten"), Links::Refuse, 10), "1234567890");
}

// A proc file says its size is 0: the length is what reading finds.
TEST(SmallFile, ProcFileReadsWhole)
{
    const auto table = ReadSmallFile("/proc/self/mountinfo", Links::Refuse, std::size_t(64) << 20);
    ASSERT_TRUE(table) << table.Error();
    EXPECT_FALSE(table->empty());
    EXPECT_EQ(table->back(), '\n');
}

TEST(SmallFile, HeadGivesTheFirstBytesOfRegularFilesOnly)
{
    TempTree tree;
    tree.MakeFile("long", "#!/bin/sh\necho\n");
    tree.MakeFile("short", "#");
    tree.MakeLink("link", "long");
    ASSERT_EQ(::mkfifo(tree.Path("fifo").c_str(), 0644), 0);
    EXPECT_EQ(*ReadFileHead(tree.Path("long"), 4), "#!/b");
    EXPECT_EQ(*ReadFileHead(tree.Path("short"), 4), "#");
    EXPECT_EQ(*ReadFileHead(tree.Path("link"), 2), "#!");
    EXPECT_EQ(ReadFileHead(tree.Path("fifo"), 4).Error(), EINVAL);
    EXPECT_EQ(ReadFileHead("/dev/zero", 4).Error(), EINVAL);
}

} // namespace
} // namespace bivora
