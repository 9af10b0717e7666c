#pragma once

#include <string>
#include <string_view>

namespace bivora {

// Replaces every escape made of the marker and two hexadecimal digits by its byte;
// anything else, a marker without two digits after it included, stays as it is.
// Volume labels escape bytes as "\xHH", trash paths as "%HH".
std::string DecodeHexEscapes(std::string_view text, std::string_view marker);

} // namespace bivora
