#include "base/find_input.h"
#include "base/find_settings.h"

#include "base/registry_keys.h"
#include "base/settings_store.h"

#include <gtest/gtest.h>

#include <optional>

namespace bivora {
namespace {

using namespace registry;

// Stored values as a later run reads them: out-of-range unit indexes read as hours,
// any non-zero switch as on, missing values as the defaults; the first load tells the
// hook once and makes today the Until date, a second load does nothing.
TEST(FindFileSettings, LoadsOnceWithTheReadRules)
{
    struct Case {
        std::optional<int> units, sizeConstraint, dateMethod, recursive;
        int wantUnits;
        bool wantAtMost, wantPrevious, wantRecursive;
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt, std::nullopt, std::nullopt, 0, false, false, true},
        {2, 1, 1, 0, 2, true, true, false},
        {3, 7, -1, 5, 0, true, true, true},
        {-1, 0, 0, 1, 0, false, false, true},
    };
    for (const Case& c : cases) {
        MemorySettingsStore store;
        const auto section = section::kFindFileFolderSettings;
        if (c.units) store.WriteInt(section, value::kPrevDateUnits, *c.units);
        if (c.sizeConstraint) store.WriteInt(section, value::kSizeConstraint, *c.sizeConstraint);
        if (c.dateMethod) store.WriteInt(section, value::kDateMethod, *c.dateMethod);
        if (c.recursive) store.WriteInt(section, value::kRecursiveFind, *c.recursive);
        store.WriteString(section::kFindFileLookInHistory, "0", "/srv");
        FindFileSettings settings;
        int told = 0;
        settings.loadedHook = [&told] { ++told; };
        settings.EnsureLoaded(10, store, {2024, 5, 6});
        EXPECT_EQ(settings.prevDateUnits, c.wantUnits);
        EXPECT_EQ(settings.sizeAtMost, c.wantAtMost);
        EXPECT_EQ(settings.datePrevious, c.wantPrevious);
        EXPECT_EQ(settings.recursive, c.wantRecursive);
        EXPECT_EQ(settings.dateHowManyBack, 1u);
        EXPECT_EQ(settings.kByteSize, 10u);
        EXPECT_EQ(settings.untilDate, (CivilDate{2024, 5, 6}));
        ASSERT_NE(settings.lookInHistory.First(), nullptr);

        settings.untilDate.reset();
        settings.EnsureLoaded(10, store, {2030, 1, 1});
        EXPECT_FALSE(settings.untilDate.has_value());
        EXPECT_EQ(told, 1);

        // what is saved reads back the same
        settings.kByteSize = 4194303;
        MemorySettingsStore saved;
        settings.Save(10, saved);
        FindFileSettings again;
        again.Load(10, saved);
        EXPECT_EQ(again.kByteSize, 4194303u);
        EXPECT_EQ(again.prevDateUnits, settings.prevDateUnits);
        EXPECT_EQ(again.lookInHistory.Entries(), settings.lookInHistory.Entries());
    }
}

// The windows the search gets: Between spans whole local days (from 1900 when From is
// empty), During the previous ends now, sizes are whole kB in 64 bits, and a Named of
// "*" puts no constraint on names.
TEST(FindCriteria, WindowsFromAValidatedInput)
{
    FindInput input;
    input.lookIn = "/a,/b";
    input.named = "*";
    input.useDate = true;
    input.from = CivilDate{2001, 2, 3};
    input.until = CivilDate{2001, 2, 3};
    input.useSize = true;
    input.sizeKb = kMaxFindSizeKb;
    FindCriteria between = MakeFindCriteria(input, DateKind::kCreated, {true, false, true}, 0);
    EXPECT_EQ(between.namePatterns, "");
    EXPECT_EQ(between.untilSeconds - between.fromSeconds, 86399);
    EXPECT_EQ(between.fromSeconds, LocalSeconds({2001, 2, 3}, 0, 0, 0));
    EXPECT_EQ(between.dateKind, DateKind::kCreated);
    EXPECT_EQ(between.minSize, std::uint64_t{kMaxFindSizeKb} * 1024);
    EXPECT_EQ(between.maxSize, UINT64_MAX);
    EXPECT_TRUE(between.matchCase && between.searchBinFiles && !between.wordsOnly);

    input.from.reset();
    EXPECT_EQ(MakeFindCriteria(input, DateKind::kModified, {}, 0).fromSeconds, LocalSeconds({1900, 1, 1}, 0, 0, 0));

    input.named = "*.txt,-a*";
    input.datePrevious = true;
    input.count = 3;
    input.sizeAtMost = true;
    input.sizeKb = 2;
    const std::int64_t now = 1'700'000'000;
    const std::int64_t spans[] = {3 * 3600, 3 * 86400, 3 * 30 * 86400};
    for (int units = 0; units < 3; ++units) {
        input.units = units;
        const FindCriteria previous = MakeFindCriteria(input, DateKind::kModified, {}, now);
        EXPECT_EQ(previous.namePatterns, "*.txt,-a*");
        EXPECT_EQ(previous.untilSeconds, now);
        EXPECT_EQ(previous.fromSeconds, now - spans[units]);
        EXPECT_EQ(previous.minSize, 0u);
        EXPECT_EQ(previous.maxSize, 2048u);
    }
}

} // namespace
} // namespace bivora
