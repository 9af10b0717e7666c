#pragma once

#include "base/layout_record.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace bivora {

// The three sizes a resizable docking bar keeps, one for each way it can stand.
// Horizontal: docked at the top or bottom (width along the row, height across it);
// vertical: docked at a side (width across the column, height along it).
struct BarSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool operator==(const BarSize&) const = default;
};

struct BarSizes {
    // Half the smallest width a window may have: no length or thickness goes below it.
    static constexpr std::int32_t kMinimum = 56;

    BarSize floating{200, 200};
    BarSize horizontal{400, 200};
    BarSize vertical{200, 400};

    bool operator==(const BarSizes&) const = default;
};

// The store's value name of a bar: "SizeBar E809" for the bar id 59401.
std::string SizeBarValueName(int barId);

// "hw,hh,vw,vh,fw,fh", the stored text.
std::string SizeBarText(const BarSizes& sizes);

// Reads a stored text over the current sizes: only a text of exactly six integers
// counts, and of it each pair only when both numbers are at least the minimum; every
// other pair keeps its current value.
BarSizes SizeBarFromText(const BarSizes& current, std::string_view text);

// A layout keeps the six values in memory order: floating, horizontal, vertical. The
// pairs are taken by the same rule as the stored text (a layout made without the bar
// holds zeros, which change nothing).
SizeBarSizes LayoutOrder(const BarSizes& sizes);
BarSizes SizesFromLayout(const BarSizes& current, const SizeBarSizes& values);

} // namespace bivora
