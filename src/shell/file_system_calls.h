#pragma once

#include "shell/sys_result.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <sys/types.h>
#include <time.h>

namespace bivora {

// What the engine needs to know of an entry.
struct FileStat {
    mode_t mode = 0;          // type and permission bits
    std::uint64_t size = 0;
    dev_t device = 0;
    ino_t inode = 0;
    timespec accessed{};
    timespec modified{};
};

// The file-system calls the file-operation engine makes, behind one interface so that
// tests can inject faults (a full disk at the Nth write, a read error, a refused create,
// a source that vanishes, a cancel in the middle of a file). Paths are absolute; each
// call is one system call and keeps its errno. RealFileSystem() (file_operation.h) makes
// the real ones.
class FileSystemCalls {
public:
    virtual ~FileSystemCalls() = default;

    // open(2); O_CLOEXEC is added.
    virtual SysResult<int> Open(const std::string& path, int flags, mode_t mode = 0) = 0;
    virtual SysStatus Close(int fd) = 0;
    virtual SysResult<std::size_t> Read(int fd, char* buffer, std::size_t size) = 0;
    virtual SysResult<std::size_t> Write(int fd, const char* data, std::size_t size) = 0;
    // copy_file_range(2) from in's offset to out's, both advanced; 0 at the source's end.
    virtual SysResult<std::size_t> CopyRange(int in, int out, std::size_t size) = 0;
    // The FICLONE ioctl: out shares in's blocks (a reflink), where the file system can.
    virtual SysStatus Clone(int in, int out) = 0;
    // fstatat(2); a link is described as itself unless followLink.
    virtual SysResult<FileStat> Stat(const std::string& path, bool followLink = false) = 0;
    virtual SysResult<FileStat> StatFd(int fd) = 0;
    // The names in a folder, without "." and "..", in the folder's order.
    virtual SysResult<std::vector<std::string>> List(const std::string& folder) = 0;
    virtual SysStatus MakeFolder(const std::string& path, mode_t mode) = 0;
    // symlinkat(2): a link at path holding target.
    virtual SysStatus MakeLink(const std::string& target, const std::string& path) = 0;
    virtual SysResult<std::string> ReadLink(const std::string& path) = 0;
    // renameat2(2); with noReplace an existing target fails with EEXIST.
    virtual SysStatus Rename(const std::string& from, const std::string& to, bool noReplace) = 0;
    // unlinkat(2); folder removes an empty folder.
    virtual SysStatus Remove(const std::string& path, bool folder) = 0;
    // fchmod(2) / futimens(2) on an open file (times: accessed, modified).
    virtual SysStatus SetMode(int fd, mode_t mode) = 0;
    virtual SysStatus SetTimes(int fd, const timespec times[2]) = 0;
    // fchmodat(2) for a folder; utimensat(2) for a folder or a link (never followed).
    virtual SysStatus SetModeAt(const std::string& path, mode_t mode) = 0;
    virtual SysStatus SetTimesAt(const std::string& path, const timespec times[2]) = 0;
};

} // namespace bivora
