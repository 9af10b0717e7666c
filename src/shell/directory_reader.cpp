#include "shell/directory_reader.h"

#include "base/path_text.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace bivora {

namespace {

constexpr unsigned kStatxMask = STATX_TYPE | STATX_SIZE | STATX_MTIME | STATX_ATIME | STATX_CTIME | STATX_BTIME | STATX_INO | STATX_NLINK;

FileTime ToFileTime(const struct statx_timestamp& t)
{
    return static_cast<FileTime>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// Closes the directory stream (and with it its descriptor) on every way out.
class DirStream {
public:
    explicit DirStream(DIR* dir) : m_dir(dir) {}
    ~DirStream()
    {
        if (m_dir)
            closedir(m_dir);
    }
    DirStream(const DirStream&) = delete;
    DirStream& operator=(const DirStream&) = delete;
    DIR* get() const { return m_dir; }

private:
    DIR* m_dir;
};

bool IsDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

void Fill(const struct statx& sx, FindData& out)
{
    out.isDirectory = S_ISDIR(sx.stx_mode);
    // A directory has no byte size of its own worth adding up: its st_size is the
    // file system's bookkeeping, and would make totals and refreshes noisy.
    out.size = out.isDirectory ? 0 : sx.stx_size;
    out.modified = ToFileTime(sx.stx_mtime);
    out.accessed = ToFileTime(sx.stx_atime);
    out.created = (sx.stx_mask & STATX_BTIME) ? ToFileTime(sx.stx_btime) : ToFileTime(sx.stx_ctime);
    out.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    out.inode = sx.stx_ino;
    out.links = sx.stx_nlink;
}

enum class Examined { Ok, Gone, Failed };

// lstat for the link flag; the target's data when a link resolves, else the link's
// own, so a dangling link or a loop is listed like a file.
Examined Examine(int dirFd, const char* name, FindData& out, LinkData links)
{
    struct statx sx;
    if (statx(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kStatxMask, &sx) != 0)
        return (errno == ENOENT || errno == ENOTDIR) ? Examined::Gone : Examined::Failed;
    out.isLink = S_ISLNK(sx.stx_mode);
    if (out.isLink && links == LinkData::Target) {
        struct statx target;
        if (statx(dirFd, name, AT_NO_AUTOMOUNT, kStatxMask, &target) == 0) {
            Fill(target, out);
            return Examined::Ok;
        }
    }
    Fill(sx, out);
    return Examined::Ok;
}

} // namespace

DirectoryReadResult ReadDirectory(const std::string& path, std::uint32_t flags,
                                  const std::atomic<bool>* cancel,
                                  const std::function<void(FindData&&)>& sink)
{
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        DirectoryReadResult result;
        result.error = errno;
        return result;
    }
    const DirectoryReadResult result = ReadOpenDirectory(fd, flags, cancel, sink);
    close(fd);
    return result;
}

DirectoryReadResult ReadOpenDirectory(int dirFd, std::uint32_t flags, const std::atomic<bool>* cancel,
                                      const std::function<void(FindData&&)>& sink, LinkData links)
{
    DirectoryReadResult result;
    // the stream closes its own copy of the descriptor; the caller's stays open
    const int fd = fcntl(dirFd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        result.error = errno;
        return result;
    }
    DirStream dir(fdopendir(fd));
    if (!dir.get()) {
        result.error = errno;
        close(fd);
        return result;
    }
    // a duplicate shares the position: start from the top whatever read the descriptor before
    rewinddir(dir.get());
    result.opened = true;

    const bool includeHidden = (flags & enumflags::kIncludeHidden) != 0;
    const bool wantFolders = (flags & enumflags::kFolders) != 0;
    const bool wantOthers = (flags & enumflags::kNonFolders) != 0;

    for (;;) {
        if (cancel && cancel->load(std::memory_order_relaxed)) {
            result.cancelled = true;
            return result;
        }
        errno = 0;
        const dirent* entry = readdir(dir.get());
        if (!entry) {
            if (errno != 0) {
                // The listing broke off: what was read so far is not the folder.
                result.opened = false;
                result.error = errno;
            }
            return result;
        }
        const char* name = entry->d_name;
        if (IsDotOrDotDot(name) || (!includeHidden && name[0] == '.'))
            continue;

        FindData find;
        switch (Examine(dirfd(dir.get()), name, find, links)) {
        case Examined::Gone:
            continue;
        case Examined::Failed:
            result.someFailed = true;
            continue;
        case Examined::Ok:
            break;
        }
        // A link to a directory is a shortcut, listed with the other entries, not a folder.
        const bool isFolder = find.isDirectory && !find.isLink;
        if (isFolder ? !wantFolders : !wantOthers)
            continue;
        find.name.assign(name);
        sink(std::move(find));
    }
}

bool StatEntry(const std::string& path, FindData& out, LinkData links)
{
    if (path.empty())
        return false;
    FindData find;
    if (Examine(AT_FDCWD, path.c_str(), find, links) != Examined::Ok)
        return false;
    find.name.assign(LastComponent(path));
    out = std::move(find);
    return true;
}

bool StatEntryAt(int dirFd, const char* name, FindData& out, LinkData links)
{
    return Examine(dirFd, name, out, links) == Examined::Ok;
}

} // namespace bivora
