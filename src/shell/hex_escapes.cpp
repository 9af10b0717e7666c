#include "shell/hex_escapes.h"

#include "base/hex_digit.h"

namespace bivora {

std::string DecodeHexEscapes(std::string_view text, std::string_view marker)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i, marker.size()) == marker && i + marker.size() + 1 < text.size()) {
            const int hi = HexDigitValue(text[i + marker.size()]);
            const int lo = HexDigitValue(text[i + marker.size() + 1]);
            if (hi >= 0 && lo >= 0) {
                out.push_back(static_cast<char>(hi * 16 + lo));
                i += marker.size() + 1;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

} // namespace bivora
