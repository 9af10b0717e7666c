#include "base/settings_store.h"

#include <gtest/gtest.h>

namespace bivora {
namespace {

TEST(ParseInt32, AcceptsWholeNumbersOnly)
{
    EXPECT_EQ(ParseInt32("15"), 15);
    EXPECT_EQ(ParseInt32(" -7 "), -7);
    EXPECT_EQ(ParseInt32("+3"), 3);
    EXPECT_EQ(ParseInt32("2147483647"), 2147483647);
    EXPECT_EQ(ParseInt32("-2147483648"), -2147483647 - 1);
    EXPECT_FALSE(ParseInt32("2147483648"));
    EXPECT_FALSE(ParseInt32("99999999999999999999"));
    EXPECT_FALSE(ParseInt32("12abc"));
    EXPECT_FALSE(ParseInt32("abc"));
    EXPECT_FALSE(ParseInt32(""));
    EXPECT_FALSE(ParseInt32("1.5"));
}

TEST(MemorySettingsStore, ValuesOfAnotherKindReadAsMissing)
{
    MemorySettingsStore store;
    store.WriteInt("General Settings", "nHistoryItems", 20);
    store.WriteString("General Settings", "szName", "garbage");
    store.WriteBinary("Layout 1", "InfoHeader", {1, 2, 3});
    store.WriteString("Editor/Viewer Settings", "nForeColor", "12");

    EXPECT_EQ(store.ReadInt("General Settings", "nHistoryItems"), 20);
    EXPECT_FALSE(store.ReadInt("General Settings", "szName"));
    EXPECT_FALSE(store.ReadInt("Layout 1", "InfoHeader"));
    EXPECT_FALSE(store.ReadString("Layout 1", "InfoHeader"));
    EXPECT_EQ(store.ReadBinary("Layout 1", "InfoHeader"), (ByteBlock{1, 2, 3}));
    EXPECT_FALSE(store.ReadBinary("General Settings", "nHistoryItems"));
    EXPECT_EQ(store.ReadInt("Editor/Viewer Settings", "nForeColor"), 12);
    EXPECT_EQ(store.GetInt("General Settings", "missing", 15), 15);
    EXPECT_EQ(store.GetString("General Settings", "missing", "x"), "x");
    ASSERT_EQ(store.Writes().size(), 4u);
    EXPECT_EQ(store.Writes()[2].section, "Layout 1");
}

} // namespace
} // namespace bivora
