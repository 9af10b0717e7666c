#pragma once

#include "shell/shell_types.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace bivora {

struct DirectoryReadResult {
    bool opened = false;      // false: the folder could not be opened or read (error holds errno)
    bool someFailed = false;  // an entry exists but could not be examined (permission, I/O)
    bool cancelled = false;   // the cancel flag stopped the read
    int error = 0;
};

// Reads one directory: one scan plus one statx per entry. "." and ".." are skipped;
// flags choose folders (enumflags::kFolders), other entries (kNonFolders) and hidden
// names (kIncludeHidden). Each entry reaches the sink in the directory's order, with
// the target's size and times when it is a link that resolves, else the link's own
// (a dangling link or a loop is listed like a file). Directories report size 0.
// A link to a directory counts as an "other entry" for the flags, not as a folder.
// An entry that vanished between the scan and its statx is skipped quietly; one that
// exists but cannot be examined sets someFailed and is left out.
DirectoryReadResult ReadDirectory(const std::string& path, std::uint32_t flags,
                                  const std::atomic<bool>* cancel,
                                  const std::function<void(FindData&&)>& sink);

// One entry, examined as ReadDirectory would (the stand-in of a find-first-file); the
// name is the path's last component. False when the entry is missing or cannot be examined.
bool StatEntry(const std::string& path, FindData& out);

} // namespace bivora
