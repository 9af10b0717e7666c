#include "shell/item_info.h"

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace bivora {

namespace {

constexpr unsigned kMask = STATX_TYPE | STATX_MODE | STATX_UID | STATX_GID | STATX_SIZE | STATX_ATIME | STATX_MTIME
                           | STATX_CTIME | STATX_BTIME;

FileTime ToFileTime(const struct statx_timestamp& t)
{
    return static_cast<FileTime>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// Calls a reentrant database lookup with a buffer that grows until the entry fits.
template <typename Entry, typename Lookup>
std::string NameFrom(Lookup lookup, std::uint32_t id, char* Entry::*field)
{
    std::vector<char> buffer(1024);
    for (;;) {
        Entry entry {};
        Entry* found = nullptr;
        const int error = lookup(id, &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE && buffer.size() < (std::size_t(1) << 20)) {
            buffer.resize(buffer.size() * 4);
            continue;
        }
        if (error == 0 && found)
            return found->*field;
        return std::to_string(id);
    }
}

} // namespace

SysResult<ItemInfo> ReadItemInfo(const std::string& path)
{
    struct statx own {};
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kMask, &own) != 0)
        return SysResult<ItemInfo>::Failure(errno);
    ItemInfo info;
    info.isLink = S_ISLNK(own.stx_mode);
    struct statx sx = own;
    if (info.isLink && ::statx(AT_FDCWD, path.c_str(), AT_NO_AUTOMOUNT, kMask, &sx) != 0) {
        info.targetMissing = true;
        sx = own;
    }
    info.isDirectory = S_ISDIR(sx.stx_mode);
    info.isRegular = S_ISREG(sx.stx_mode);
    info.size = sx.stx_size;
    info.modified = ToFileTime(sx.stx_mtime);
    info.accessed = ToFileTime(sx.stx_atime);
    info.created = (sx.stx_mask & STATX_BTIME) ? ToFileTime(sx.stx_btime) : ToFileTime(sx.stx_ctime);
    info.owner = sx.stx_uid;
    info.group = sx.stx_gid;
    info.mode = sx.stx_mode & 07777;
    return info;
}

std::string UserName(std::uint32_t uid)
{
    return NameFrom<struct passwd>(::getpwuid_r, uid, &passwd::pw_name);
}

std::string GroupName(std::uint32_t gid)
{
    return NameFrom<struct group>(::getgrgid_r, gid, &group::gr_name);
}

SysStatus ChangeMode(const std::string& path, std::uint32_t mode)
{
    if (::chmod(path.c_str(), static_cast<mode_t>(mode & 07777)) != 0)
        return SysStatus::Failure(errno);
    return Done{};
}

bool IsFolderGone(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return !S_ISDIR(st.st_mode);
    return errno == ENOENT || errno == ENOTDIR;
}

std::optional<std::string> RealPath(const std::string& path)
{
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    if (!real)
        return std::nullopt;
    return std::string(real.get());
}

} // namespace bivora
