#include "pane_fixture.h"

#include "base/registry_keys.h"
#include "ui/widgets/sort_list_ctrl.h"
#include "base/sort_param.h"
#include "ui/commands/command_ids.h"
#include "base/row_order.h"

#include "../../shell/test_files.h"

#include <algorithm>

namespace bivora::test {
namespace {

namespace reg = registry;
using Names = std::vector<std::string>;

// A pane puts a folder's records in order on its reading worker; the rows must be
// those a sort of the records on the GUI thread would give.
class PaneShowOrderTest : public PaneFixture {
protected:
    void MakeFolder()
    {
        SetTimes(tree.MakeFile("data/b.txt", "12345"), 1500000000, 1);
        SetTimes(tree.MakeFile("data/A.doc", "1"), 1600000000, 1);
        SetTimes(tree.MakeFile("data/a.txt", "123"), 1500000000, 1);
        SetTimes(tree.MakeFile("data/B.TXT"), 1400000000, 1);
        SetTimes(tree.MakeFile("data/zeta"), 1700000000, 1);
        SetTimes(tree.MakeFile("data/notes.tar.gz", "12"), 1600000000, 1);
        tree.MakeDir("data/Sub");
        tree.MakeDir("data/alpha");
    }

    // The records of the pane's folder that the filter lets through, sorted stably in
    // the folder's own order by the pane's comparison of records: the rows of a
    // folder just shown.
    static Names Shown(const PaneView& pane, int key, bool ascending)
    {
        std::vector<const ShellItem*> items;
        for (const auto& item : pane.Folder()->Items()) {
            if (pane.RowOf(item.get()) >= 0)
                items.push_back(item.get());
        }
        return Sorted(std::move(items), key, ascending);
    }

    // The rows as they stand, sorted stably: the rows of a re-sort.
    static Names Resorted(const PaneView& pane, int key, bool ascending)
    {
        std::vector<const ShellItem*> items;
        for (int row = 0; row < pane.Model().rowCount(); ++row)
            items.push_back(pane.ItemAt(row));
        return Sorted(std::move(items), key, ascending);
    }

    static Names Sorted(std::vector<const ShellItem*> items, int key, bool ascending)
    {
        const std::uint32_t param = MakeSortParam(key, ascending);
        std::stable_sort(items.begin(), items.end(), [param](const ShellItem* a, const ShellItem* b) {
            return CompareRowKeys(a->Key(), b->Key(), param, DateKind::kModified) < 0;
        });
        Names names;
        for (const ShellItem* item : items)
            names.push_back(item->Name());
        return names;
    }
};

TEST_F(PaneShowOrderTest, RowsArriveInTheStoredOrderAndResortFromThere)
{
    MakeFolder();
    store.WriteInt(reg::section::kLeftPaneSettings, reg::value::kSortBy, cmd::kSortByDate);
    store.WriteInt(reg::section::kLeftPaneSettings, reg::value::kSortAscending, 0);
    MakePanes(data, data);

    EXPECT_EQ(RowNames(*left), Shown(*left, cmd::kSortByDate, false));
    EXPECT_EQ(RowNames(*right), Shown(*right, cmd::kSortByType, true));
    // the keys gathered with the read serve the re-sorts, which keep the direction
    for (const int key : {cmd::kSortBySize, cmd::kSortByType, cmd::kSortByName}) {
        const Names expected = Resorted(*left, key, false);
        left->List().OnCommand(key);
        EXPECT_EQ(RowNames(*left), expected) << "key " << key;
    }
    EXPECT_TRUE(left->IsConsistent());
}

TEST_F(PaneShowOrderTest, AFilteredFolderShowsItsRowsInOrderAndKeepsItAfterRefresh)
{
    MakeFolder();
    MakePanes(data, data);
    left->SetFilterText("*.txt");
    ASSERT_TRUE(left->GoToFolder(IdOf(data)));
    ASSERT_EQ(left->Model().rowCount(), 5); // two folders and three text files
    EXPECT_EQ(RowNames(*left), Shown(*left, cmd::kSortByType, true));
    Names expected = Resorted(*left, cmd::kSortByName, false);
    SortBy(*left, cmd::kSortByName, false);
    EXPECT_EQ(RowNames(*left), expected);

    // an arrival is sorted in with the rest
    general.autoReSort = true;
    tree.MakeFile("data/c.txt");
    ASSERT_TRUE(left->RefreshPane(false));
    ASSERT_EQ(left->Model().rowCount(), 6);
    expected = Resorted(*left, cmd::kSortByName, false);
    EXPECT_EQ(RowNames(*left), expected);
    EXPECT_NE(RowNames(*left).back(), "c.txt");
    EXPECT_TRUE(left->IsConsistent());
}

} // namespace
} // namespace bivora::test
