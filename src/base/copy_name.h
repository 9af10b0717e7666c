#pragma once

#include <string>
#include <string_view>

namespace bivora {

// The longest name a Linux file system takes, in bytes.
inline constexpr std::size_t kMaxNameBytes = 255;

// The n-th name (n >= 1) for a copy of name that would collide: "report (copy).txt",
// "report (copy 2).txt", ... The extension is what follows the last dot, unless the dot
// is the name's first byte and its only dot (".bashrc (copy)"). When the result would
// exceed kMaxNameBytes the stem is shortened (never cutting a UTF-8 sequence when the
// name is valid UTF-8); when even an empty stem leaves no room, the extension is taken
// as part of the stem. The result is never empty and never longer than kMaxNameBytes.
std::string CopyName(std::string_view name, unsigned n);

} // namespace bivora
