#pragma once

#include <cstdint>
#include <string>

namespace bivora {

// n in decimal with "," before every group of three digits counted from the right:
// 999 -> "999", 1000 -> "1,000", 5000000000 -> "5,000,000,000".
std::string ThousandsText(std::uint64_t n);

} // namespace bivora
