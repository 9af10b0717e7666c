#include "shell/item_id.h"

namespace bivora {

ItemIdList ItemIdList::Concat(const ItemIdList& other) const
{
    ItemIdList result = *this;
    result.m_items.insert(result.m_items.end(), other.m_items.begin(), other.m_items.end());
    return result;
}

std::optional<ItemIdList> ItemIdList::ParentId(std::size_t n) const
{
    if (m_items.empty() || m_items.size() < n)
        return std::nullopt;
    return ItemIdList(std::vector<ItemId>(m_items.begin(), m_items.end() - static_cast<std::ptrdiff_t>(n)));
}

ItemIdList ItemIdList::LastItem() const
{
    if (m_items.empty())
        return {};
    return ItemIdList({m_items.back()});
}

} // namespace bivora
