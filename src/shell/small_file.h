#pragma once

#include "shell/sys_result.h"
#include "shell/unique_fd.h"

#include <cstddef>
#include <cstdint>
#include <string>

struct stat;

namespace bivora {

// Whether the last component of a path may be a symbolic link.
enum class Links { Follow, Refuse };

// Opens a regular file for reading. Its type is looked at before the open, so that a
// FIFO or a device is never opened (opening some devices has effects of its own), and
// again on the descriptor, opened without blocking, in case the name was replaced in
// between. Failures keep their errno: ENOENT and ENOTDIR (gone), EACCES, ELOOP (a link
// where links are refused), EISDIR (a folder), EINVAL (a FIFO, device or socket).
// st is the descriptor's. Any thread.
SysResult<UniqueFd> OpenRegularFile(const std::string& path, Links links, struct stat& st);

// Reads count bytes, fewer only at the end of the file; -1 with errno on an error.
std::int64_t ReadFull(int fd, char* into, std::size_t count);

// About a megabyte: more than any small data file (a .trashinfo, user-dirs.dirs) holds.
inline constexpr std::size_t kSmallFileLimit = std::size_t(1) << 20;

// Reads a small data file whole. The file is opened without blocking, so a FIFO in its
// place never stalls the caller, and must be a regular file (checked on the open
// descriptor, so a swap after a check cannot slip a device in). The length is what
// reading finds, not what fstat says, so a /proc file (which says 0) reads whole.
// Failures keep their errno: ENOENT, EACCES, ELOOP (a link where links are refused),
// EISDIR (a folder), EINVAL (a FIFO, device or socket), EFBIG (longer than limit: the
// file is refused, never cut short). Any thread.
SysResult<std::string> ReadSmallFile(const std::string& path, Links links = Links::Refuse,
                                     std::size_t limit = kSmallFileLimit);

// Up to count bytes from the start of a regular file (links followed), for telling
// its kind by its content; fewer when the file is shorter. The same open rules and
// failures as ReadSmallFile.
SysResult<std::string> ReadFileHead(const std::string& path, std::size_t count);

} // namespace bivora
