#include "shell/file_head.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bivora {

namespace {

FileHead::Kind KindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return FileHead::Kind::Regular;
    if (S_ISDIR(mode))
        return FileHead::Kind::Directory;
    if (S_ISFIFO(mode))
        return FileHead::Kind::Fifo;
    if (S_ISSOCK(mode))
        return FileHead::Kind::Socket;
    if (S_ISCHR(mode))
        return FileHead::Kind::CharDevice;
    if (S_ISBLK(mode))
        return FileHead::Kind::BlockDevice;
    return FileHead::Kind::Unreadable;
}

} // namespace

FileHead ReadFileHead(const std::string& path, std::size_t maxBytes)
{
    FileHead head;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return head;
    head.kind = KindOf(info.st_mode);
    if (head.kind != FileHead::Kind::Regular)
        return head;
    // non-blocking, in case the path was replaced by a FIFO after the stat
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        head.kind = FileHead::Kind::Unreadable;
        return head;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        head.kind = FileHead::Kind::Unreadable;
        ::close(fd);
        return head;
    }
    head.bytes.resize(maxBytes);
    std::size_t filled = 0;
    while (filled < maxBytes) {
        const ssize_t got = ::read(fd, head.bytes.data() + filled, maxBytes - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && filled == 0)
            head.kind = FileHead::Kind::Unreadable; // not an empty file: its content is unknown
        if (got <= 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    head.bytes.resize(filled);
    ::close(fd);
    return head;
}

} // namespace bivora
