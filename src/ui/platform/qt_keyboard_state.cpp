#include "ui/platform/qt_keyboard_state.h"

#include <QGuiApplication>

namespace bivora {

Qt::KeyboardModifiers QtKeyboardState::Modifiers() const
{
    return QGuiApplication::queryKeyboardModifiers();
}

} // namespace bivora
