#include "base/row_order.h"
#include "base/row_sort_keys.h"
#include "base/sort_param.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <deque>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace bivora::test {
namespace {

struct Record {
    std::string name;
    bool folder = false;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    std::int64_t created = 0;
};

class RowSortKeysTest : public ::testing::Test {
protected:
    void Add(const Record& record)
    {
        m_names.push_back(record.name);
        RowKey key;
        key.name = m_names.back();
        key.folder = record.folder;
        key.size = record.size;
        key.modified = record.modified;
        key.created = record.created;
        key.accessed = record.modified ^ record.created;
        m_items.push_back(key);
    }

    RowSortKeys Keys(DateKind dateKind) const
    {
        RowSortKeys keys;
        keys.Build(m_items, dateKind, [](const RowKey& key) { return key; });
        return keys;
    }

    // Many records that tie in every way the order can tie: shared prefixes longer
    // than 8 and 16 bytes, names equal but for case, types that begin other types,
    // no type, equal and huge sizes, equal and negative times, folders and files.
    void AddMixedRecords(std::size_t count, bool withLocaleTypes)
    {
        std::mt19937 random(7);
        const std::vector<std::string> stems = {"a", "B", "file 0000", "File 0000", "photo_2024_summer_", "x", ""};
        std::vector<std::string> types = {"", "txt", "TXT", "tx", "txt2", "tar.gz", "a.b.c", "Jpg", "jpg"};
        if (withLocaleTypes) {
            types.push_back("\xc3\xa4rger");      // ärger
            types.push_back("\xc3\x84RGER");      // ÄRGER
            types.push_back("zeta\xc3\xa9");      // zetaé
        }
        const auto pick = [&random](std::size_t n) { return static_cast<std::size_t>(random() % n); };
        for (std::size_t i = 0; i < count; ++i) {
            Record record;
            record.name = stems[pick(stems.size())] + std::to_string(pick(40));
            const std::string& type = types[pick(types.size())];
            if (!type.empty())
                record.name += "." + type;
            record.folder = pick(6) == 0;
            static const std::uint64_t sizes[] = {0, 1, 255, 256, 4096, 3ULL << 32, ~0ULL};
            record.size = sizes[pick(std::size(sizes))];
            static const std::int64_t times[] = {0, 1, -1, 1'000'000'000'000'000'000LL, -5'000'000'000LL,
                                             1'700'000'000'000'000'000LL};
            record.modified = times[pick(std::size(times))];
            record.created = times[pick(std::size(times))];
            Add(record);
        }
    }

    // The stable sort of the records under the pane's own comparison of records.
    std::vector<int> Expected(std::uint32_t param, DateKind dateKind) const
    {
        std::vector<int> order(m_items.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return CompareRowKeys(m_items[static_cast<std::size_t>(a)], m_items[static_cast<std::size_t>(b)], param,
                                  dateKind)
                   < 0;
        });
        return order;
    }

    std::vector<std::string> Names(const std::vector<int>& order) const
    {
        std::vector<std::string> names;
        for (const int index : order)
            names.emplace_back(m_items[static_cast<std::size_t>(index)].name);
        return names;
    }

    std::vector<RowKey> m_items;

private:
    std::deque<std::string> m_names; // the keys view them
};

const int kKeys[] = {sort_key::kName, sort_key::kType, sort_key::kSize, sort_key::kDate};

TEST_F(RowSortKeysTest, OrderIsTheStableRecordOrderUnderEveryKeyAndDirection)
{
    AddMixedRecords(3000, false);
    for (const DateKind dateKind : {DateKind::kModified, DateKind::kCreated, DateKind::kAccessed}) {
        const RowSortKeys keys = Keys(dateKind);
        for (const int key : kKeys) {
            for (const bool ascending : {true, false}) {
                const std::uint32_t param = MakeSortParam(key, ascending);
                SCOPED_TRACE(testing::Message() << "key " << key << " ascending " << ascending << " date "
                                                << DateKindSetting(dateKind));
                const std::vector<int> order = keys.Order(param);
                ASSERT_EQ(order, Expected(param, dateKind)) << "first names: " << Names(order).front();
            }
        }
    }
}

TEST_F(RowSortKeysTest, TypesBeyondAsciiKeepTheLocaleOrder)
{
    AddMixedRecords(600, true);
    const RowSortKeys keys = Keys(DateKind::kModified);
    for (const bool ascending : {true, false}) {
        const std::uint32_t param = MakeSortParam(sort_key::kType, ascending);
        EXPECT_EQ(keys.Order(param), Expected(param, DateKind::kModified));
    }
}

TEST_F(RowSortKeysTest, SmallListsAndLongSharedPrefixesSortByTheirLastBytes)
{
    // fewer records than the radix sort takes on, and names that differ only after
    // several chunks of eight bytes or only in their length
    for (const char* name : {"report-of-the-year-2023-final-b", "report-of-the-year-2023-final-a",
                             "REPORT-of-the-year-2023-final-A", "report-of-the-year-2023-final",
                             "report-of-the-year-2023-final-a-", "r"})
        Add({name});
    const RowSortKeys keys = Keys(DateKind::kModified);
    const std::uint32_t param = MakeSortParam(sort_key::kName, true);
    EXPECT_EQ(Names(keys.Order(param)),
              (std::vector<std::string>{"r", "report-of-the-year-2023-final", "report-of-the-year-2023-final-a",
                                        "REPORT-of-the-year-2023-final-A", "report-of-the-year-2023-final-a-",
                                        "report-of-the-year-2023-final-b"}));
    // descending turns the order round but keeps names equal but for case as they came
    EXPECT_EQ(Names(keys.Order(MakeSortParam(sort_key::kName, false))),
              (std::vector<std::string>{"report-of-the-year-2023-final-b", "report-of-the-year-2023-final-a-",
                                        "report-of-the-year-2023-final-a", "REPORT-of-the-year-2023-final-A",
                                        "report-of-the-year-2023-final", "r"}));
}

TEST_F(RowSortKeysTest, PermutedKeysStillDescribeTheirRecords)
{
    AddMixedRecords(500, false);
    RowSortKeys keys = Keys(DateKind::kCreated);
    const std::vector<int> order = keys.Order(MakeSortParam(sort_key::kType, true));
    keys.Permute(order);
    // after the rearrangement key i is the record at order[i], under every key
    for (const int key : kKeys) {
        const std::uint32_t param = MakeSortParam(key, false);
        for (std::size_t i = 0; i + 1 < order.size(); i += 7) {
            const RowKey& a = m_items[static_cast<std::size_t>(order[i])];
            const RowKey& b = m_items[static_cast<std::size_t>(order[i + 1])];
            ASSERT_EQ(keys.Compare(i, i + 1, param), CompareRowKeys(a, b, param, DateKind::kCreated))
                << a.name << " " << b.name;
        }
    }
}

// Restores the C library's locale when it goes.
class LocaleScope {
public:
    LocaleScope() : m_saved(std::setlocale(LC_ALL, nullptr)) {}
    ~LocaleScope() { std::setlocale(LC_ALL, m_saved.c_str()); }

private:
    std::string m_saved;
};

TEST(CompareTypes, TypesBeyondAsciiIgnoreCaseAndFollowTheLocale)
{
    LocaleScope scope;
    if (!std::setlocale(LC_ALL, "C.UTF-8"))
        GTEST_SKIP() << "no C.UTF-8 locale here";
    struct Case {
        const char* a;
        const char* b;
        int sign;
    };
    const Case cases[] = {
        {"\xc3\xa4rger", "\xc3\x84RGER", 0},   // ärger, ÄRGER: the same type
        {"\xc3\xa4rger", "\xc3\x84RGEN", 1},   // ärger after ÄRGEN
        {"zeta", "ZETA\xc3\xa9", -1},           // a type that begins another comes first
        {"\xc3\xa9t\xc3\xa9", "Z", 1},          // été after z: code points in this locale
        {"\xce\xa9", "\xcf\x89", 0},            // capital and small omega
        {"a\xff", "a\xfe", 0},                  // bytes that are no UTF-8 stand for the same mark
        {"a\xff", "a\xc3\xa4", 1},              // ... which sorts after the letters
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << " | " << c.b);
        EXPECT_EQ(CompareTypes(c.a, c.b), c.sign);
        EXPECT_EQ(CompareTypes(c.b, c.a), -c.sign);
    }
}

} // namespace
} // namespace bivora::test
