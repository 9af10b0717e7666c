#include "base/window_rect.h"

#include "base/registry_keys.h"
#include "base/settings_store.h"

#include <algorithm>

namespace bivora {

namespace {

// Rectangle arithmetic in 64 bits: stored coordinates may be anything a 32-bit
// integer holds, and their differences must not overflow.
struct Box {
    std::int64_t left, top, right, bottom;
    std::int64_t Width() const { return right - left; }
    std::int64_t Height() const { return bottom - top; }
};

Box ToBox(const WindowRect& r) { return {r.left, r.top, r.right, r.bottom}; }

// A screen area with its far edges never before its near ones.
Box ToScreenBox(const WindowRect& r)
{
    Box box = ToBox(r);
    box.right = std::max(box.right, box.left);
    box.bottom = std::max(box.bottom, box.top);
    return box;
}

std::int32_t Narrow(std::int64_t v)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

WindowRect ToRect(const Box& b) { return {Narrow(b.left), Narrow(b.top), Narrow(b.right), Narrow(b.bottom)}; }

std::int64_t OverlapArea(const Box& a, const Box& b)
{
    const std::int64_t w = std::min(a.right, b.right) - std::max(a.left, b.left);
    const std::int64_t h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

} // namespace

std::string FormatWindowRect(const WindowRect& rect)
{
    return std::to_string(rect.left) + ',' + std::to_string(rect.top) + ',' + std::to_string(rect.right) + ',' +
           std::to_string(rect.bottom);
}

std::optional<WindowRect> ParseWindowRect(std::string_view text)
{
    std::int32_t numbers[4];
    for (int i = 0; i < 4; ++i) {
        const std::size_t comma = text.find(',');
        const bool last = i == 3;
        if (last != (comma == std::string_view::npos))
            return std::nullopt;
        const auto number = ParseInt32(text.substr(0, comma));
        if (!number)
            return std::nullopt;
        numbers[i] = *number;
        if (!last)
            text.remove_prefix(comma + 1);
    }
    return WindowRect{numbers[0], numbers[1], numbers[2], numbers[3]};
}

WindowRect ReadWindowRect(const SettingsStore& store, std::string_view section)
{
    if (auto text = store.ReadString(section, registry::value::kWindowRect)) {
        if (auto rect = ParseWindowRect(*text))
            return *rect;
    }
    return kDefaultWindowRect;
}

void WriteWindowRect(SettingsStore& store, std::string_view section, const WindowRect& rect)
{
    store.WriteString(section, registry::value::kWindowRect, FormatWindowRect(rect));
}

WindowRect PlaceWindowFromSettings(const WindowRect& stored, const WindowRect& current)
{
    if (!IsDefaultWindowRect(stored))
        return stored;
    Box box = ToBox(current);
    const std::int64_t width = box.Width();
    const std::int64_t height = box.Height();
    box.right -= width / 2;
    box.bottom -= height / 2;
    return ToRect(box);
}

WindowRect PlaceWindowFromSettings(const SettingsStore& store, std::string_view section, const WindowRect& current)
{
    return PlaceWindowFromSettings(ReadWindowRect(store, section), current);
}

WindowRect KeepOnScreens(const WindowRect& rect, std::span<const WindowRect> screens, std::int32_t minWidth,
                         std::int32_t minHeight)
{
    if (screens.empty())
        return rect;
    const Box window = ToBox(rect);
    Box screen = ToScreenBox(screens.front());
    std::int64_t bestOverlap = 0;
    for (const WindowRect& candidate : screens) {
        const Box area = ToScreenBox(candidate);
        const std::int64_t overlap = OverlapArea(window, area);
        if (overlap > bestOverlap) {
            bestOverlap = overlap;
            screen = area;
        }
    }
    const std::int64_t screenWidth = screen.Width();
    const std::int64_t screenHeight = screen.Height();
    const std::int64_t width = std::clamp<std::int64_t>(window.Width(), std::min<std::int64_t>(minWidth, screenWidth),
                                                        screenWidth);
    const std::int64_t height = std::clamp<std::int64_t>(
        window.Height(), std::min<std::int64_t>(minHeight, screenHeight), screenHeight);
    const std::int64_t left = std::clamp(window.left, screen.left, screen.right - width);
    const std::int64_t top = std::clamp(window.top, screen.top, screen.bottom - height);
    return ToRect({left, top, left + width, top + height});
}

} // namespace bivora
