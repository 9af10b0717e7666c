#include "shell/volume_info.h"

#include <sys/statvfs.h>

namespace bivora {

std::optional<std::uint64_t> FreeSpace(const std::string& path)
{
    struct statvfs info {};
    if (::statvfs(path.c_str(), &info) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(info.f_bavail) * static_cast<std::uint64_t>(info.f_frsize);
}

} // namespace bivora
