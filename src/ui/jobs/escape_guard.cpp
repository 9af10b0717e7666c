#include "ui/jobs/escape_guard.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace bivora {

EscapeGuard::EscapeGuard(std::function<void()> onEscape) : m_onEscape(std::move(onEscape))
{
    QCoreApplication::instance()->installEventFilter(this);
}

EscapeGuard::~EscapeGuard()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

bool EscapeGuard::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !m_escaped) {
            m_escaped = true;
            if (m_onEscape)
                m_onEscape();
        }
        return true;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::Close:
    case QEvent::DragEnter:
    case QEvent::Drop:
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace bivora
