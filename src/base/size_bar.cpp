#include "base/size_bar.h"

#include "base/registry_keys.h"
#include "base/settings_store.h"

#include <array>
#include <cstdio>
#include <optional>

namespace bivora {

namespace {

// Takes a pair only when both numbers reach the minimum.
void TakePair(BarSize& into, std::int32_t width, std::int32_t height)
{
    if (width >= BarSizes::kMinimum && height >= BarSizes::kMinimum)
        into = {width, height};
}

std::optional<std::array<std::int32_t, 6>> SixIntegers(std::string_view text)
{
    std::array<std::int32_t, 6> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::size_t comma = text.find(',');
        const bool last = i + 1 == values.size();
        if (last != (comma == std::string_view::npos))
            return std::nullopt; // fewer or more than six fields
        const auto value = ParseInt32(text.substr(0, comma));
        if (!value)
            return std::nullopt;
        values[i] = *value;
        text = last ? std::string_view() : text.substr(comma + 1);
    }
    return values;
}

} // namespace

std::string SizeBarValueName(int barId)
{
    char name[32];
    // the format is a literal, so its view ends in a NUL
    std::snprintf(name, sizeof name, registry::value::kSizeBarFormat.data(), static_cast<unsigned>(barId));
    return name;
}

std::string SizeBarText(const BarSizes& s)
{
    char text[96];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d,%d,%d", s.horizontal.width, s.horizontal.height,
                  s.vertical.width, s.vertical.height, s.floating.width, s.floating.height);
    return text;
}

BarSizes SizeBarFromText(const BarSizes& current, std::string_view text)
{
    BarSizes sizes = current;
    if (const auto v = SixIntegers(text)) {
        TakePair(sizes.horizontal, (*v)[0], (*v)[1]);
        TakePair(sizes.vertical, (*v)[2], (*v)[3]);
        TakePair(sizes.floating, (*v)[4], (*v)[5]);
    }
    return sizes;
}

SizeBarSizes LayoutOrder(const BarSizes& s)
{
    return {s.floating.width, s.floating.height, s.horizontal.width,
            s.horizontal.height, s.vertical.width, s.vertical.height};
}

BarSizes SizesFromLayout(const BarSizes& current, const SizeBarSizes& v)
{
    BarSizes sizes = current;
    TakePair(sizes.floating, v[0], v[1]);
    TakePair(sizes.horizontal, v[2], v[3]);
    TakePair(sizes.vertical, v[4], v[5]);
    return sizes;
}

} // namespace bivora
