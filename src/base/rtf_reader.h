#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bivora {

// The character format of a run of rich text. Colours are 0xRRGGBB; "has" clear
// means the viewer's own colour.
struct RtfFormat {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 24; // font size in half points (\fs), 12 points when unset
    bool hasColor = false;
    std::uint32_t color = 0;
    bool hasBackground = false;
    std::uint32_t background = 0;

    bool operator==(const RtfFormat&) const = default;
};

// Text in one format, UTF-8; never empty. A line break inside a paragraph (\line) is
// U+2028.
struct RtfRun {
    std::string text;
    RtfFormat format;
};

// One paragraph: its runs in order, neighbours always in different formats.
struct RtfParagraph {
    std::vector<RtfRun> runs;
};

// A read document: at least one paragraph.
struct RtfDocument {
    std::vector<RtfParagraph> paragraphs;
};

inline constexpr int kRtfMinHalfPoints = 2;
inline constexpr int kRtfMaxHalfPoints = 3276;

// Whether the bytes start as a rich text document does ("{\rtf").
bool LooksLikeRtf(std::string_view data);

// Reads rich text: paragraphs, bold, italic, underline, font sizes, text and
// background colours, \'hh bytes (Windows-1252) and \u escapes. Fonts, style sheets,
// pictures, document information and every {\* } group are skipped; control words it
// does not know are dropped and their text kept. Any input gives a document: groups
// nest without limit (past a depth they share their parent's format), numbers are
// clamped and cut-off escapes ignored. Time and output are linear in the input.
RtfDocument ReadRtf(std::string_view data);

// The document's text, paragraphs joined by '\n' (for searching and tests).
std::string RtfPlainText(const RtfDocument& document);

} // namespace bivora
