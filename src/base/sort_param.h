#pragma once

#include <cstdint>

namespace bivora {

// The parameter handed to a list's row comparison: the sort key (a sort command id,
// 32776..32781) with the top bit set when the order is ascending. A comparison reads
// the direction from that bit and negates its result when it is clear.
inline constexpr std::uint32_t kSortAscendingBit = 0x80000000u;

// The keys of the pane's row order, numbered as the sort commands that choose them.
namespace sort_key {
inline constexpr int kName = 32777;
inline constexpr int kType = 32778;
inline constexpr int kSize = 32779;
inline constexpr int kDate = 32780;
} // namespace sort_key

constexpr std::uint32_t MakeSortParam(int key, bool ascending)
{
    return static_cast<std::uint32_t>(key) | (ascending ? kSortAscendingBit : 0u);
}

constexpr int SortParamKey(std::uint32_t param)
{
    return static_cast<int>(param & ~kSortAscendingBit);
}

constexpr bool SortParamAscending(std::uint32_t param)
{
    return (param & kSortAscendingBit) != 0;
}

} // namespace bivora
