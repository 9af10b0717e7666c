#include "ui/commands/edit_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace bivora {
namespace {

struct EditTextCase {
    const char* name;
    std::string bytes;
    QString text; // what the edit field shows
};

TEST(EditTextTest, ValidUtf8ReadsAsTextAndOtherBytesAsEscapes)
{
    const EditTextCase cases[] = {
        {"ascii", "/home/user", QStringLiteral("/home/user")},
        {"two and three byte forms", "/caf\xC3\xA9/\xE2\x82\xAC", QString::fromUtf8("/caf\xC3\xA9/\xE2\x82\xAC")},
        {"four byte form", "\xF0\x9F\x98\x80", QString::fromUtf8("\xF0\x9F\x98\x80")},
        {"latin-1 byte", "/x\xFF", QStringLiteral("/x") + QChar(char16_t(0xDCFF))},
        {"overlong slash", "\xC0\xAF", QString(QChar(char16_t(0xDCC0))) + QChar(char16_t(0xDCAF))},
        {"encoded surrogate", "\xED\xA0\x80",
         QString(QChar(char16_t(0xDCED))) + QChar(char16_t(0xDCA0)) + QChar(char16_t(0xDC80))},
        {"cut-off sequence at the end", "a\xE2\x82", QStringLiteral("a") + QChar(char16_t(0xDCE2)) + QChar(char16_t(0xDC82))},
        {"above U+10FFFF", "\xF4\x90\x80\x80",
         QString(QChar(char16_t(0xDCF4))) + QChar(char16_t(0xDC90)) + QChar(char16_t(0xDC80)) + QChar(char16_t(0xDC80))},
        {"control characters stay", std::string("a\tb\x01", 4), QStringLiteral("a\tb\x01")},
    };
    for (const EditTextCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BytesToEditText(c.bytes), c.text);
        EXPECT_EQ(EditTextToBytes(c.text), c.bytes);
    }
}

TEST(EditTextTest, AnyBytesSurviveTheRoundTrip)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> length(0, 40);
    // bytes near the UTF-8 boundaries are the interesting ones
    const unsigned char pool[] = {'a', '/', 0x00, 0x7F, 0x80, 0xBF, 0xC0, 0xC2, 0xDF, 0xE0, 0xED,
                                  0xEF, 0xF0, 0xF4, 0xF5, 0xFF, 0xA0, 0x9F, 0x8F, 0x90};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof pool - 1);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes;
        for (int i = length(random); i > 0; --i)
            bytes += static_cast<char>(pool[pick(random)]);
        ASSERT_EQ(EditTextToBytes(BytesToEditText(bytes)), bytes) << "round " << round;
    }
}

TEST(EditTextTest, TypedLoneSurrogatesBecomeReplacementCharacters)
{
    // a lone high surrogate is no escaped byte
    EXPECT_EQ(EditTextToBytes(QString(QChar(char16_t(0xD800)))), "\xEF\xBF\xBD");
    // nor is a low one below the escape range
    EXPECT_EQ(EditTextToBytes(QString(QChar(char16_t(0xDC41)))), "\xEF\xBF\xBD");
}

} // namespace
} // namespace bivora
