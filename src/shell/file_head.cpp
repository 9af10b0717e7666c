#include "shell/file_head.h"

#include "shell/small_file.h"

#include <sys/stat.h>

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

FileHead SniffFileHead(const std::string& path, std::size_t maxBytes)
{
    FileHead head;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return head;
    head.kind = KindOf(info.st_mode);
    if (head.kind != FileHead::Kind::Regular)
        return head;
    // the read opens without blocking and checks again that it is a regular file, in
    // case the path was replaced by a FIFO after the stat
    auto bytes = ReadFileHead(path, maxBytes);
    if (!bytes)
        head.kind = FileHead::Kind::Unreadable; // not an empty file: its content is unknown
    else
        head.bytes = std::move(*bytes);
    return head;
}

} // namespace bivora
