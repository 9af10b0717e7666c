#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace bivora {

// The hexadecimal view of a file: 16 bytes a line. For each of the positions 0 to 15
// the byte as two upper-case digits (two blanks where a short last line has none),
// one blank, and one more after positions 3, 7, 11 and 15, so the hexadecimal part is
// always kHexPartWidth characters; then one character per byte (the byte itself for
// 0x20..0x7F, "." for the rest) and the line end. There is no offset column: a line's
// offset is its index times 16. The line end is a single "\n", the text control's own.
inline constexpr std::size_t kHexBytesPerLine = 16;
inline constexpr std::size_t kHexPartWidth = 52;

// The length of the dump of count bytes, without making it.
std::size_t HexDumpLength(std::size_t count);

// Appends the line of up to 16 bytes to out.
void AppendHexDumpLine(std::string& out, std::string_view bytes);

// The whole dump of bytes (what AppendHexDumpLine makes of each 16 in turn).
std::string HexDump(std::string_view bytes);

} // namespace bivora
