#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace bivora {

class SettingsStore;

// A text character format: height in twips (1/20 point), the three effects, the
// character set, pitch and family, and a face name of at most 31 bytes.
struct CharFormat {
    std::int32_t height = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    std::int32_t charSet = 1;
    std::int32_t pitchAndFamily = 0;
    std::string faceName;

    bool operator==(const CharFormat&) const = default;
};

inline constexpr std::size_t kMaxFaceNameLength = 31;
inline constexpr std::int32_t kDefaultFormatHeight = 200; // 10 points

// Heights beyond this (1000 points) read as unset: a font that large is a damaged value,
// not a choice, and would make every later layout crawl.
inline constexpr std::int32_t kMaxFormatHeight = 20000;

// A font as the system describes it, for the fallback format.
struct FontDescription {
    std::string faceName;
    std::int32_t weight = 400; // 100..900, 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
    std::int32_t charSet = 0;
    std::int32_t pitchAndFamily = 0;
};

// A face name cut to kMaxFaceNameLength bytes without splitting a UTF-8 sequence.
std::string CutFaceName(std::string_view name);

// The format of a 10-point font: bold when its weight is above 500.
CharFormat CharFormatFromFont(const FontDescription& font);

// Reads the section's format; when nHeight is unset (0, missing, unreadable or out of
// range) the format is that of the fallback font.
CharFormat LoadCharFormat(const SettingsStore& store, std::string_view section, const FontDescription& fallback);

// Writes the seven values, or nothing when the height is 0.
void SaveCharFormat(SettingsStore& store, std::string_view section, const CharFormat& format);

} // namespace bivora
