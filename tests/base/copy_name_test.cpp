#include "base/copy_name.h"

#include <gtest/gtest.h>

namespace bivora {
namespace {

std::string Repeat(std::string_view piece, std::size_t count)
{
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += piece;
    return text;
}

TEST(CopyName, NumbersTheCopyBeforeTheExtensionWithinTheNameLimit)
{
    const std::string e = "\xc3\xa9"; // two bytes of UTF-8
    const struct {
        std::string name;
        unsigned n;
        std::string expected;
    } cases[] = {
        {"report.txt", 1, "report (copy).txt"},
        {"report.txt", 2, "report (copy 2).txt"},
        {"a.tar.gz", 1, "a.tar (copy).gz"},      // after the last dot
        {"notes", 12, "notes (copy 12)"},
        {".bashrc", 1, ".bashrc (copy)"},        // a leading only dot is no extension
        {".config.old", 1, ".config (copy).old"},
        {"Name.", 1, "Name (copy)."},
        {"\xff\xfe.bin", 1, "\xff\xfe (copy).bin"},
        // 255 bytes: the stem gives way; a UTF-8 stem loses whole characters only.
        {Repeat("n", 251) + ".txt", 1, Repeat("n", 244) + " (copy).txt"},
        {Repeat("n", 251) + ".txt", 10, Repeat("n", 241) + " (copy 10).txt"},
        {"b" + Repeat(e, 125) + ".txt", 1, "b" + Repeat(e, 121) + " (copy).txt"},
        {Repeat("\xff", 251) + ".txt", 1, Repeat("\xff", 244) + " (copy).txt"}, // bytes: cut anywhere
        // An extension too long to keep beside the suffix is cut as part of the name.
        {"a." + Repeat("x", 252), 1, "a." + Repeat("x", 246) + " (copy)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name + " #" + std::to_string(c.n));
        const std::string made = CopyName(c.name, c.n);
        EXPECT_EQ(made, c.expected);
        EXPECT_LE(made.size(), kMaxNameBytes);
    }
}

} // namespace
} // namespace bivora
