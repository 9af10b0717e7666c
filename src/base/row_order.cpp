#include "base/row_order.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <string>

namespace bivora {

namespace {

unsigned char FoldAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

int Sign(int value) { return (value > 0) - (value < 0); }

// The text as wide characters in lower case. A byte that starts no valid UTF-8
// sequence stands for itself as U+FFFD, so every text has a form.
std::wstring LoweredWide(std::string_view text)
{
    constexpr wchar_t kReplacement = 0xfffd;
    std::wstring wide;
    wide.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 1;
        char32_t code = lead;
        char32_t least = 0;
        if (lead >= 0xc0 && lead < 0xe0) {
            length = 2;
            code = lead & 0x1f;
            least = 0x80;
        } else if (lead >= 0xe0 && lead < 0xf0) {
            length = 3;
            code = lead & 0x0f;
            least = 0x800;
        } else if (lead >= 0xf0 && lead < 0xf5) {
            length = 4;
            code = lead & 0x07;
            least = 0x10000;
        } else if (lead >= 0x80) {
            length = 0; // a continuation byte or a lead that no code point has
        }
        bool valid = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xc0) == 0x80;
            code = (code << 6) | (next & 0x3f);
        }
        valid = valid && code >= least && code <= 0x10ffff && (code < 0xd800 || code > 0xdfff);
        if (!valid) {
            wide.push_back(kReplacement);
            ++i;
            continue;
        }
        wide.push_back(static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(code))));
        i += length;
    }
    return wide;
}

} // namespace

int CompareNames(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char ca = FoldAscii(static_cast<unsigned char>(a[i]));
        const unsigned char cb = FoldAscii(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::string_view TypeOf(std::string_view name)
{
    const auto dot = name.find('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

int CompareTypes(std::string_view a, std::string_view b)
{
    // Plain ASCII types (nearly all) need no conversion: folding the case orders them
    // as the locale does for letters and digits.
    if (IsAscii(a) && IsAscii(b))
        return CompareNames(a, b);
    const std::wstring wa = LoweredWide(a);
    const std::wstring wb = LoweredWide(b);
    return Sign(std::wcscoll(wa.c_str(), wb.c_str()));
}

int CompareRowKeys(const RowKey& a, const RowKey& b, std::uint32_t param, DateKind dateKind)
{
    int key = SortParamKey(param);
    int result = 0;
    if (a.folder != b.folder) {
        result = a.folder ? -1 : 1;
    } else {
        if (a.folder && key == sort_key::kType)
            key = sort_key::kName;
        switch (key) {
        case sort_key::kType:
            result = CompareTypes(TypeOf(a.name), TypeOf(b.name));
            break;
        case sort_key::kSize:
            // Whole 64-bit sizes: files more than 2 GB apart still sort right.
            result = a.size == b.size ? 0 : (a.size < b.size ? -1 : 1);
            break;
        case sort_key::kDate: {
            const std::int64_t ta = a.Time(dateKind);
            const std::int64_t tb = b.Time(dateKind);
            result = ta == tb ? 0 : (ta > tb ? -1 : 1);
            break;
        }
        default:
            break;
        }
        if (result == 0)
            result = CompareNames(a.name, b.name);
    }
    return SortParamAscending(param) ? result : -result;
}

} // namespace bivora
