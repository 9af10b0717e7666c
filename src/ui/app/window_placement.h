#pragma once

#include "base/window_rect.h"

#include <string_view>

class QWidget;

namespace bivora {

class SettingsStore;

// Windows smaller than this are not made by a stored rectangle.
inline constexpr std::int32_t kMinRestoredWidth = 200;
inline constexpr std::int32_t kMinRestoredHeight = 150;

// The top-level window's normal rectangle (the one it has when neither maximised
// nor full screen).
WindowRect NormalWindowRect(const QWidget& window);

// Gives the window the rectangle, kept on a visible screen, and the normal state.
void ApplyWindowRect(QWidget& window, const WindowRect& rect);

// For a frame that restores its rectangle: the section's stored rectangle, or the
// current one halved when none is stored, kept on a visible screen, shown normal.
void PlaceWindowFromSettings(const SettingsStore& store, std::string_view section, QWidget& window);

} // namespace bivora
