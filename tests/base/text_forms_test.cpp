#include "base/text_forms.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace bivora {
namespace {

struct ThousandsCase {
    const char* label;
    std::uint64_t value;
    const char* text;
};

TEST(ThousandsText, GroupsDigitsByThreeFromTheRight)
{
    const std::vector<ThousandsCase> cases = {
        {"zero", 0, "0"},
        {"three digits need no comma", 999, "999"},
        {"first comma", 1000, "1,000"},
        {"partial leading group of two", 12345, "12,345"},
        {"full leading group", 123456, "123,456"},
        {"zeros inside groups are kept", 1000001, "1,000,001"},
        {"past 32 bits", 5000000000ULL, "5,000,000,000"},
        {"largest value", std::numeric_limits<std::uint64_t>::max(), "18,446,744,073,709,551,615"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(ThousandsText(c.value), c.text);
    }
}

} // namespace
} // namespace bivora
