#include "shell/volume_info.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

namespace bivora {

std::optional<std::uint64_t> FreeSpace(const std::string& path)
{
    struct statvfs info {};
    if (::statvfs(path.c_str(), &info) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(info.f_bavail) * static_cast<std::uint64_t>(info.f_frsize);
}

std::optional<VolumeSpace> VolumeFreeSpace(const std::string& path)
{
    struct stat where {};
    if (::stat(path.c_str(), &where) != 0)
        return std::nullopt;
    const std::optional<std::uint64_t> free = FreeSpace(path);
    if (!free)
        return std::nullopt;
    return VolumeSpace{static_cast<std::uint64_t>(where.st_dev), *free};
}

} // namespace bivora
