#pragma once

#include <cstdint>
#include <string>

namespace bivora {

// Item attribute bits; the values follow the classic shell's masks so that
// stored or logged values read the same.
namespace attr {
inline constexpr std::uint32_t kLink = 0x00010000;
inline constexpr std::uint32_t kRemovable = 0x02000000;
inline constexpr std::uint32_t kFileSysAncestor = 0x10000000;
inline constexpr std::uint32_t kFolder = 0x20000000;
inline constexpr std::uint32_t kFileSystem = 0x40000000;
inline constexpr std::uint32_t kHasSubfolder = 0x80000000;
} // namespace attr

// Enumeration flags of a folder read.
namespace enumflags {
inline constexpr std::uint32_t kFolders = 0x20;
inline constexpr std::uint32_t kNonFolders = 0x40;
inline constexpr std::uint32_t kIncludeHidden = 0x80;
inline constexpr std::uint32_t kPane = kFolders | kNonFolders;
} // namespace enumflags

// A file time: nanoseconds since the Unix epoch, UTC. Zero means "not available".
using FileTime = std::int64_t;

// What the file system says of one entry. Size and times are those of the link's
// target when a link resolves, else of the entry itself.
struct FindData {
    std::string name;
    std::uint64_t size = 0;
    FileTime modified = 0;
    FileTime created = 0; // birth time where the file system keeps it, else the change time
    FileTime accessed = 0;
    bool isDirectory = false; // the entry (or the target of a link) is a directory
    bool isLink = false;      // the entry itself is a symbolic link
    std::uint64_t device = 0; // identity of the file the data describes (device, inode) and
    std::uint64_t inode = 0;  // its number of hard links, for walks that count a file once
    std::uint32_t links = 0;
};

} // namespace bivora
