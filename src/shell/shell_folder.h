#pragma once

#include "shell/item_id.h"
#include "shell/shell_item.h"
#include "shell/shell_namespace.h"
#include "shell/shell_types.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bivora {

using ItemList = std::vector<std::unique_ptr<ShellItem>>;

// One opened folder and its records. Made and read on any one thread at a time:
// a pane may open it on a worker and then hand it to the GUI thread.
class ShellFolder {
public:
    enum OpenResult : int { kFailed = 0, kOk = 1, kPartial = 2 };

    explicit ShellFolder(const ShellNamespace& ns, std::uint32_t enumFlags = enumflags::kPane);
    ~ShellFolder();
    ShellFolder(const ShellFolder&) = delete;
    ShellFolder& operator=(const ShellFolder&) = delete;

    // Binds the folder the list names, fills attributes, path and title, and, when read
    // is true, enumerates its children. 0 on failure (nothing changed), 1 on success,
    // 2 when some children were not accessible. cancel, when given, is polled during
    // the read; a cancelled read fails.
    int Open(ItemIdList id, bool read, const std::atomic<bool>* cancel = nullptr);

    // Appends one record per child to list; 0, 1 or 2 as for Open.
    int Enumerate(ItemList& list, const std::atomic<bool>* cancel = nullptr);

    // Re-reads the folder and merges the result into the records: unchanged records stay
    // (so their rows survive), changed ones of state 1 become 4, new ones arrive with
    // state 2, vanished ones of state 1 become 3 and those in any other state are
    // destroyed at once. runningTotal is adjusted by the size change of every changed
    // shown record. False when the re-read failed; the records are untouched then.
    bool MergeRefresh(std::uint64_t& runningTotal, const std::atomic<bool>* cancel = nullptr);

    // The first record whose name equals name byte for byte.
    ShellItem* FindItemByName(std::string_view name) const;
    ShellItem* FindItemById(const ItemId& id) const;
    // Unlinks and destroys the record.
    void RemoveItem(const ShellItem* item);

    // A copy of the folder's list without its last n items; nullopt when it has fewer.
    std::optional<ItemIdList> ParentId(std::size_t n = 1) const;

    const ItemList& Items() const { return m_items; }
    const ItemIdList& Id() const { return m_id; }
    std::uint32_t Attributes() const { return m_attributes; }
    std::uint32_t EnumFlags() const { return m_enumFlags; }
    bool IsFileSystem() const { return (m_attributes & attr::kFileSystem) != 0; }
    bool IsFileSystemRoot() const;
    const std::string& Path() const { return m_path; }
    const std::string& Title() const { return m_title; }
    const ShellNamespace& Namespace() const { return m_ns; }

    // 1 while a watcher may ask the pane to refresh; 0 during file operations and label edits.
    std::atomic<bool> watchRefresh{true};

private:
    // Reads the children of the bound folder into list (after what it already holds):
    // a directory's entries in the reverse of the listing order, then virtual children
    // in their order. On failure nothing is appended.
    int EnumerateInto(const ShellNamespace::Folder& bound, ItemList& list, const std::atomic<bool>* cancel);

    const ShellNamespace& m_ns;
    std::uint32_t m_enumFlags;
    std::uint32_t m_attributes = 0;
    ItemIdList m_id;
    std::string m_path;
    std::string m_title;
    std::string m_directory; // the directory read for file-system children; empty for virtual folders
    ShellNamespace::Folder::Kind m_kind = ShellNamespace::Folder::Kind::Desktop; // of the bound folder
    ItemList m_items;
};

} // namespace bivora
