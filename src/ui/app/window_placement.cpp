#include "ui/app/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace bivora {

namespace {

WindowRect FromQRect(const QRect& r) { return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }

std::vector<WindowRect> ScreenAreas()
{
    std::vector<WindowRect> areas;
    // The primary screen first: a window on none of them goes there.
    if (QScreen* primary = QGuiApplication::primaryScreen())
        areas.push_back(FromQRect(primary->availableGeometry()));
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen())
            areas.push_back(FromQRect(screen->availableGeometry()));
    }
    return areas;
}

} // namespace

WindowRect NormalWindowRect(const QWidget& window)
{
    const bool normal = !window.isMaximized() && !window.isFullScreen() && !window.isMinimized();
    return FromQRect(normal ? window.geometry() : window.normalGeometry());
}

void ApplyWindowRect(QWidget& window, const WindowRect& rect)
{
    const std::vector<WindowRect> screens = ScreenAreas();
    const WindowRect placed = KeepOnScreens(rect, screens, kMinRestoredWidth, kMinRestoredHeight);
    window.setWindowState(window.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    // Without any screen the rectangle comes back as it was: keep its size sane anyway.
    auto extent = [](std::int32_t from, std::int32_t to) {
        return static_cast<int>(std::clamp<std::int64_t>(std::int64_t{to} - from, 1, QWIDGETSIZE_MAX));
    };
    window.setGeometry(placed.left, placed.top, extent(placed.left, placed.right), extent(placed.top, placed.bottom));
}

void PlaceWindowFromSettings(const SettingsStore& store, std::string_view section, QWidget& window)
{
    ApplyWindowRect(window, PlaceWindowFromSettings(store, section, NormalWindowRect(window)));
}

} // namespace bivora
