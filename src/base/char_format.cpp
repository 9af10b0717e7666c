#include "base/char_format.h"

#include "base/registry_keys.h"
#include "base/settings_store.h"

namespace bivora {

namespace value = registry::value;

std::string CutFaceName(std::string_view name)
{
    if (name.size() <= kMaxFaceNameLength)
        return std::string(name);
    // When the first byte cut off continues a UTF-8 character (at most three such bytes
    // follow its lead byte), the whole character goes; other bytes are cut where they fall.
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(name[i]); };
    const std::size_t cut = kMaxFaceNameLength;
    std::size_t lead = cut;
    while (lead > 0 && cut - lead < 3 && (byte(lead) & 0xC0) == 0x80)
        --lead;
    if (lead < cut && (byte(lead) & 0xC0) == 0xC0)
        return std::string(name.substr(0, lead));
    return std::string(name.substr(0, cut));
}

CharFormat CharFormatFromFont(const FontDescription& font)
{
    CharFormat format;
    format.height = kDefaultFormatHeight;
    format.bold = font.weight > 500;
    format.italic = font.italic;
    format.underline = font.underline;
    format.charSet = font.charSet;
    format.pitchAndFamily = font.pitchAndFamily;
    format.faceName = CutFaceName(font.faceName);
    return format;
}

CharFormat LoadCharFormat(const SettingsStore& store, std::string_view section, const FontDescription& fallback)
{
    const std::int32_t height = store.GetInt(section, value::kHeight, 0);
    if (height <= 0 || height > kMaxFormatHeight)
        return CharFormatFromFont(fallback);
    CharFormat format;
    format.height = height;
    format.bold = store.GetInt(section, value::kBold, 0) != 0;
    format.italic = store.GetInt(section, value::kItalic, 0) != 0;
    format.underline = store.GetInt(section, value::kUnderline, 0) != 0;
    format.charSet = store.GetInt(section, value::kCharSet, 1);
    format.pitchAndFamily = store.GetInt(section, value::kPitchAndFamily, 0);
    format.faceName = CutFaceName(store.GetString(section, value::kFaceName, "System"));
    return format;
}

void SaveCharFormat(SettingsStore& store, std::string_view section, const CharFormat& format)
{
    if (format.height == 0)
        return;
    store.WriteInt(section, value::kHeight, format.height);
    store.WriteInt(section, value::kBold, format.bold ? 1 : 0);
    store.WriteInt(section, value::kItalic, format.italic ? 1 : 0);
    store.WriteInt(section, value::kUnderline, format.underline ? 1 : 0);
    store.WriteInt(section, value::kCharSet, format.charSet);
    store.WriteInt(section, value::kPitchAndFamily, format.pitchAndFamily);
    store.WriteString(section, value::kFaceName, format.faceName);
}

} // namespace bivora
