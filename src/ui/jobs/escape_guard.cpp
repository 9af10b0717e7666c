#include "ui/jobs/escape_guard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

namespace bivora {

namespace {

// The top-level widget a platform window belongs to, else the window itself.
QObject* WidgetOf(QWindow* window)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->windowHandle() == window)
            return widget;
    }
    return window;
}

// Whether the object is, or lies inside, the application's active modal window.
bool InActiveModal(QObject* watched)
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        return false;
    QWidget* widget = qobject_cast<QWidget*>(watched);
    if (!widget) {
        if (auto* window = qobject_cast<QWindow*>(watched))
            widget = qobject_cast<QWidget*>(WidgetOf(window));
    }
    for (; widget; widget = widget->parentWidget()) {
        if (widget == modal)
            return true;
    }
    return false;
}

} // namespace

EscapeGuard::EscapeGuard(std::function<void()> onEscape) : m_onEscape(std::move(onEscape))
{
    QCoreApplication::instance()->installEventFilter(this);
}

EscapeGuard::~EscapeGuard()
{
    QCoreApplication::instance()->removeEventFilter(this);
    if (QObject* target = m_closeTarget.data()) {
        // posted: the guard goes while the work that held it is still on the stack
        QMetaObject::invokeMethod(
            target,
            [target] {
                if (auto* widget = qobject_cast<QWidget*>(target))
                    widget->close();
                else if (auto* window = qobject_cast<QWindow*>(target))
                    window->close();
            },
            Qt::QueuedConnection);
    }
}

void EscapeGuard::Stop()
{
    if (m_escaped)
        return;
    m_escaped = true;
    if (m_onEscape)
        m_onEscape();
}

bool EscapeGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (m_modalPasses && InActiveModal(watched))
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            Stop();
        return true;
    case QEvent::Close:
        // A window's close comes to its platform window first, then to the widget.
        if (auto* widget = qobject_cast<QWidget*>(watched);
            (widget && widget->isWindow()) || qobject_cast<QWindow*>(watched)) {
            event->ignore();
            if (!m_closeTarget)
                m_closeTarget = widget ? widget : WidgetOf(static_cast<QWindow*>(watched));
            Stop();
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
    case QEvent::DragEnter:
    case QEvent::Drop:
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace bivora
