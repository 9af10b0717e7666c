#include "shell/hex_escapes.h"

#include <gtest/gtest.h>

namespace bivora {
namespace {

TEST(HexEscapes, OnlyAMarkerWithTwoHexDigitsIsAnEscape)
{
    struct Row {
        const char* text;
        const char* marker;
        std::string decoded;
    };
    const Row rows[] = {
        {"My%20Docs", "%", "My Docs"},
        {"caf%C3%A9", "%", "caf\xc3\xa9"}, // an escape that ends the text
        {"file%20", "%", "file "},
        {"%c3%a9", "%", "\xc3\xa9"},        // lower-case digits
        {"%2F%00x", "%", std::string("/\0x", 3)},
        {"a%2Bb%+1%zz%4", "%", "a+b%+1%zz%4"},
        {"%", "%", "%"},
        {"50%", "%", "50%"},
        {"%%41", "%", "%A"},
        {"My\\x20Disk", "\\x", "My Disk"},
        {"Stick\\x41", "\\x", "StickA"},
        {"a\\x4", "\\x", "a\\x4"},
        {"\\x", "\\x", "\\x"},
        {"x%41", "\\x", "x%41"}, // the other marker means nothing here
    };
    for (const Row& row : rows)
        EXPECT_EQ(DecodeHexEscapes(row.text, row.marker), row.decoded) << row.text;
}

} // namespace
} // namespace bivora
