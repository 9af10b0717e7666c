#pragma once

#include <QObject>

#include <csignal>

class QSocketNotifier;
class QWidget;

namespace bivora {

// Turns SIGINT and SIGTERM into a close request of a window, so that an
// interrupted program saves its settings as on a normal close. The handler only
// writes a byte into a socket pair; the GUI thread reads it and closes the window.
// One instance at a time; the previous handlers come back when it is destroyed.
class CloseOnSignals : public QObject {
    Q_OBJECT
public:
    explicit CloseOnSignals(QWidget& window, QObject* parent = nullptr);
    ~CloseOnSignals() override;

    CloseOnSignals(const CloseOnSignals&) = delete;
    CloseOnSignals& operator=(const CloseOnSignals&) = delete;

    // Whether the handlers are in place (the socket pair could be made).
    bool Active() const { return m_notifier != nullptr; }

private:
    void OnSignalByte();

    QWidget& m_window;
    int m_fds[2] = {-1, -1};
    QSocketNotifier* m_notifier = nullptr;
    struct sigaction m_oldInt {};
    struct sigaction m_oldTerm {};
};

} // namespace bivora
