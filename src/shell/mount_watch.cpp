#include "shell/mount_watch.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>

namespace bivora {

MountTableWatch::MountTableWatch(const std::string& mountInfoPath)
    : m_table(::open(mountInfoPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK))
    , m_wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    if (!m_table.Valid())
        m_error = errno;
    else if (!m_wake.Valid())
        m_error = errno;
}

MountTableWatch::Wake MountTableWatch::Wait()
{
    for (;;) {
        if (m_stopped.load() || !m_wake.Valid())
            return Wake::Stopped;
        pollfd fds[2] = {};
        fds[0].fd = m_wake.Get();
        fds[0].events = POLLIN;
        // a table that cannot be polled is left out: pokes and the stop still come
        fds[1].fd = m_table.Valid() ? m_table.Get() : -1;
        fds[1].events = POLLPRI;
        const int ready = ::poll(fds, 2, -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            // nothing left to wait on: only a stop can end this, so wait for it alone
            m_table.Reset();
            continue;
        }
        if (fds[0].revents & POLLIN) {
            std::uint64_t count = 0;
            [[maybe_unused]] const auto got = ::read(m_wake.Get(), &count, sizeof count);
            return m_stopped.load() ? Wake::Stopped : Wake::Poked;
        }
        if (fds[1].revents & POLLNVAL) {
            m_table.Reset();
            continue;
        }
        if (fds[1].revents & (POLLPRI | POLLERR))
            return Wake::Changed;
    }
}

void MountTableWatch::Poke()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto put = ::write(m_wake.Get(), &one, sizeof one);
}

void MountTableWatch::Stop()
{
    m_stopped.store(true);
    Poke();
}

} // namespace bivora
