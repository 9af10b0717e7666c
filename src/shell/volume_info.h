#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace bivora {

// The space available to the user on the volume holding path (f_bavail x f_frsize);
// nullopt when the volume cannot be asked.
std::optional<std::uint64_t> FreeSpace(const std::string& path);

} // namespace bivora
