#pragma once

#include "shell/shell_types.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace bivora {

// How an entry that is a link is reported: with its target's size and times when it
// resolves (what a pane lists), or with its own (what a walk adds up: a link is one
// small file and never a way into another tree).
enum class LinkData { Target, Own };

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

// The same for a directory already open at dirFd (opened with O_DIRECTORY); the
// descriptor stays open and the listing starts from the directory's beginning. With
// LinkData::Own a link is reported as itself, never as a folder. Entries are
// examined relative to the descriptor, so the directory's path may be of any length.
DirectoryReadResult ReadOpenDirectory(int dirFd, std::uint32_t flags, const std::atomic<bool>* cancel,
                                      const std::function<void(FindData&&)>& sink,
                                      LinkData links = LinkData::Target);

// One entry, examined as ReadDirectory would (the stand-in of a find-first-file); the
// name is the path's last component. False when the entry is missing or cannot be examined.
bool StatEntry(const std::string& path, FindData& out, LinkData links = LinkData::Target);

// The entry name in the directory open at dirFd, examined as ReadOpenDirectory would;
// out.name is left as it was. False when the entry is missing or cannot be examined.
bool StatEntryAt(int dirFd, const char* name, FindData& out, LinkData links = LinkData::Target);

} // namespace bivora
