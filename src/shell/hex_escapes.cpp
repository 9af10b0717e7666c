#include "shell/hex_escapes.h"

namespace bivora {

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::string DecodeHexEscapes(std::string_view text, std::string_view marker)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i, marker.size()) == marker && i + marker.size() + 1 < text.size()) {
            const int hi = HexDigit(text[i + marker.size()]);
            const int lo = HexDigit(text[i + marker.size() + 1]);
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
