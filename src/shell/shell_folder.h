#pragma once

#include "shell/folder_edits.h"
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

// How a read ended. error is the errno of a failure (ECANCELED for a cancelled read):
// a folder that may not be read (EACCES) is not one that has gone (ENOENT, ENOTDIR).
struct FolderReadResult {
    enum Status : int { kFailed = 0, kOk = 1, kPartial = 2 };
    Status status = kFailed;
    int error = 0;

    operator Status() const { return status; } // NOLINT: compared and tested as its status
    bool Gone() const;
};

// A record as a re-read compares it: its identity and what a change shows in.
struct RecordKey {
    ItemId::Kind kind = ItemId::Kind::Entry;
    std::string key;
    std::uint64_t size = 0;
    FileTime modified = 0;
    std::uint32_t attributes = 0;
};

// What a re-read found against the records the folder held when it was asked.
// Records the new order does not name have vanished.
struct RefreshDiff {
    std::uint64_t version = 0; // the folder's record version the difference was taken against
    ItemList added;            // records that were not there, in the order read
    // The records in the re-read's order: an existing record's index, or -1 - k for added[k].
    std::vector<std::ptrdiff_t> order;
    struct Change {
        std::size_t index; // of the existing record
        std::uint64_t size;
        FileTime modified;
        std::uint32_t attributes;
    };
    std::vector<Change> changed; // size, modified time or attributes differ
};

// What applying a difference did, for whoever shows the records.
struct RefreshApplied {
    std::vector<ShellItem*> added; // in the re-read's order
    struct Changed {
        ShellItem* item;
        std::uint64_t oldSize;
    };
    std::vector<Changed> changed;
    ItemList vanished; // unlinked from the folder: the caller lets them go after their rows
};

class ShellFolder;

// A re-read as a worker runs it: a reader bound to the same folder and the records as
// they were, both its own, so that it reads nothing the folder's thread owns.
class RefreshReader {
public:
    RefreshReader(RefreshReader&&) noexcept;
    RefreshReader& operator=(RefreshReader&&) noexcept;
    ~RefreshReader();

    // Reads the folder afresh and fills diff; nothing of diff counts on failure.
    FolderReadResult Read(RefreshDiff& diff, const std::atomic<bool>* cancel = nullptr);

private:
    friend class ShellFolder;
    RefreshReader();

    // Read for a plain directory: only the entries that did not match become records.
    FolderReadResult ReadDirectory(RefreshDiff& diff, const std::atomic<bool>* cancel);

    std::unique_ptr<ShellFolder> m_reader;
    std::vector<RecordKey> m_base;
    std::uint64_t m_version = 0;
};

// One opened folder and its records. Made and read on any one thread at a time:
// a pane may open it on a worker and then hand it to the GUI thread.
//
// A namespace owned by a std::shared_ptr is co-owned by its folders (and by their
// refresh readers), so that a worker still reading keeps it alive; one owned
// otherwise must outlive them.
class ShellFolder {
public:
    using OpenResult = FolderReadResult::Status;
    static constexpr OpenResult kFailed = FolderReadResult::kFailed;
    static constexpr OpenResult kOk = FolderReadResult::kOk;
    static constexpr OpenResult kPartial = FolderReadResult::kPartial;

    explicit ShellFolder(const ShellNamespace& ns, std::uint32_t enumFlags = enumflags::kPane);
    ~ShellFolder();
    ShellFolder(const ShellFolder&) = delete;
    ShellFolder& operator=(const ShellFolder&) = delete;

    // Binds the folder the list names, fills attributes, path and title, and, when read
    // is true, enumerates its children. On failure nothing changes; kPartial when some
    // children were not accessible. cancel, when given, is polled during the read; a
    // cancelled read fails.
    FolderReadResult Open(ItemIdList id, bool read, const std::atomic<bool>* cancel = nullptr);

    // Appends one record per child to list; as for Open.
    FolderReadResult Enumerate(ItemList& list, const std::atomic<bool>* cancel = nullptr);

    // A refresh in three steps: PrepareRefresh on the folder's thread, Read on a worker,
    // ApplyRefresh back on the folder's thread. Applying keeps unchanged records (so
    // their rows survive) and updates changed ones in place (created and accessed times
    // stay), links the added ones and unlinks the vanished ones; the records take the
    // re-read's order. A difference taken before the records last changed is refused.
    RefreshReader PrepareRefresh() const;
    std::optional<RefreshApplied> ApplyRefresh(RefreshDiff&& diff);
    // The three steps at once, on one thread.
    std::optional<RefreshApplied> Refresh(const std::atomic<bool>* cancel = nullptr);

    // The first record whose name equals name byte for byte.
    ShellItem* FindItemByName(std::string_view name) const;
    ShellItem* FindItemById(const ItemId& id) const;
    // Unlinks and destroys the record.
    void RemoveItem(const ShellItem* item);

    // Renames the record's entry to newName within the folder, never over an existing
    // item (folder_edits.h, RenameEntry), and puts a new record in its place that keeps
    // the old one's created and accessed times; the old record is destroyed. Null, and
    // nothing changed, when the record is no entry of this folder's directory, the name
    // is not plain or the rename failed (its errno in *error when asked).
    ShellItem* ReplaceItem(const ShellItem* item, std::string_view newName, int* error = nullptr);
    // The record swap of ReplaceItem, for a rename made elsewhere (on a worker): renamed
    // is the entry under its new name, as RenameEntry gave it.
    ShellItem* ReplaceRenamed(const ShellItem* item, FindData renamed);
    // Creates an empty "New File.txt" or a "New Folder" (the first free numbered name,
    // CreateNewEntry) in the folder's directory and appends its record. Null on failure.
    ShellItem* CreateNewItem(NewItemKind kind, int* error = nullptr);
    // Appends the record of an entry created elsewhere (CreateNewEntry on a worker).
    ShellItem* AppendCreated(FindData created);
    // The directory whose entries the folder lists; empty for virtual folders.
    const std::string& Directory() const { return m_directory; }

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
    const ShellNamespace& Namespace() const { return *m_ns; }

    // 1 while a watcher may ask the pane to refresh; 0 during file operations and label edits.
    // Shared with the folder's watcher rather than part of what the folder holds, so it
    // may be switched on a folder seen as const.
    mutable std::atomic<bool> watchRefresh{true};

private:
    friend class RefreshReader;
    friend struct PathItem ItemFromPath(const ShellNamespace& ns, std::string_view path);

    // Reads the children of the bound folder into list (after what it already holds):
    // a directory's entries in the reverse of the listing order, then virtual children
    // in their order. On failure nothing is appended.
    FolderReadResult EnumerateInto(const ShellNamespace::Folder& bound, ItemList& list,
                                   const std::atomic<bool>* cancel);

    std::shared_ptr<const ShellNamespace> m_ns;
    std::uint32_t m_enumFlags;
    std::uint32_t m_attributes = 0;
    ItemIdList m_id;
    std::string m_path;
    std::string m_title;
    std::string m_directory; // the directory read for file-system children; empty for virtual folders
    ShellNamespace::Folder::Kind m_kind = ShellNamespace::Folder::Kind::Desktop; // of the bound folder
    ItemList m_items;
    std::uint64_t m_version = 0; // counts the changes of m_items
};

// A record for a full path (a find result): the path is resolved as typed text would
// be, but only an absolute path naming an existing file or folder is taken. The
// record's folder is the path's parent, opened without reading; it holds just this
// record. No folder and no record when the path is refused or its parent cannot be opened.
struct PathItem {
    std::unique_ptr<ShellFolder> folder;
    ShellItem* item = nullptr;
};
PathItem ItemFromPath(const ShellNamespace& ns, std::string_view path);

} // namespace bivora
