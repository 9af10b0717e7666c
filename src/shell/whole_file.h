#pragma once

#include "shell/sys_result.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace bivora {

// What a file was when it was read, enough to tell that it has changed on disk since.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;

    bool operator==(const FileStamp&) const = default;
};

// The stamp of the file a path names now (links followed).
SysResult<FileStamp> StampFile(const std::string& path);

struct WholeFile {
    std::string bytes;
    FileStamp stamp;
};

// Reads a regular file whole, links followed, in blocks. A FIFO, device or socket is
// refused before it is opened (EINVAL), a folder gives EISDIR, a file longer than limit
// EFBIG (also one that grows past it while it is read), a raised stop flag ECANCELED.
// A file that shrinks meanwhile reads as what is left. progress(done, total) follows
// each block. Any thread.
SysResult<WholeFile> ReadWholeFile(const std::string& path, std::size_t limit, const std::atomic<bool>* stop = nullptr,
                                   const std::function<void(std::uint64_t done, std::uint64_t total)>& progress = {});

// Writes bytes as the file path names, never leaving it half written: the bytes go to
// a new file in the same folder, are flushed to the disk, get the old file's mode (and
// owner, where allowed), and the new file is renamed over the old one. A link is
// followed and its target replaced, so the link stays. On any failure (a folder that
// cannot be written, a full disk) the old file is as it was, the new one is removed,
// and the errno tells why. Any thread.
SysStatus WriteFileSafely(const std::string& path, std::string_view bytes);

} // namespace bivora
