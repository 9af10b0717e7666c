#include "shell/small_file.h"

#include "shell/unique_fd.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bivora {

namespace {

// Reads until the end or until more than limit bytes have come; false with errno set on a read error.
bool ReadUpTo(int fd, std::size_t limit, std::size_t expected, std::string& out)
{
    out.resize(std::min(limit, expected) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == out.size()) {
            if (got > limit)
                break;
            out.resize(std::min(limit + 1, out.size() * 2));
        }
        const ssize_t n = ::read(fd, out.data() + got, out.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    out.resize(got);
    return true;
}

} // namespace

SysResult<UniqueFd> OpenRegularFile(const std::string& path, Links links, struct stat& st)
{
    const int before = links == Links::Refuse ? ::lstat(path.c_str(), &st) : ::stat(path.c_str(), &st);
    if (before != 0)
        return SysResult<UniqueFd>::Failure(errno);
    if (links == Links::Refuse && S_ISLNK(st.st_mode))
        return SysResult<UniqueFd>::Failure(ELOOP);
    if (S_ISDIR(st.st_mode))
        return SysResult<UniqueFd>::Failure(EISDIR);
    if (!S_ISREG(st.st_mode))
        return SysResult<UniqueFd>::Failure(EINVAL);
    const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (links == Links::Refuse ? O_NOFOLLOW : 0);
    UniqueFd fd(::open(path.c_str(), flags));
    if (!fd.Valid())
        return SysResult<UniqueFd>::Failure(errno);
    if (::fstat(fd.Get(), &st) != 0)
        return SysResult<UniqueFd>::Failure(errno);
    if (S_ISDIR(st.st_mode))
        return SysResult<UniqueFd>::Failure(EISDIR);
    if (!S_ISREG(st.st_mode))
        return SysResult<UniqueFd>::Failure(EINVAL);
    return SysResult<UniqueFd>(std::move(fd));
}

std::int64_t ReadFull(int fd, char* into, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(fd, into + done, count - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<std::int64_t>(done);
}

SysResult<std::string> ReadSmallFile(const std::string& path, Links links, std::size_t limit)
{
    struct stat st {};
    auto fd = OpenRegularFile(path, links, st);
    if (!fd)
        return SysResult<std::string>::Failure(fd.Error());
    if (st.st_size < 0 || static_cast<std::uint64_t>(st.st_size) > limit)
        return SysResult<std::string>::Failure(EFBIG);
    std::string text;
    // a file that grows while it is read is measured by what comes, not by fstat
    if (!ReadUpTo(fd->Get(), limit, std::max<std::size_t>(static_cast<std::size_t>(st.st_size), 4096), text))
        return SysResult<std::string>::Failure(errno);
    if (text.size() > limit)
        return SysResult<std::string>::Failure(EFBIG);
    return text;
}

SysResult<std::string> ReadFileHead(const std::string& path, std::size_t count)
{
    struct stat st {};
    auto fd = OpenRegularFile(path, Links::Follow, st);
    if (!fd)
        return SysResult<std::string>::Failure(fd.Error());
    std::string head;
    if (!ReadUpTo(fd->Get(), count, count, head))
        return SysResult<std::string>::Failure(errno);
    head.resize(std::min(head.size(), count));
    return head;
}

} // namespace bivora
