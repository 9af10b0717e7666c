#include "shell/shell_item.h"
#include "ui/widgets/sort_param.h"
#include "ui/commands/command_ids.h"
#include "ui/pane/row_order.h"
#include "ui/pane/row_sort_keys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
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
    FileTime modified = 0;
    FileTime created = 0;
};

class RowSortKeysTest : public ::testing::Test {
protected:
    void Add(const Record& record)
    {
        auto item = std::make_unique<ShellItem>(nullptr, ItemId{ItemId::Kind::Entry, record.name});
        FindData find;
        find.name = record.name;
        find.isDirectory = record.folder;
        find.size = record.size;
        find.modified = record.modified;
        find.created = record.created;
        ASSERT_TRUE(item->Init(std::move(find)));
        m_items.push_back(item.get());
        m_owned.push_back(std::move(item));
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
            static const FileTime times[] = {0, 1, -1, 1'000'000'000'000'000'000LL, -5'000'000'000LL,
                                             1'700'000'000'000'000'000LL};
            record.modified = times[pick(std::size(times))];
            record.created = times[pick(std::size(times))];
            Add(record);
        }
    }

    // The stable sort of the records under the pane's own comparison of records.
    std::vector<int> Expected(std::uint32_t param, int dateKind) const
    {
        std::vector<int> order(m_items.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return ComparePaneRows(*m_items[static_cast<std::size_t>(a)], *m_items[static_cast<std::size_t>(b)], param,
                                   dateKind)
                   < 0;
        });
        return order;
    }

    std::vector<std::string> Names(const std::vector<int>& order) const
    {
        std::vector<std::string> names;
        for (const int index : order)
            names.push_back(m_items[static_cast<std::size_t>(index)]->Name());
        return names;
    }

    std::vector<ShellItem*> m_items;

private:
    std::vector<std::unique_ptr<ShellItem>> m_owned;
};

const int kKeys[] = {cmd::kSortByName, cmd::kSortByType, cmd::kSortBySize, cmd::kSortByDate};

TEST_F(RowSortKeysTest, OrderIsTheStableRecordOrderUnderEveryKeyAndDirection)
{
    AddMixedRecords(3000, false);
    for (const int dateKind : {0, 1}) {
        RowSortKeys keys;
        keys.Build(m_items, dateKind);
        for (const int key : kKeys) {
            for (const bool ascending : {true, false}) {
                const std::uint32_t param = MakeSortParam(key, ascending);
                SCOPED_TRACE(testing::Message() << "key " << key << " ascending " << ascending << " date " << dateKind);
                const std::vector<int> order = keys.Order(param);
                ASSERT_EQ(order, Expected(param, dateKind)) << "first names: " << Names(order).front();
            }
        }
    }
}

TEST_F(RowSortKeysTest, TypesBeyondAsciiKeepTheLocaleOrder)
{
    AddMixedRecords(600, true);
    RowSortKeys keys;
    keys.Build(m_items, 0);
    for (const bool ascending : {true, false}) {
        const std::uint32_t param = MakeSortParam(cmd::kSortByType, ascending);
        EXPECT_EQ(keys.Order(param), Expected(param, 0));
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
    RowSortKeys keys;
    keys.Build(m_items, 0);
    const std::uint32_t param = MakeSortParam(cmd::kSortByName, true);
    EXPECT_EQ(Names(keys.Order(param)),
              (std::vector<std::string>{"r", "report-of-the-year-2023-final", "report-of-the-year-2023-final-a",
                                        "REPORT-of-the-year-2023-final-A", "report-of-the-year-2023-final-a-",
                                        "report-of-the-year-2023-final-b"}));
    // descending turns the order round but keeps names equal but for case as they came
    EXPECT_EQ(Names(keys.Order(MakeSortParam(cmd::kSortByName, false))),
              (std::vector<std::string>{"report-of-the-year-2023-final-b", "report-of-the-year-2023-final-a-",
                                        "report-of-the-year-2023-final-a", "REPORT-of-the-year-2023-final-A",
                                        "report-of-the-year-2023-final", "r"}));
}

TEST_F(RowSortKeysTest, PermutedKeysStillDescribeTheirRecords)
{
    AddMixedRecords(500, false);
    RowSortKeys keys;
    keys.Build(m_items, 1);
    const std::vector<int> order = keys.Order(MakeSortParam(cmd::kSortByType, true));
    keys.Permute(order);
    // after the rearrangement key i is the record at order[i], under every key
    for (const int key : kKeys) {
        const std::uint32_t param = MakeSortParam(key, false);
        for (std::size_t i = 0; i + 1 < order.size(); i += 7) {
            const ShellItem& a = *m_items[static_cast<std::size_t>(order[i])];
            const ShellItem& b = *m_items[static_cast<std::size_t>(order[i + 1])];
            ASSERT_EQ(keys.Compare(i, i + 1, param), ComparePaneRows(a, b, param, 1)) << a.Name() << " " << b.Name();
        }
    }
}

} // namespace
} // namespace bivora::test
