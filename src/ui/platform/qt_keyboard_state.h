#pragma once

#include "ui/commands/services.h"

namespace bivora {

// The modifiers held right now, asked from the window system (not from the last
// input event, so a command started from a menu still sees Shift held).
class QtKeyboardState final : public KeyboardState {
public:
    Qt::KeyboardModifiers Modifiers() const override;
};

} // namespace bivora
