#include "base/hex_dump.h"

namespace bivora {

namespace {
constexpr char kDigits[] = "0123456789ABCDEF";
}

std::size_t HexDumpLength(std::size_t count)
{
    const std::size_t lines = (count + kHexBytesPerLine - 1) / kHexBytesPerLine;
    return lines * (kHexPartWidth + 1) + count;
}

void AppendHexDumpLine(std::string& out, std::string_view bytes)
{
    const std::size_t count = bytes.size() < kHexBytesPerLine ? bytes.size() : kHexBytesPerLine;
    for (std::size_t i = 0; i < kHexBytesPerLine; ++i) {
        if (i < count) {
            const auto byte = static_cast<unsigned char>(bytes[i]);
            out += kDigits[byte >> 4];
            out += kDigits[byte & 0x0F];
        } else {
            out += "  ";
        }
        out += ' ';
        if (i % 4 == 3)
            out += ' ';
    }
    for (std::size_t i = 0; i < count; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        out += byte >= 0x20 && byte <= 0x7F ? static_cast<char>(byte) : '.';
    }
    out += '\n';
}

std::string HexDump(std::string_view bytes)
{
    std::string out;
    out.reserve(HexDumpLength(bytes.size()));
    for (std::size_t at = 0; at < bytes.size(); at += kHexBytesPerLine)
        AppendHexDumpLine(out, bytes.substr(at, kHexBytesPerLine));
    return out;
}

} // namespace bivora
