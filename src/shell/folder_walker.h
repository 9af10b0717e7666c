#pragma once

#include "shell/shell_types.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace bivora {

// One item a walk reached.
struct WalkEntry {
    const FindData& find;    // a link with its own size and times: links are never followed
    std::string_view folder; // the path of the folder holding it, for showing; no system call uses it
    std::size_t depth;       // 0 for the items the walk started from
};

// What a walk tells its caller while it runs, on the walking thread. Every member may
// be empty. Calls come as often as entries and folders do: a caller that shows
// progress throttles it itself.
struct WalkVisitor {
    std::function<void(const WalkEntry&)> entry{};                     // every item, the starting items too
    std::function<void(std::string_view folder)> folderDone{};         // a folder has been listed
    std::function<void(std::string_view folder, int error)> unreadable{};// a folder could not be listed
    // asked for every folder found below the starting items, after entry: false keeps the
    // walk out of it (a folder on another file system, say); empty enters every folder
    std::function<bool(const WalkEntry&)> descend{};
};

struct WalkResult {
    bool stopped = false;        // the stop flag ended the walk early
    std::uint64_t unreadable = 0; // folders that could not be listed (or not be returned to)
};

// Walks the items and everything below the folders among them, depth first, folder by
// folder: each folder is listed whole (one scan, one statx per entry) before the walk
// goes into its subfolders. Folders are opened relative to their parent's descriptor
// and the walk keeps its own stack, so neither the depth of a tree nor the length of
// its paths limits it. Links are not followed, so a loop cannot occur. The stop flag
// is checked before every entry. May run on any thread.
WalkResult WalkItems(const std::vector<std::string>& paths, const std::atomic<bool>* stop,
                     const WalkVisitor& visitor);

// What a walk over items and everything below them found.
struct FolderTotal {
    std::uint64_t bytes = 0;      // sizes of everything but folders (links count as themselves)
    std::uint64_t files = 0;      // items that are not folders
    std::uint64_t folders = 0;    // folders below the items, and the items that are folders
    std::uint64_t unreadable = 0; // folders that could not be listed
    bool stopped = false;         // the stop flag ended the walk early
};

// Sums the items and, for folders, everything below them (see WalkItems). progress,
// when given, receives the total so far each time a folder has been listed.
FolderTotal SumItems(const std::vector<std::string>& paths, const std::atomic<bool>& stop,
                     const std::function<void(const FolderTotal&)>& progress = {});

} // namespace bivora
