#include "base/window_rect.h"
#include "base/registry_keys.h"
#include "base/settings_store.h"

#include <gtest/gtest.h>

#include <vector>

namespace bivora {
namespace {

constexpr std::string_view kSection = "Find File/Folder Settings";

TEST(WindowRect, StoredTextMustBeExactlyFourIntegers)
{
    const struct {
        const char* text;
        std::optional<WindowRect> expected;
    } rows[] = {
        {"10,20,810,620", WindowRect{10, 20, 810, 620}},
        {" -5 , -6,7 ,8", WindowRect{-5, -6, 7, 8}},
        {"-2147483648,0,2147483647,1", WindowRect{-2147483647 - 1, 0, 2147483647, 1}},
        {"1,2,3", std::nullopt},
        {"1,2,3,4,5", std::nullopt},
        {"1,2,3,", std::nullopt},
        {",1,2,3", std::nullopt},
        {"1;2;3;4", std::nullopt},
        {"1,2,3,4x", std::nullopt},
        {"1,2,3,99999999999", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ParseWindowRect(row.text), row.expected) << row.text;
}

TEST(WindowRect, ReadFallsBackToTheDefaultRectangle)
{
    MemorySettingsStore store;
    EXPECT_EQ(ReadWindowRect(store, kSection), kDefaultWindowRect);
    store.WriteString(kSection, registry::value::kWindowRect, "1,2,3");
    EXPECT_EQ(ReadWindowRect(store, kSection), kDefaultWindowRect);
    store.WriteBinary(kSection, registry::value::kWindowRect, {1, 2, 3, 4});
    EXPECT_EQ(ReadWindowRect(store, kSection), kDefaultWindowRect);

    const WindowRect rect{-100, 5, 700, 505};
    WriteWindowRect(store, kSection, rect);
    EXPECT_EQ(store.ReadString(kSection, registry::value::kWindowRect), "-100,5,700,505");
    EXPECT_EQ(ReadWindowRect(store, kSection), rect);
}

TEST(PlaceWindowFromSettings, DefaultHalvesTheCurrentRectangle)
{
    MemorySettingsStore store;
    const WindowRect current{100, 50, 901, 651};
    EXPECT_EQ(PlaceWindowFromSettings(store, kSection, current), (WindowRect{100, 50, 501, 351}));

    WriteWindowRect(store, kSection, {1, 2, 300, 400});
    EXPECT_EQ(PlaceWindowFromSettings(store, kSection, current), (WindowRect{1, 2, 300, 400}));

    // Only a zero bottom marks the default; any other rectangle is taken as stored.
    WriteWindowRect(store, kSection, {1, 2, 0, 400});
    EXPECT_EQ(PlaceWindowFromSettings(store, kSection, current), (WindowRect{1, 2, 0, 400}));

    // Coordinates at the ends of the range do not overflow.
    const WindowRect huge{-2147483647 - 1, -2147483647 - 1, 2147483647, 2147483647};
    EXPECT_EQ(PlaceWindowFromSettings(kDefaultWindowRect, huge), (WindowRect{huge.left, huge.top, 0, 0}));
}

TEST(KeepOnScreens, AbsurdRectanglesLandOnAScreen)
{
    const std::vector<WindowRect> screens{{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}};
    const struct {
        const char* label;
        WindowRect rect;
        WindowRect expected;
    } rows[] = {
        {"fits", {100, 100, 900, 700}, {100, 100, 900, 700}},
        {"on the second screen", {2000, 10, 2600, 500}, {2000, 10, 2600, 500}},
        {"mostly on the second", {1800, 10, 2600, 500}, {1920, 10, 2720, 500}},
        {"far away", {50000, 50000, 50800, 50600}, {1120, 480, 1920, 1080}},
        {"larger than the screen", {-10, -10, 5000, 4000}, {0, 0, 1920, 1080}},
        {"inside out", {500, 500, 100, 100}, {500, 500, 700, 650}},
        {"extreme", {-2147483647 - 1, -2147483647 - 1, 2147483647, 2147483647}, {0, 0, 1920, 1080}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(KeepOnScreens(row.rect, screens, 200, 150), row.expected) << row.label;

    const WindowRect rect{1, 2, 3, 4};
    EXPECT_EQ(KeepOnScreens(rect, {}, 200, 150), rect);
    const std::vector<WindowRect> tiny{{0, 0, 100, 80}};
    EXPECT_EQ(KeepOnScreens({10, 10, 500, 500}, tiny, 200, 150), (WindowRect{0, 0, 100, 80}));
}

} // namespace
} // namespace bivora
