#include "base/text_forms.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <string>
#include <utility>
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

TEST(SizeColumnText, FoldersAndVirtualItemsShowNoNumber)
{
    EXPECT_EQ(SizeColumnText(true, true, 4096), "<folder>");
    EXPECT_EQ(SizeColumnText(true, false, 0), "<folder>");
    EXPECT_EQ(SizeColumnText(false, true, 0), "0");
    EXPECT_EQ(SizeColumnText(false, true, 5'000'000'000ULL), "5,000,000,000");
    EXPECT_EQ(SizeColumnText(false, false, 1234), "<n/a>");
}

TEST(KbSizeText, UnitsStepByThousandTwentyFourWithOneTruncatedDecimal)
{
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "0kB"},       {10, "10kB"},      {1024, "1024kB"}, {1025, "1MB"},
        {1536, "1.5MB"},  {2047, "1.9MB"},   {2048, "2MB"},    {5ULL << 20, "5GB"},
        {3ULL << 30, "3tB"}, {5000ULL << 30, "5000tB"}, // no unit past tB
    };
    for (const auto& [kb, text] : cases)
        EXPECT_EQ(KbSizeText(kb), text) << kb;
}

// Sets the time zone for as long as it lives.
class TimeZoneScope {
public:
    explicit TimeZoneScope(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            m_old = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TimeZoneScope()
    {
        if (m_old)
            setenv("TZ", m_old->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> m_old;
};

TEST(DateTimeText, LocalTimeInTheLocaleFormRoundedDownToTheSecond)
{
    struct Case {
        const char* zone;
        std::int64_t time; // nanoseconds since 1970
        const char* text;  // in the C locale's "%x %X"
    };
    const Case cases[] = {
        {"UTC", 1'000'000'000'000'000'000LL, "09/09/01 01:46:40"},
        {"UTC", 1'000'000'000'999'999'999LL, "09/09/01 01:46:40"},
        {"UTC", -1, "12/31/69 23:59:59"}, // a moment before 1970 belongs to the second before
        {"UTC", -1'000'000'000LL, "12/31/69 23:59:59"},
        {"IST-5:30", 1'000'000'000'000'000'000LL, "09/09/01 07:16:40"},
        {"UTC", 0, "<n/a>"}, // no time known
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.zone << " " << c.time);
        const TimeZoneScope zone(c.zone);
        EXPECT_EQ(DateTimeText(c.time), c.text);
    }
}

TEST(TrimmedBlanks, OnlySpacesAtEitherEndGo)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", ""}, {"   ", ""}, {"  /a b/  ", "/a b/"}, {"\t/x ", "\t/x"}, {"/na\xffme", "/na\xffme"},
    };
    for (const auto& [text, trimmed] : cases)
        EXPECT_EQ(TrimmedBlanks(text), trimmed) << text;
}

} // namespace
} // namespace bivora
