#include "base/copy_name.h"

namespace bivora {

namespace {

bool IsValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        if (lead < 0x80)
            length = 1;
        else if (lead >= 0xC2 && lead <= 0xDF)
            length = 2;
        else if (lead >= 0xE0 && lead <= 0xEF)
            length = 3;
        else if (lead >= 0xF0 && lead <= 0xF4)
            length = 4;
        else
            return false;
        if (i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += length;
    }
    return true;
}

// The first `keep` bytes of stem, moved back to the start of a UTF-8 sequence when the
// stem is UTF-8 so no character is cut in half.
std::string_view CutStem(std::string_view stem, std::size_t keep, bool utf8)
{
    if (keep >= stem.size())
        return stem;
    if (utf8) {
        while (keep > 0 && (static_cast<unsigned char>(stem[keep]) & 0xC0) == 0x80)
            --keep;
    }
    return stem.substr(0, keep);
}

} // namespace

std::string CopyName(std::string_view name, unsigned n)
{
    const std::string suffix = n <= 1 ? std::string(" (copy)") : " (copy " + std::to_string(n) + ")";
    const std::size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string_view::npos && dot != 0;
    std::string_view stem = hasExtension ? name.substr(0, dot) : name;
    std::string_view extension = hasExtension ? name.substr(dot) : std::string_view{};
    if (suffix.size() + extension.size() >= kMaxNameBytes) {
        // No room for even one byte of stem beside the extension: it gives way too.
        stem = name;
        extension = {};
    }
    const bool utf8 = IsValidUtf8(name);
    const std::size_t room = kMaxNameBytes - suffix.size() - extension.size();
    std::string result(CutStem(stem, room, utf8));
    result += suffix;
    result += extension;
    return result;
}

} // namespace bivora
