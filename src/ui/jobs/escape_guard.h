#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

namespace bivora {

// While it lives, key presses, clicks, wheel turns, context menus, drops and close
// requests reach no window of the application; painting and timers go on. The first
// Escape press calls onEscape. Long work that keeps the window painting uses it so
// that nothing else can start meanwhile.
//
// A close request (the window manager's, or one made for SIGTERM) is not lost: it
// stops the work as Escape does, and the window is asked to close again, once, after
// the guard has gone.
class EscapeGuard final : public QObject {
public:
    explicit EscapeGuard(std::function<void()> onEscape);
    ~EscapeGuard() override;

    // From now on a modal window (a progress dialog, a question) and its popups take
    // input as usual, while the windows below it stay shut off.
    void LetModalWindowsThrough() { m_modalPasses = true; }

    // Escape was pressed, or a close request came.
    bool EscapePressed() const { return m_escaped; }
    bool CloseRequested() const { return !m_closeTarget.isNull(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_onEscape;
    void Stop();

    bool m_escaped = false;
    bool m_modalPasses = false;
    QPointer<QObject> m_closeTarget; // the window (a widget or its platform window) asked to close
};

} // namespace bivora
