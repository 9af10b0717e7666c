#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace bivora {

// The space available to the user on the volume holding path (f_bavail x f_frsize);
// nullopt when the volume cannot be asked.
std::optional<std::uint64_t> FreeSpace(const std::string& path);

// The free space together with the volume it was read from (the device number of
// path), so that a caller can keep one answer per volume.
struct VolumeSpace {
    std::uint64_t volume = 0;
    std::uint64_t freeBytes = 0;
};
std::optional<VolumeSpace> VolumeFreeSpace(const std::string& path);

} // namespace bivora
