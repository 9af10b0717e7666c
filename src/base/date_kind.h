#pragma once

#include <cstdint>

namespace bivora {

// Which of a file's times the pane's date column shows and sorts by. The values are
// the ones the settings store keeps.
enum class DateKind : std::int32_t {
    kModified = 0,
    kCreated = 1,
    kAccessed = 2,
};

// The kind a stored setting names; a value out of range is the modified time.
constexpr DateKind DateKindFromSetting(std::int64_t value)
{
    return value >= 0 && value <= 2 ? static_cast<DateKind>(value) : DateKind::kModified;
}

constexpr std::int32_t DateKindSetting(DateKind kind)
{
    return static_cast<std::int32_t>(kind);
}

} // namespace bivora
