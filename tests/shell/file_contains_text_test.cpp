#include "shell/file_contains_text.h"

#include "temp_tree.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace bivora {
namespace {

using test::TempTree;
using R = TextSearchResult;

constexpr std::size_t kBlock = TextSearcher::kBlockSize;

// Filler of a given length ending just before the block boundary at offset at.
std::string Upto(std::size_t at, std::string_view tail)
{
    return std::string(at - tail.size(), '.') + std::string(tail);
}

// Every file is searched as written and again as the only one of a two-thread
// SearchFiles, so that both ways in agree.
TEST(FileContainsText, FindsTextUnderTheOptions)
{
    enum : unsigned { Case = 1, Words = 2, NonText = 4 };
    struct Row {
        const char* what;
        std::string content;
        std::string text;
        unsigned options;
        R expected;
    };
    const std::string probeCut = std::string(TextSearcher::kTextProbe - 1, 'a') + "\xc3\xa9 cat";
    const Row rows[] = {
        {"plain", "the cat sat", "cat", 0, R::Found},
        {"absent", "the dog sat", "cat", 0, R::NotFound},
        {"case kept", "Hello World", "world", Case, R::NotFound},
        {"case ignored", "Hello World", "wOrLD", 0, R::Found},
        {"case ignored, no letters", "a 12:30 b", "12:30", 0, R::Found},
        {"case ignored, near miss", "quuz QUUX", "quux!", 0, R::NotFound},
        {"word inside word", "concatenate", "cat", Words, R::NotFound},
        {"part of word without the option", "concatenate", "cat", 0, R::Found},
        {"word after a miss", "concatenate cat", "cat", Words, R::Found},
        {"word at file start", "cat, sat", "cat", Words, R::Found},
        {"word at file end", "a cat", "cat", Words, R::Found},
        {"digit and underscore join words", "cat_ 2cat", "cat", Words, R::NotFound},
        {"text longer than file", "ca", "cat", NonText, R::NotFound},
        {"spaces are part of the text", "a cat", " cat ", 0, R::NotFound},
        {"straddling a block boundary", Upto(kBlock, "nee") + "dle", "needle", 0, R::Found},
        // a match that ends exactly at the end of a block, and one that starts the next
        {"word end at boundary, word byte after", Upto(kBlock, " cat") + "s", "cat", Words, R::NotFound},
        {"word end at boundary, blank after", Upto(kBlock, " cat") + " ", "cat", Words, R::Found},
        {"word start at boundary, word byte before", Upto(kBlock, "x") + "cat ", "cat", Words, R::NotFound},
        {"word start at boundary, blank before", Upto(kBlock, " ") + "cat ", "cat", Words, R::Found},
        {"case ignored across a boundary", Upto(kBlock, "NeE") + "dLe", "needle", 0, R::Found},
        {"found in a later block", std::string(3 * kBlock + 17, 'z') + "needle", "needle", Case, R::Found},
        {"NUL makes it non-text", std::string("a\0b cat", 7), "cat", 0, R::NonText},
        {"NUL searched with the option", std::string("a\0b cat", 7), "cat", NonText, R::Found},
        {"invalid UTF-8", "\xff\xfe cat", "cat", 0, R::NonText},
        {"overlong UTF-8", "\xc0\xaf cat", "cat", 0, R::NonText},
        {"surrogate in UTF-8", "\xed\xa0\x80 cat", "cat", 0, R::NonText},
        {"accented UTF-8 text", "caf\xc3\xa9 cat", "cat", 0, R::Found},
        {"a sequence cut by the probe's end", probeCut, "cat", 0, R::Found},
        {"non-UTF-8 beyond the probe", std::string(TextSearcher::kTextProbe, 'a') + "\xff cat", "cat", 0, R::Found},
        {"accented text searched", "Caf\xc3\xa9 au lait", "caf\xc3\xa9", 0, R::Found},
    };
    TempTree tree;
    int index = 0;
    for (const Row& row : rows) {
        const std::string path = tree.MakeFile("f" + std::to_string(index++), row.content);
        const TextSearcher searcher(row.text, {(row.options & Case) != 0, (row.options & Words) != 0,
                                               (row.options & NonText) != 0});
        EXPECT_EQ(searcher.Search(path), row.expected) << row.what;
        const std::atomic<bool> stop{false};
        EXPECT_EQ(SearchFiles({path}, searcher, 2, stop), std::vector<R>{row.expected}) << row.what;
        if (row.expected != R::NonText) {
            EXPECT_EQ(searcher.Contains(row.content), row.expected == R::Found) << row.what;
        }
    }
}

// A FIFO would block a plain open for good and a device could be endless: neither is
// opened. A missing file, and one without read rights, are unreadable. A set stop flag
// ends a search before it reads.
TEST(FileContainsText, SkipsWhatItMustNotReadAndStops)
{
    TempTree tree;
    ASSERT_EQ(::mkfifo(tree.Path("fifo").c_str(), 0644), 0);
    tree.MakeLink("zero", "/dev/zero");
    const std::string locked = tree.MakeFile("locked", "a cat", 0);
    const std::string plain = tree.MakeFile("plain", "a cat");
    const TextSearcher searcher("cat", {false, false, true});

    const std::atomic<bool> running{false};
    const std::vector<std::string> paths{tree.Path("fifo"), tree.Path("zero"), tree.Path("missing"), plain,
                                         tree.Path()};
    EXPECT_EQ(SearchFiles(paths, searcher, 2, running),
              (std::vector<R>{R::NotRegular, R::NotRegular, R::Unreadable, R::Found, R::NotRegular}));
    EXPECT_EQ(test::WithoutPermissionOverride([&] { return static_cast<int>(searcher.Search(locked)); }),
              static_cast<int>(R::Unreadable));

    const std::atomic<bool> stopped{true};
    EXPECT_EQ(searcher.Search(plain, &stopped), R::Stopped);
    EXPECT_EQ(SearchFiles({plain, plain}, searcher, 2, stopped), (std::vector<R>{R::Stopped, R::Stopped}));
}

// Offsets past 4 GiB: a sparse file with the text after its hole.
TEST(FileContainsText, SearchesPastFourGigabytes)
{
    TempTree tree;
    const std::string path = tree.MakeFile("big", "start");
    const off_t hole = (off_t{1} << 32) + 3;
    test::SetFileSize(path, hole);
    {
        FILE* file = std::fopen(path.c_str(), "ab");
        ASSERT_NE(file, nullptr);
        std::fputs(" needle", file);
        std::fclose(file);
    }
    EXPECT_EQ(TextSearcher("needle", {true, true, true}).Search(path), R::Found);
}

} // namespace
} // namespace bivora
