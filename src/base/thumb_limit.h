#pragma once

#include <cstdint>
#include <optional>

namespace bivora {

// nMaxFileSizeThumb: the largest file the thumbnail bar tries, compared as an unsigned
// number of bytes. Missing: 1000000; 0 means no limit (the largest unsigned number);
// 1 to 99 read as 1000000. The result is what gets written back.
inline constexpr std::uint32_t kDefaultThumbSizeLimit = 1000000;
inline constexpr std::uint32_t kNoThumbSizeLimit = UINT32_MAX;

constexpr std::uint32_t ThumbSizeLimit(std::optional<std::int32_t> stored)
{
    if (!stored)
        return kDefaultThumbSizeLimit;
    const auto value = static_cast<std::uint32_t>(*stored);
    if (value == 0)
        return kNoThumbSizeLimit;
    return value < 100 ? kDefaultThumbSizeLimit : value;
}

// Whether a file of that size gets a thumbnail: not empty, and not above the limit
// (none with the no-limit value, which a 32-bit size could not otherwise pass).
constexpr bool ThumbSizeAllowed(std::uint64_t size, std::uint32_t limit)
{
    return size > 0 && (limit == kNoThumbSizeLimit || size <= limit);
}

} // namespace bivora
