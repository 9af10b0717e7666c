#include "base/history_list.h"

#include "base/settings_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bivora {
namespace {

using Texts = std::vector<std::string>;

constexpr std::string_view kSection = "Command History";

// Fills a store section with values "0", "1", ... from texts; nullopt leaves a gap.
MemorySettingsStore StoreWith(const std::vector<std::optional<std::string>>& values)
{
    MemorySettingsStore store;
    for (std::size_t i = 0; i < values.size(); ++i)
        if (values[i])
            store.WriteString(kSection, std::to_string(i), *values[i]);
    return store;
}

// The list as a later load with a generous limit would see it.
Texts Reloaded(const MemorySettingsStore& store)
{
    HistoryList list;
    list.Load(50, store, kSection);
    return list.Entries();
}

struct AddCase {
    const char* label;
    int limit;
    Texts added; // in order of adding
    Texts expected;
};

TEST(HistoryList, AddKeepsMostRecentFirstWithoutDuplicates)
{
    const std::vector<AddCase> cases = {
        {"repeat moves to the front", 15, {"a", "b", "a"}, {"a", "b"}},
        {"oldest drops past the limit", 2, {"a", "b", "c"}, {"c", "b"}},
        {"repeat at the limit keeps all", 2, {"a", "b", "a"}, {"a", "b"}},
        {"middle entry moves to the front", 15, {"a", "b", "c", "b"}, {"b", "c", "a"}},
        {"comparison is case-sensitive", 15, {"a", "A"}, {"A", "a"}},
        {"empty text is ignored", 15, {"a", "", "b"}, {"b", "a"}},
        {"blank text is a text", 15, {"a", " "}, {" ", "a"}},
        {"bytes that are not UTF-8", 15, {"\xFF\xFE", "x", "\xFF\xFE"}, {"\xFF\xFE", "x"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        HistoryList list;
        for (const auto& text : c.added)
            list.Add(c.limit, text);
        EXPECT_EQ(list.Entries(), c.expected);
        EXPECT_EQ(list.Count(), c.expected.size());
        ASSERT_NE(list.First(), nullptr);
        EXPECT_EQ(*list.First(), c.expected.front());
    }
}

TEST(HistoryList, FirstAndClear)
{
    HistoryList list;
    EXPECT_EQ(list.First(), nullptr);
    list.Add(15, "x");
    list.Add(15, "y");
    ASSERT_NE(list.First(), nullptr);
    EXPECT_EQ(*list.First(), "y");
    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(list.First(), nullptr);
}

struct LoadCase {
    const char* label;
    int limit;
    std::vector<std::optional<std::string>> stored;
    Texts expected;
};

TEST(HistoryList, LoadReadsUpToTheLimitAndTheFirstGap)
{
    const std::vector<LoadCase> cases = {
        {"duplicates keep their first place", 15, {"x", "y", "x", "z"}, {"x", "y", "z"}},
        {"missing value ends the list", 15, {"x", std::nullopt, "z"}, {"x"}},
        {"empty value ends the list", 15, {"x", "", "z"}, {"x"}},
        {"limit counts values read, not kept", 3, {"x", "x", "y", "z"}, {"x", "y"}},
        {"limit cuts a longer list", 2, {"a", "b", "c"}, {"a", "b"}},
        {"nothing stored", 15, {}, {}},
        {"case-sensitive duplicates", 15, {"a", "A", "a"}, {"a", "A"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const MemorySettingsStore store = StoreWith(c.stored);
        HistoryList list;
        list.Add(15, "stale");
        list.Load(c.limit, store, kSection);
        EXPECT_EQ(list.Entries(), c.expected);
    }
}

TEST(HistoryList, LoadReadsOnlyItsOwnSectionAndTexts)
{
    MemorySettingsStore store = StoreWith({"a", "b"});
    store.WriteString("Visual Filter History", "2", "other");
    store.WriteBinary(kSection, "2", {1, 2});
    store.WriteString(kSection, "3", "after the block");
    HistoryList list;
    list.Load(15, store, kSection);
    EXPECT_EQ(list.Entries(), (Texts{"a", "b"}));
}

TEST(HistoryList, SaveWritesTheFirstLimitEntriesInOrder)
{
    HistoryList list;
    for (const char* text : {"d", "c", "b", "a"})
        list.Add(15, text);
    MemorySettingsStore store;
    list.Save(3, store, kSection);
    EXPECT_EQ(store.GetString(kSection, "0"), "a");
    EXPECT_EQ(store.GetString(kSection, "1"), "b");
    EXPECT_EQ(store.GetString(kSection, "2"), "c");
    EXPECT_FALSE(store.Contains(kSection, "3"));

    HistoryList loaded;
    loaded.Load(3, store, kSection);
    EXPECT_EQ(loaded.Entries(), (Texts{"a", "b", "c"}));
}

TEST(HistoryList, SaveLeavesValuesPastTheLimitAlone)
{
    MemorySettingsStore store = StoreWith({"old0", "old1", "old2", "old3"});
    HistoryList list;
    for (const char* text : {"c", "b", "a"})
        list.Add(15, text);
    list.Save(2, store, kSection);
    EXPECT_EQ(Reloaded(store), (Texts{"a", "b", "old2", "old3"}));
}

// Writing only the entries it has let a shorter list read back with the older
// entries after it: a cleared history came back at the next start.
TEST(HistoryList, ShorterListSavedOverALongerOneReadsBackAsSaved)
{
    MemorySettingsStore store = StoreWith({"old0", "old1", "old2", "old3"});
    HistoryList list;
    list.Load(15, store, kSection);
    list.Clear();
    list.Add(15, "new");
    list.Save(15, store, kSection);
    EXPECT_EQ(Reloaded(store), (Texts{"new"}));

    list.Clear();
    list.Save(15, store, kSection);
    EXPECT_EQ(Reloaded(store), Texts{});
}

TEST(HistoryList, SaveWritesNoEndMarkWhereNoneIsNeeded)
{
    MemorySettingsStore store;
    HistoryList list;
    list.Add(15, "a");
    list.Save(15, store, kSection);
    ASSERT_EQ(store.Writes().size(), 1u);
    EXPECT_EQ(store.Writes()[0].name, "0");
}

TEST(HistoryList, DeduplicatedLoadSurvivesARoundTrip)
{
    MemorySettingsStore store = StoreWith({"x", "y", "x", "z"});
    HistoryList list;
    list.Load(15, store, kSection);
    list.Add(15, "w");
    list.Save(15, store, kSection);
    EXPECT_EQ(Reloaded(store), (Texts{"w", "x", "y", "z"}));
}

} // namespace
} // namespace bivora
