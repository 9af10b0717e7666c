#include "ui/app/close_on_signals.h"

#include <QSocketNotifier>
#include <QWidget>

#include <atomic>
#include <cerrno>

#include <sys/socket.h>
#include <unistd.h>

namespace bivora {

namespace {

// A signal handler reaches its target only through process-wide state; this is the
// write end of the pair, or -1 while no instance is installed.
std::atomic<int> g_signalWriteFd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnCloseSignal(int)
{
    const int savedErrno = errno;
    const int fd = g_signalWriteFd.load();
    if (fd >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1); // a full pipe already holds a request
    }
    errno = savedErrno;
}

} // namespace

CloseOnSignals::CloseOnSignals(QWidget& window, QObject* parent)
    : QObject(parent), m_window(window)
{
    if (g_signalWriteFd.load() >= 0)
        return; // another instance owns the handlers
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, m_fds) != 0) {
        m_fds[0] = m_fds[1] = -1;
        return;
    }
    g_signalWriteFd.store(m_fds[1]);
    m_notifier = new QSocketNotifier(m_fds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CloseOnSignals::OnSignalByte);

    struct sigaction action {};
    action.sa_handler = OnCloseSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &m_oldInt);
    ::sigaction(SIGTERM, &action, &m_oldTerm);
}

CloseOnSignals::~CloseOnSignals()
{
    if (!m_notifier)
        return;
    ::sigaction(SIGINT, &m_oldInt, nullptr);
    ::sigaction(SIGTERM, &m_oldTerm, nullptr);
    g_signalWriteFd.store(-1);
    delete m_notifier;
    ::close(m_fds[0]);
    ::close(m_fds[1]);
}

void CloseOnSignals::OnSignalByte()
{
    char buffer[64];
    while (::read(m_fds[0], buffer, sizeof buffer) > 0) {
    }
    m_window.close();
}

} // namespace bivora
