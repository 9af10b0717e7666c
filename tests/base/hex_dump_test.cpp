#include "base/hex_dump.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

namespace bivora {
namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (const int v : values)
        bytes += static_cast<char>(v);
    return bytes;
}

TEST(HexDump, LinesHaveTheExactForm)
{
    const struct {
        const char* name;
        std::string bytes;
        std::string dump;
    } rows[] = {
        {"empty", "", ""},
        {"one byte", "A", "41" + std::string(50, ' ') + "A\n"},
        {"seventeen bytes", "0123456789ABCDEFG",
         "30 31 32 33  34 35 36 37  38 39 41 42  43 44 45 46  0123456789ABCDEF\n"
         "47" + std::string(50, ' ') + "G\n"},
        {"blank and DEL are themselves", Bytes({0x20, 0x7F}), "20 7F" + std::string(47, ' ') + " \x7F\n"},
        {"controls and high bytes are dots", Bytes({0x00, 0x1F, 0x80, 0xFF, 0x0A, 0x0D}),
         "00 1F 80 FF  0A 0D" + std::string(34, ' ') + "......\n"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(HexDump(row.bytes), row.dump) << row.name;
}

// Random inputs of every length up to a few lines: each line keeps the 52-character
// hexadecimal part, its digits give back the bytes, and the length is as predicted.
TEST(HexDump, RandomInputsKeepTheLineFormAndTheirBytes)
{
    std::mt19937 random(12);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(random() % 100, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random() % 256);
        const std::string dump = HexDump(bytes);
        ASSERT_EQ(dump.size(), HexDumpLength(bytes.size()));
        std::string back;
        std::size_t at = 0;
        std::size_t lineStart = 0;
        while (lineStart < dump.size()) {
            const std::size_t end = dump.find('\n', lineStart);
            ASSERT_NE(end, std::string::npos);
            const std::string line = dump.substr(lineStart, end - lineStart);
            const std::size_t count = std::min<std::size_t>(16, bytes.size() - at);
            ASSERT_EQ(line.size(), kHexPartWidth + count) << "round " << round;
            std::istringstream digits(line.substr(0, kHexPartWidth));
            for (std::size_t i = 0; i < count; ++i) {
                int value = 0;
                digits >> std::hex >> value;
                back += static_cast<char>(value);
                const auto byte = static_cast<unsigned char>(bytes[at + i]);
                EXPECT_EQ(line[kHexPartWidth + i], byte >= 0x20 && byte <= 0x7F ? static_cast<char>(byte) : '.');
            }
            at += count;
            lineStart = end + 1;
        }
        ASSERT_EQ(back, bytes) << "round " << round;
    }
}

} // namespace
} // namespace bivora
