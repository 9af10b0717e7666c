#pragma once

#include "shell/item_id.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace bivora {

class ShellNamespace;

// What ResolvePath made of a typed text.
namespace resolve {
inline constexpr std::uint32_t kError = 0x01;         // nothing usable
inline constexpr std::uint32_t kPattern = 0x02;       // the last component holds "*" or "?": folder + filter
inline constexpr std::uint32_t kFile = 0x04;          // the text names an existing file (not a folder)
inline constexpr std::uint32_t kFolder = 0x08;        // a folder: neither kPattern nor kFile
inline constexpr std::uint32_t kCurrentFolder = 0x10; // no folder part: the base folder was used
inline constexpr std::uint32_t kRelative = 0x20;      // the folder part was relative to the base folder
inline constexpr std::uint32_t kAbsolute = 0x40;      // "/...", "~", "~/...", a drive letter form
} // namespace resolve

// The folder each drive last showed, by the drive's mount path: what "D:" and "D:x" start from.
using DriveFolders = std::map<std::string, std::string>;

struct ResolvedPath {
    std::uint32_t flags = 0;
    // The folder (kFolder, kPattern) or the file (kFile). None with kError, and for the
    // two results that need none: an empty text (kFolder | kCurrentFolder) and a
    // pattern without a folder part (kPattern | kCurrentFolder), which filters the
    // folder a pane already shows.
    std::optional<ItemIdList> id;
    std::string folderPath; // the folder's full canonical path (the file's folder with kFile)
    std::string fileName;   // kFile: the name to focus in that folder
    std::string filter;     // kPattern: the last component as typed ("*.conf")

    bool Failed() const { return (flags & resolve::kError) != 0; }
};

// Typed text (the address bar, bookmarks, history, folder fields of dialogs) to a
// place in the namespace. Spaces at both ends are ignored; the text is taken as bytes,
// so a path that is not UTF-8 comes back as it went in.
//   /abs/path, ~, ~/x        the path (~ is the home folder)
//   D:  D:/x  D:x            drive D's remembered folder (its mount point when none),
//                            x below D's mount point, x below D's remembered folder
//   x, ../x, ..              relative to baseFolder, the active pane's file-system
//                            folder; an empty baseFolder (a virtual folder) refuses them
//   /etc/*.conf, *.h         a pattern in the last component: folder + filter
//   a file's path            its folder and its name to focus (kFile)
//   ::{Computer} ...         a virtual folder's parsing name
// Relative and drive-relative forms resolve as a change of directory would, following
// links (so "link/.." is the parent of the link's target), but without changing the
// process's current directory: resolving is safe from any thread and leaves nothing
// behind on failure. Absolute forms are folded by the namespace's parse.
// Fails (kError) for a pattern in an earlier component, a drive letter without a
// drive, a folder that does not exist or cannot be entered, control characters, and
// a text longer than the longest path the system takes.
// It touches the file system (stat, realpath, the mount table), so on a dead network
// mount it blocks like any read of it.
ResolvedPath ResolvePath(const ShellNamespace& ns, std::string_view text, std::string_view baseFolder,
                         const DriveFolders& driveFolders);

// The trimmed text resolved; the full path of the folder it names, or an empty text
// when it names no existing folder (a file, a pattern, nothing, an error). Folder fields
// of dialogs are checked with it, and get relative and drive forms back as full paths.
std::string FolderPathOf(const ShellNamespace& ns, std::string_view text, std::string_view baseFolder,
                         const DriveFolders& driveFolders);

} // namespace bivora
