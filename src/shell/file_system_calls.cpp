#include "shell/file_system_calls.h"

#include "shell/file_operation.h"

#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bivora {

namespace {

SysStatus StatusOf(int rc)
{
    return rc == 0 ? SysStatus(Done{}) : SysStatus::Failure(errno);
}

SysResult<std::size_t> CountOf(ssize_t rc)
{
    return rc >= 0 ? SysResult<std::size_t>(static_cast<std::size_t>(rc)) : SysResult<std::size_t>::Failure(errno);
}

FileStat FromStat(const struct stat& st)
{
    return {st.st_mode, static_cast<std::uint64_t>(st.st_size), st.st_dev, st.st_ino, st.st_atim, st.st_mtim};
}

class RealCalls final : public FileSystemCalls {
public:
    SysResult<int> Open(const std::string& path, int flags, mode_t mode) override
    {
        int fd;
        do
            fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
        while (fd < 0 && errno == EINTR);
        return fd >= 0 ? SysResult<int>(fd) : SysResult<int>::Failure(errno);
    }
    SysStatus Close(int fd) override
    {
        // Linux frees the descriptor even when close fails, so EINTR is not retried.
        return StatusOf(::close(fd));
    }
    SysResult<std::size_t> Read(int fd, char* buffer, std::size_t size) override
    {
        ssize_t rc;
        do
            rc = ::read(fd, buffer, size);
        while (rc < 0 && errno == EINTR);
        return CountOf(rc);
    }
    SysResult<std::size_t> Write(int fd, const char* data, std::size_t size) override
    {
        ssize_t rc;
        do
            rc = ::write(fd, data, size);
        while (rc < 0 && errno == EINTR);
        return CountOf(rc);
    }
    SysResult<std::size_t> CopyRange(int in, int out, std::size_t size) override
    {
        ssize_t rc;
        do
            rc = ::copy_file_range(in, nullptr, out, nullptr, size, 0);
        while (rc < 0 && errno == EINTR);
        return CountOf(rc);
    }
    SysStatus Clone(int in, int out) override { return StatusOf(::ioctl(out, FICLONE, in)); }
    SysResult<FileStat> Stat(const std::string& path, bool followLink) override
    {
        struct stat st;
        if (::fstatat(AT_FDCWD, path.c_str(), &st, followLink ? 0 : AT_SYMLINK_NOFOLLOW) != 0)
            return SysResult<FileStat>::Failure(errno);
        return FromStat(st);
    }
    SysResult<FileStat> StatFd(int fd) override
    {
        struct stat st;
        if (::fstat(fd, &st) != 0)
            return SysResult<FileStat>::Failure(errno);
        return FromStat(st);
    }
    SysResult<std::vector<std::string>> List(const std::string& folder) override
    {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return SysResult<std::vector<std::string>>::Failure(errno);
        DIR* dir = ::fdopendir(fd);
        if (!dir) {
            const int error = errno;
            ::close(fd);
            return SysResult<std::vector<std::string>>::Failure(error);
        }
        std::vector<std::string> names;
        errno = 0;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..")
                names.emplace_back(name);
            errno = 0;
        }
        const int error = errno;
        ::closedir(dir);
        if (error != 0)
            return SysResult<std::vector<std::string>>::Failure(error);
        return names;
    }
    SysStatus MakeFolder(const std::string& path, mode_t mode) override
    {
        return StatusOf(::mkdirat(AT_FDCWD, path.c_str(), mode));
    }
    SysStatus MakeLink(const std::string& target, const std::string& path) override
    {
        return StatusOf(::symlinkat(target.c_str(), AT_FDCWD, path.c_str()));
    }
    SysResult<std::string> ReadLink(const std::string& path) override
    {
        std::string target(256, '\0');
        for (;;) {
            const ssize_t rc = ::readlinkat(AT_FDCWD, path.c_str(), target.data(), target.size());
            if (rc < 0)
                return SysResult<std::string>::Failure(errno);
            if (static_cast<std::size_t>(rc) < target.size()) {
                target.resize(static_cast<std::size_t>(rc));
                return target;
            }
            target.resize(target.size() * 2);
        }
    }
    SysStatus Rename(const std::string& from, const std::string& to, bool noReplace) override
    {
        return StatusOf(::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), noReplace ? RENAME_NOREPLACE : 0));
    }
    SysStatus Remove(const std::string& path, bool folder) override
    {
        return StatusOf(::unlinkat(AT_FDCWD, path.c_str(), folder ? AT_REMOVEDIR : 0));
    }
    SysStatus SetMode(int fd, mode_t mode) override { return StatusOf(::fchmod(fd, mode)); }
    SysStatus SetTimes(int fd, const timespec times[2]) override { return StatusOf(::futimens(fd, times)); }
    SysStatus SetModeAt(const std::string& path, mode_t mode) override
    {
        return StatusOf(::fchmodat(AT_FDCWD, path.c_str(), mode, 0));
    }
    SysStatus SetTimesAt(const std::string& path, const timespec times[2]) override
    {
        return StatusOf(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW));
    }
};

} // namespace

FileSystemCalls& RealFileSystem()
{
    static RealCalls calls;
    return calls;
}

} // namespace bivora
