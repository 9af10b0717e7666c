#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace bivora {

// One worker thread that runs posted tasks one after another, for small background
// look-ups (content types, free space) that must not hold up the GUI thread. The
// thread starts with the first task. Stop (and the destructor) sets the stop flag
// every task is given, drops the tasks not begun and joins the thread; nothing is
// ever detached. A task hands its results back by posting to the GUI thread, to an
// object that outlives the queue (its owner), and catches what it throws.
class WorkerQueue {
public:
    using Task = std::function<void(const std::atomic<bool>& stop)>;

    WorkerQueue() = default;
    ~WorkerQueue();
    WorkerQueue(const WorkerQueue&) = delete;
    WorkerQueue& operator=(const WorkerQueue&) = delete;

    // Any thread. Dropped after Stop.
    void Post(Task task);
    // The thread that owns the queue; waits for the running task to return.
    void Stop();

private:
    void Run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Task> m_tasks;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace bivora
