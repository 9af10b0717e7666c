#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bivora {

// One step of an identifier list: a child of the folder that the steps before it
// name. An empty list is the Desktop.
struct ItemId {
    enum class Kind : std::uint8_t {
        Special,      // a virtual child of the Desktop; key: "Computer", "Home", "Documents", "Network" or "Trash"
        Drive,        // a mounted volume under Computer; key: its mount path
        NetworkDrive, // a network mount under Network, a link to its mount point; key: its mount path
        Entry,        // a directory entry of a file-system folder; key: the file name bytes
        TrashEntry,   // an item of the home trash; key: its name in the trash's files/ folder
    };

    Kind kind = Kind::Entry;
    std::string key;

    bool operator==(const ItemId&) const = default;
};

// An absolute (or, for a single step, relative) identifier list: a value type
// with the operations the folder model needs.
class ItemIdList {
public:
    ItemIdList() = default;
    explicit ItemIdList(std::vector<ItemId> items) : m_items(std::move(items)) {}

    bool IsEmpty() const { return m_items.empty(); }
    std::size_t Count() const { return m_items.size(); }
    const ItemId& operator[](std::size_t index) const { return m_items[index]; }
    const ItemId& Last() const { return m_items.back(); }
    const std::vector<ItemId>& Items() const { return m_items; }

    void Append(ItemId item) { m_items.push_back(std::move(item)); }
    // This list followed by other's items.
    ItemIdList Concat(const ItemIdList& other) const;
    // A copy without the last n items; nullopt when the list is empty or holds fewer than n items.
    std::optional<ItemIdList> ParentId(std::size_t n = 1) const;
    // The last item alone (an empty list for the Desktop).
    ItemIdList LastItem() const;

    bool operator==(const ItemIdList&) const = default;

private:
    std::vector<ItemId> m_items;
};

} // namespace bivora
