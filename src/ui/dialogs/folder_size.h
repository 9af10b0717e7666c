#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace bivora {

// What a walk over items and everything below them found.
struct FolderTotal {
    std::uint64_t bytes = 0;   // sizes of everything but folders (links count as themselves)
    std::uint64_t files = 0;   // items that are not folders
    std::uint64_t folders = 0; // folders below the items, and the items that are folders
    std::uint64_t unreadable = 0; // folders that could not be listed
    bool stopped = false;      // the stop flag ended the walk early
};

// Sums the items and, for folders, everything below them. Links are not followed, so
// a link to a folder counts as one small file and a loop cannot occur. Checks stop
// before each entry; may run on any thread.
FolderTotal SumItems(const std::vector<std::string>& paths, const std::atomic<bool>& stop);

} // namespace bivora
