#include "shell/item_id.h"
#include <gtest/gtest.h>
namespace bivora { namespace {
ItemIdList L(std::initializer_list<const char*> keys) { std::vector<ItemId> v; for (auto k : keys) v.push_back({ItemId::Kind::Entry, k}); return ItemIdList(v); }
TEST(ItemIdList, ParentConcatAndLast)
{
    const ItemIdList abc = L({"a", "b", "c"});
    EXPECT_EQ(abc.ParentId(1), L({"a", "b"}));
    EXPECT_EQ(abc.ParentId(3), ItemIdList());
    EXPECT_FALSE(abc.ParentId(4));
    EXPECT_FALSE(ItemIdList().ParentId(0));
    EXPECT_EQ(abc.LastItem(), L({"c"}));
    EXPECT_EQ(L({"a"}).Concat(L({"b", "c"})), abc);
    EXPECT_NE(L({"a"}), (ItemIdList({ItemId{ItemId::Kind::Drive, "a"}})));
}
} }
