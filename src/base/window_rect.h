#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace bivora {

class SettingsStore;

// A window rectangle in screen coordinates: right and bottom are one past the last
// pixel, so the width is right - left.
struct WindowRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    bool operator==(const WindowRect&) const = default;
};

// The coordinate that leaves a window's position to the window system.
inline constexpr std::int32_t kUseDefaultCoordinate = std::numeric_limits<std::int32_t>::min();

// The rectangle that leaves position and size to the window system.
inline constexpr WindowRect kDefaultWindowRect{kUseDefaultCoordinate, kUseDefaultCoordinate, 0, 0};

// A stored rectangle counts as the default one when its bottom is 0.
inline bool IsDefaultWindowRect(const WindowRect& rect) { return rect.bottom == 0; }

// "left,top,right,bottom" in decimal.
std::string FormatWindowRect(const WindowRect& rect);

// Exactly four comma-separated 32-bit integers (blanks around each allowed), else nullopt.
std::optional<WindowRect> ParseWindowRect(std::string_view text);

// The section's szWindowRect; the default rectangle when it is missing or malformed.
WindowRect ReadWindowRect(const SettingsStore& store, std::string_view section);
void WriteWindowRect(SettingsStore& store, std::string_view section, const WindowRect& rect);

// The normal rectangle for a frame that restores its rectangle: the stored one, or,
// when none is stored, the current normal rectangle halved in width and height
// keeping its top-left corner.
WindowRect PlaceWindowFromSettings(const WindowRect& stored, const WindowRect& current);
WindowRect PlaceWindowFromSettings(const SettingsStore& store, std::string_view section, const WindowRect& current);

// Moves and shrinks a rectangle so that it lies on one of the screens' usable areas:
// the screen it overlaps most, else the first. Its size is at least the minimum (or
// the screen's size when that is smaller) and at most the screen's size. With no
// screens the rectangle is returned unchanged.
WindowRect KeepOnScreens(const WindowRect& rect, std::span<const WindowRect> screens, std::int32_t minWidth,
                         std::int32_t minHeight);

} // namespace bivora
