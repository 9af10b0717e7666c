#pragma once

#include <QMetaObject>
#include <QObject>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

namespace bivora {

// Where workers are started: the application's job registry, handed by reference to
// what needs a worker of its own. Every worker runs as a job with a stop flag and is
// joined, never detached; one that is stuck in a system call when its owner goes is
// left to the registry, which waits for it a bounded time at shutdown. So work must own,
// or share in ownership, everything it touches.
//
// GUI thread only.
class JobStarter {
public:
    using JobId = std::uint64_t;
    using Work = std::function<void(const std::atomic<bool>& stop)>;

    // Starts work on a thread of its own; ended runs on the GUI thread once it has
    // returned. 0 when no job starts any more (the program is shutting down).
    virtual JobId Start(Work work, std::function<void()> ended = {}) = 0;
    // Sets the job's stop flag; an unknown or ended job is ignored.
    virtual void Stop(JobId id) = 0;

protected:
    ~JobStarter() = default;
};

// A worker's way back to an object on the GUI thread that may go before the worker
// ends: the worker shares the channel, the object closes it before it goes, and calls
// posted after that are dropped.
class GuiChannel {
public:
    explicit GuiChannel(QObject* receiver) : m_receiver(receiver) {}
    GuiChannel(const GuiChannel&) = delete;
    GuiChannel& operator=(const GuiChannel&) = delete;

    // Any thread: call runs on the receiver's thread unless the channel is closed by
    // then (or the receiver is gone by the time it would run). False when dropped.
    template <typename Call>
    bool Post(Call&& call)
    {
        std::lock_guard lock(m_mutex);
        if (!m_receiver)
            return false;
        QMetaObject::invokeMethod(m_receiver, std::forward<Call>(call), Qt::QueuedConnection);
        return true;
    }

    // The receiver's thread, before the receiver goes; waits only for a post under way.
    void Close()
    {
        std::lock_guard lock(m_mutex);
        m_receiver = nullptr;
    }

private:
    std::mutex m_mutex;
    QObject* m_receiver;
};

} // namespace bivora
