#pragma once

#include <QObject>

#include <functional>

namespace bivora {

// While it lives, key presses, clicks, wheel turns, context menus, drops and close
// requests reach no window of the application; painting and timers go on. The first
// Escape press calls onEscape. Long work that keeps the window painting uses it so
// that nothing else can start meanwhile.
class EscapeGuard final : public QObject {
public:
    explicit EscapeGuard(std::function<void()> onEscape);
    ~EscapeGuard() override;

    bool EscapePressed() const { return m_escaped; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_onEscape;
    bool m_escaped = false;
};

} // namespace bivora
