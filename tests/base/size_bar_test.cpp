#include "base/size_bar.h"
#include "base/thumb_limit.h"

#include <gtest/gtest.h>

namespace bivora {
namespace {

TEST(SizeBarTest, ValueNameIsTheBarIdInUpperCaseHex)
{
    EXPECT_EQ(SizeBarValueName(59401), "SizeBar E809");
    EXPECT_EQ(SizeBarValueName(59403), "SizeBar E80B");
}

TEST(SizeBarTest, StoredTextIsReadPairByPair)
{
    // Loaded over sizes that differ from the defaults, so that a pair kept is told apart.
    BarSizes current;
    current.floating = {210, 220};
    current.horizontal = {410, 230};
    current.vertical = {240, 420};
    struct Case {
        const char* name;
        const char* text;
        BarSize horizontal, vertical, floating;
    };
    const Case cases[] = {
        {"all six", "500,120,180,600,300,250", {500, 120}, {180, 600}, {300, 250}},
        {"blanks around numbers", " 500, 120 ,180,600,300,250 ", {500, 120}, {180, 600}, {300, 250}},
        {"vertical width below minimum", "500,120,5,600,300,250", {500, 120}, {240, 420}, {300, 250}},
        {"exactly the minimum", "56,56,56,56,56,56", {56, 56}, {56, 56}, {56, 56}},
        {"one below the minimum in each pair", "55,500,500,55,-1,500", {410, 230}, {240, 420}, {210, 220}},
        {"five numbers", "500,120,180,600,300", {410, 230}, {240, 420}, {210, 220}},
        {"seven numbers", "500,120,180,600,300,250,7", {410, 230}, {240, 420}, {210, 220}},
        {"trailing garbage", "500,120,180,600,300,250x", {410, 230}, {240, 420}, {210, 220}},
        {"empty field", "500,,180,600,300,250", {410, 230}, {240, 420}, {210, 220}},
        {"not numbers", "wide,tall", {410, 230}, {240, 420}, {210, 220}},
        {"beyond 32 bits", "500,120,180,600,300,99999999999", {410, 230}, {240, 420}, {210, 220}},
        {"empty", "", {410, 230}, {240, 420}, {210, 220}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const BarSizes read = SizeBarFromText(current, c.text);
        EXPECT_EQ(read.horizontal, c.horizontal);
        EXPECT_EQ(read.vertical, c.vertical);
        EXPECT_EQ(read.floating, c.floating);
    }
}

TEST(SizeBarTest, TextAndLayoutOrderComeBackWhole)
{
    BarSizes sizes;
    sizes.floating = {301, 302};
    sizes.horizontal = {401, 102};
    sizes.vertical = {103, 404};
    EXPECT_EQ(SizeBarText(sizes), "401,102,103,404,301,302");
    EXPECT_EQ(SizeBarFromText(BarSizes(), SizeBarText(sizes)), sizes);
    EXPECT_EQ(LayoutOrder(sizes), (SizeBarSizes{301, 302, 401, 102, 103, 404}));
    EXPECT_EQ(SizesFromLayout(BarSizes(), LayoutOrder(sizes)), sizes);
    // a layout defined before the bar existed holds zeros: nothing changes
    EXPECT_EQ(SizesFromLayout(sizes, SizeBarSizes{}), sizes);
}

TEST(ThumbLimitTest, StoredValueAndFileSizes)
{
    EXPECT_EQ(ThumbSizeLimit(std::nullopt), 1000000u);
    EXPECT_EQ(ThumbSizeLimit(0), kNoThumbSizeLimit);
    EXPECT_EQ(ThumbSizeLimit(1), 1000000u);
    EXPECT_EQ(ThumbSizeLimit(50), 1000000u);
    EXPECT_EQ(ThumbSizeLimit(99), 1000000u);
    EXPECT_EQ(ThumbSizeLimit(100), 100u);
    EXPECT_EQ(ThumbSizeLimit(-2), 0xFFFFFFFEu); // compared as unsigned

    EXPECT_TRUE(ThumbSizeAllowed(1000000, 1000000));
    EXPECT_FALSE(ThumbSizeAllowed(1000001, 1000000));
    EXPECT_FALSE(ThumbSizeAllowed(0, 1000000));
    EXPECT_FALSE(ThumbSizeAllowed(0, kNoThumbSizeLimit));
    EXPECT_TRUE(ThumbSizeAllowed(std::uint64_t(8) << 30, kNoThumbSizeLimit));
}

} // namespace
} // namespace bivora
