#pragma once

#include "shell/directory_reader.h"
#include "shell/environment.h"
#include "shell/item_id.h"
#include "shell/shell_types.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bivora {

// A mounted volume shown under Computer (or, for network file systems, under Network).
struct Drive {
    std::string mountPath; // unescaped mount point
    std::string device;    // mount source
    std::string fsType;
    std::string label;     // the file system's label, empty when unknown
    char letter = 0;       // 'C' for "/", then 'D'... in mount-path order; 0 past 'Z'
    bool removable = false;
    bool network = false;

    // "label (X:)", or the last component of the mount path, or "File System" for "/".
    std::string DisplayName() const;
};

// Parses the text of /proc/self/mountinfo into the drives the program shows: "/" first
// (always present, even when the text is empty or garbage), then the rest by mount path,
// with letters given in that order. Pseudo and system file systems are left out.
// Labels are looked up in byLabelDir (links named after labels, pointing at devices).
std::vector<Drive> DrivesFromMountInfo(std::string_view mountInfo, const std::string& byLabelDir);

// The mount point holding path (absolute, links resolved): the longest mount path of
// the table, of any file system, that is path or one of its ancestors; "/" when none.
std::string MountPointOf(std::string_view mountInfo, std::string_view path);

// The namespace that panes browse: one tree rooted at the Desktop (an empty list).
// Desktop -> Computer, Home, Documents, Network, Trash, then the desktop directory's
// entries; Computer -> drives -> directory entries; Network -> network drives (links
// to their mount points); Trash -> the home trash by original names.
//
// Thread safety: every const member may be called from any thread at once; the
// namespace keeps no state that a call changes except the hidden-files switch.
// Owned by a std::shared_ptr, it is shared by the folders read from it (see ShellFolder).
class ShellNamespace : public std::enable_shared_from_this<ShellNamespace> {
public:
    explicit ShellNamespace(Environment env);

    // How folders read a directory: ReadDirectory, or a stand-in a test sets before any
    // folder is read (one that blocks like a dead mount, say).
    using DirectoryReader = std::function<DirectoryReadResult(const std::string& path, std::uint32_t flags,
                                                              const std::atomic<bool>* cancel,
                                                              const std::function<void(FindData&&)>& sink)>;
    void SetDirectoryReader(DirectoryReader reader) { m_directoryReader = std::move(reader); }
    DirectoryReadResult ReadDirectory(const std::string& path, std::uint32_t flags, const std::atomic<bool>* cancel,
                                      const std::function<void(FindData&&)>& sink) const;

    const Environment& Env() const { return m_env; }

    // Whether reads include hidden items (names starting with "."); read at each enumeration.
    void SetShowHiddenFiles(bool show) { m_showHidden.store(show, std::memory_order_relaxed); }
    bool ShowHiddenFiles() const { return m_showHidden.load(std::memory_order_relaxed); }

    // The XDG user directories (user-dirs.dirs), falling back to home/Desktop and
    // home/Documents, and to home when those do not exist.
    std::string DesktopDirectory() const;
    std::string DocumentsDirectory() const;

    // A fresh read of the mount table. An unreadable table still gives "/".
    std::vector<Drive> Drives() const;

    // What an absolute list names, when it can be opened as a folder.
    struct Folder {
        enum class Kind { Desktop, Computer, Network, Trash, Directory };
        Kind kind = Kind::Directory;
        std::string directory;       // the directory read for Desktop and Directory; empty otherwise
        std::uint32_t attributes = 0; // before the parent adjustment of ShellFolder::Open
    };
    std::optional<Folder> Bind(const ItemIdList& id) const;

    // Attributes of the item an absolute list names (kFileSystem, kFolder, kLink,
    // kFileSysAncestor, kRemovable; kHasSubfolder only when asked, since it reads the folder).
    std::optional<std::uint32_t> Attributes(const ItemIdList& id, bool withHasSubfolder = false) const;

    // The normal display name ("Computer", "File System (C:)", a file name) and the
    // parsing name (a full path for file-system items, "::{Computer}", "::{Network}",
    // "::{Trash}" for the virtual folders, the desktop directory for the Desktop).
    std::optional<std::string> DisplayName(const ItemIdList& id) const;
    std::optional<std::string> ParsingName(const ItemIdList& id) const;

    // The file-system path of the item, or nullopt for a virtual one.
    std::optional<std::string> FileSystemPath(const ItemIdList& id) const;

    // The children of a virtual folder: the Desktop's own virtual items (its directory
    // entries are read separately), Computer's drives, Network's drives, the Trash's
    // items. nullopt when the folder cannot be read or cancel was set. Hidden trash items
    // obey kIncludeHidden.
    struct Child {
        ItemId id;
        std::uint32_t attributes = 0;
        std::string name;        // the name used for sorting and matching
        std::string displayName; // the name shown
        std::optional<FindData> find; // present for file-system children
    };
    std::optional<std::vector<Child>> EnumerateVirtual(const Folder& folder, std::uint32_t flags,
                                                       const std::atomic<bool>* cancel = nullptr) const;

    // An absolute path ("/x/y", "~", "~/x"), or a virtual folder's parsing name, to its
    // canonical list: Computer -> the drive with the longest mount path that is a prefix
    // -> the remaining components. "." and ".." components and repeated "/" are folded.
    // Relative and drive-letter forms are the path resolver's business, not this one's.
    std::optional<ItemIdList> ParsePath(std::string_view text) const;

    // The canonical list of the directory a symbolic link leads to (its realpath), or
    // nullopt when it does not lead to a directory (dangling, a loop, a file).
    std::optional<ItemIdList> ResolveLinkToFolder(const std::string& linkPath) const;

    enum class SpecialFolder { DesktopDirectory, Documents, Network };
    std::optional<ItemIdList> SpecialFolderId(SpecialFolder which) const;

private:
    Environment m_env;
    std::atomic<bool> m_showHidden{true};
    DirectoryReader m_directoryReader;
};

} // namespace bivora
