#pragma once

#include "base/date_kind.h"
#include "base/row_key.h"
#include "shell/item_id.h"
#include "shell/shell_namespace.h"
#include "shell/shell_types.h"

#include <cstdint>
#include <optional>
#include <string>

namespace bivora {

class ShellFolder;

// One child of an opened folder. Records are owned by their folder and live as
// long as it does, except that refreshes and pane removals destroy vanished ones.
// How a record is shown (its row, its icon) is the view's business, not the record's.
class ShellItem {
public:
    ShellItem(ShellFolder* folder, ItemId id);

    const ItemId& Id() const { return m_id; }
    ShellFolder* Folder() const { return m_folder; }
    std::uint32_t Attributes() const { return m_attributes; }

    // The file name as the file system spells it (for file-system items), else the
    // display name. Sorting, filters, lookups and refresh matching use it.
    const std::string& Name() const { return m_name; }
    // The name shown in the Name column.
    const std::string& DisplayName() const { return m_displayName.empty() ? m_name : m_displayName; }

    std::uint64_t size = 0;
    FileTime modified = 0;
    FileTime created = 0;
    FileTime accessed = 0;

    // The attributes a directory entry gives its record.
    static std::uint32_t EntryAttributes(const FindData& find);
    // Fills the record from a directory entry of a file-system folder. False when the
    // entry cannot become a record (it has no name); the caller discards it then.
    bool Init(FindData&& find);
    // Fills the record from a child of a virtual folder; its size and times are taken
    // only when the child brings find data and both it and fileSystemFolder are
    // file-system objects. False when the child cannot become a record.
    bool Init(ShellNamespace::Child&& child, bool fileSystemFolder);

    // Fills the record from what the namespace or the directory read reported. A change
    // of attributes forgets the resolved link target.
    void SetAttributes(std::uint32_t attributes);
    void SetName(std::string name) { m_name = std::move(name); }
    void SetDisplayName(std::string displayName); // empty, or equal to the name: shown as the name
    void SetFindData(const FindData& find);

    // Folder attribute set; with followLinks also a link in a file-system folder that
    // resolves to a folder.
    bool IsFolder(bool followLinks) const;
    bool IsLink() const;
    bool IsFileSystem() const;
    // The folder's path joined with the name in a file-system folder, else the parsing name.
    std::string FullPath() const;
    // The folder's list followed by this item; with followLinks the link target's list
    // when the item is a link to a folder.
    ItemIdList AbsoluteId(bool followLinks) const;
    bool HasSubfolders() const;
    // Re-reads the created and accessed times from the file system; false when the entry is gone.
    bool FillFileTimes();
    // The list of the folder a link leads to; resolved on first use only, then cached.
    // nullopt when the item is not a link to a folder.
    const std::optional<ItemIdList>& LinkTarget() const;

    FileTime Time(DateKind kind) const { return Key().Time(kind); }
    // What the pane's row order reads of the record; it views the record's name.
    RowKey Key() const { return {m_name, IsFolder(false), size, modified, created, accessed}; }

private:
    friend class ShellFolder; // a refresh moves records read elsewhere into the folder

    ShellFolder* m_folder;
    ItemId m_id;
    std::uint32_t m_attributes = 0;
    std::string m_name;
    std::string m_displayName;
    mutable bool m_linkResolved = false;
    mutable std::optional<ItemIdList> m_linkTarget;
};

} // namespace bivora
