#include "base/char_format.h"
#include "base/registry_keys.h"
#include "base/settings_store.h"

#include <gtest/gtest.h>

namespace bivora {
namespace {

constexpr std::string_view kSection = registry::section::kEditorCharacterFormat;
namespace value = registry::value;

FontDescription FixedFont()
{
    FontDescription font;
    font.faceName = "DejaVu Sans Mono";
    font.weight = 600;
    font.italic = true;
    font.charSet = 0;
    font.pitchAndFamily = 0x31;
    return font;
}

TEST(LoadCharFormat, UnsetHeightTakesTheSystemFixedFont)
{
    MemorySettingsStore store;
    const CharFormat expected{200, true, true, false, 0, 0x31, "DejaVu Sans Mono"};
    EXPECT_EQ(LoadCharFormat(store, kSection, FixedFont()), expected);

    // The other values do not count while the height is unset, and damaged heights are unset.
    store.WriteInt(kSection, value::kBold, 0);
    store.WriteString(kSection, value::kFaceName, "Courier");
    for (const char* height : {"0", "-240", "20001", "x", "99999999999"}) {
        store.WriteString(kSection, value::kHeight, height);
        EXPECT_EQ(LoadCharFormat(store, kSection, FixedFont()), expected) << height;
    }

    FontDescription light = FixedFont();
    light.weight = 500;
    EXPECT_FALSE(CharFormatFromFont(light).bold);
}

TEST(LoadCharFormat, StoredFormatWithItsDefaults)
{
    MemorySettingsStore store;
    store.WriteInt(kSection, value::kHeight, 280);
    EXPECT_EQ(LoadCharFormat(store, kSection, FixedFont()), (CharFormat{280, false, false, false, 1, 0, "System"}));

    const CharFormat format{240, true, false, true, 238, 2, "Liberation Mono"};
    SaveCharFormat(store, kSection, format);
    EXPECT_EQ(LoadCharFormat(store, kSection, FixedFont()), format);
}

TEST(SaveCharFormat, WritesSevenValuesInOrderOrNothing)
{
    MemorySettingsStore store;
    SaveCharFormat(store, kSection, CharFormat{});
    EXPECT_TRUE(store.Writes().empty());

    SaveCharFormat(store, kSection, CharFormat{200, true, false, false, 0, 49, "Mono"});
    const std::string_view order[] = {value::kHeight,  value::kBold,           value::kItalic,  value::kUnderline,
                                      value::kCharSet, value::kPitchAndFamily, value::kFaceName};
    ASSERT_EQ(store.Writes().size(), std::size(order));
    for (std::size_t i = 0; i < std::size(order); ++i)
        EXPECT_EQ(store.Writes()[i].name, order[i]);
    EXPECT_EQ(store.ReadInt(kSection, value::kBold), 1);
}

TEST(CutFaceName, KeepsAtMostThirtyOneBytesAndWholeCharacters)
{
    const std::string ascii(40, 'a');
    EXPECT_EQ(CutFaceName(ascii), std::string(31, 'a'));
    EXPECT_EQ(CutFaceName(std::string(31, 'b')), std::string(31, 'b'));

    // "é" is two bytes; 30 ASCII bytes then "é" would straddle the limit.
    const std::string straddling = std::string(30, 'a') + "\xC3\xA9" + "zz";
    EXPECT_EQ(CutFaceName(straddling), std::string(30, 'a'));
    // A four-byte character starting at byte 29 goes as a whole.
    const std::string wide = std::string(29, 'a') + "\xF0\x9F\x98\x80" + "z";
    EXPECT_EQ(CutFaceName(wide), std::string(29, 'a'));
    // Bytes that are not UTF-8 are cut where they fall.
    EXPECT_EQ(CutFaceName(std::string(40, '\x80')), std::string(31, '\x80'));

    MemorySettingsStore store;
    store.WriteInt(kSection, value::kHeight, 200);
    store.WriteString(kSection, value::kFaceName, ascii);
    EXPECT_EQ(LoadCharFormat(store, kSection, FixedFont()).faceName.size(), 31u);
}

} // namespace
} // namespace bivora
