// Byte-for-byte comparison of two files: blocks, lengths, files that change or go while
// read, FIFOs and devices, and the stop poll.
#include "shell/file_compare.h"

#include "temp_tree.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <sys/inotify.h>

#include <cstdio>
#include <functional>
#include <string>

namespace bivora::test {
namespace {

constexpr std::size_t kBlock = FileComparer::kBlockSize;

struct CompareCase {
    const char* what;
    // makes the two files in the tree and returns their paths
    std::function<std::pair<std::string, std::string>(const TempTree&)> make;
    // called between blocks with the call's number; false stops the comparison
    std::function<bool(int call, const std::string& first)> goOn;
    FileCompareResult expected;
    int maxBlocksAsked; // how many times the comparison may ask to go on (-1: any)
};

std::string Bytes(std::size_t count, char last)
{
    std::string text(count, 'a');
    for (std::size_t i = 0; i < count; i += 4099)
        text[i] = static_cast<char>('a' + i % 23); // not one repeated block
    text.back() = last;
    return text;
}

std::pair<std::string, std::string> Pair(const TempTree& tree, const std::string& a, const std::string& b)
{
    return {tree.MakeFile("first", a), tree.MakeFile("second", b)};
}

TEST(FileCompareTest, Cases)
{
    const std::string big = Bytes(2 * kBlock + 17, 'z');
    std::string bigLastDiffers = big;
    bigLastDiffers.back() = 'y';
    const CompareCase cases[] = {
        {"equal over several blocks", [&](const TempTree& t) { return Pair(t, big, big); }, {},
         FileCompareResult::kSame, 3},
        {"the last byte of the last block", [&](const TempTree& t) { return Pair(t, big, bigLastDiffers); }, {},
         FileCompareResult::kDiffer, 3},
        {"two empty files", [](const TempTree& t) { return Pair(t, "", ""); }, {}, FileCompareResult::kSame, 0},
        {"one byte longer, never read", [](const TempTree& t) { return Pair(t, "abc", "abcd"); }, {},
         FileCompareResult::kDiffer, 0},
        {"lengths equal in their low 32 bits",
         [](const TempTree& t) {
             auto paths = Pair(t, "abc", "abc");
             SetFileSize(paths.second, (off_t{1} << 32) + 3);
             return paths;
         },
         {}, FileCompareResult::kDiffer, 0},
        {"the second has gone", [](const TempTree& t) { return std::pair(t.MakeFile("first", "x"), t.Path("gone")); },
         {}, FileCompareResult::kDiffer, 0},
        {"the first has gone", [](const TempTree& t) { return std::pair(t.Path("gone"), t.MakeFile("second", "x")); },
         {}, FileCompareResult::kDiffer, 0},
        {"the first shrinks while read", [&](const TempTree& t) { return Pair(t, big, big); },
         [](int call, const std::string& first) {
             if (call == 1)
                 SetFileSize(first, static_cast<off_t>(kBlock + 10));
             return true;
         },
         FileCompareResult::kDiffer, 3},
        {"stopped before the first block", [&](const TempTree& t) { return Pair(t, big, big); },
         [](int, const std::string&) { return false; }, FileCompareResult::kStopped, 1},
        {"stopped after the first block", [&](const TempTree& t) { return Pair(t, big, big); },
         [](int call, const std::string&) { return call == 0; }, FileCompareResult::kStopped, 2},
        {"a device", [](const TempTree& t) { return std::pair(std::string("/dev/zero"), t.MakeFile("second", "")); },
         {}, FileCompareResult::kUnreadable, 0},
        {"a folder", [](const TempTree& t) { return std::pair(t.MakeFile("first", ""), t.MakeDir("second")); }, {},
         FileCompareResult::kUnreadable, 0},
    };
    for (const CompareCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempTree tree;
        const auto [first, second] = c.make(tree);
        int asked = 0;
        FileComparer comparer;
        const FileCompareResult result = comparer.Compare(first, second, [&] {
            const int call = asked++;
            return c.goOn ? c.goOn(call, first) : true;
        });
        EXPECT_EQ(result, c.expected);
        if (c.maxBlocksAsked >= 0) {
            EXPECT_LE(asked, c.maxBlocksAsked);
        }
    }
}

// A FIFO is never opened: a reader's open would show as an open event on it (and
// without O_NONBLOCK it would wait for a writer for ever).
TEST(FileCompareTest, FifoIsNeverOpened)
{
    TempTree tree;
    const std::string fifo = tree.Path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string file = tree.MakeFile("file", "");
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, fifo.c_str(), IN_OPEN), 0);

    FileComparer comparer;
    std::atomic<bool> stop{false};
    EXPECT_EQ(comparer.Compare(fifo, file, stop), FileCompareResult::kUnreadable);
    EXPECT_EQ(comparer.Compare(file, fifo, stop), FileCompareResult::kUnreadable);

    char events[4096];
    EXPECT_LT(::read(watch, events, sizeof events), 0) << "the FIFO was opened";
    ::close(watch);
}

// A file the user may not read is not judged either way.
TEST(FileCompareTest, UnreadableFile)
{
    TempTree tree;
    const std::string first = tree.MakeFile("first", "same", 0000);
    const std::string second = tree.MakeFile("second", "same");
    const int result = WithoutPermissionOverride([&] {
        FileComparer comparer;
        return static_cast<int>(comparer.Compare(first, second));
    });
    EXPECT_EQ(result, static_cast<int>(FileCompareResult::kUnreadable));
}

} // namespace
} // namespace bivora::test
