#include "ui/platform/worker_queue.h"

namespace bivora {

WorkerQueue::~WorkerQueue()
{
    Stop();
}

void WorkerQueue::Post(Task task)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_stop.load())
            return;
        m_tasks.push_back(std::move(task));
        if (!m_thread.joinable())
            m_thread = std::thread([this] { Run(); });
    }
    m_wake.notify_one();
}

void WorkerQueue::Stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop.store(true);
        m_tasks.clear();
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

void WorkerQueue::Run()
{
    for (;;) {
        Task task;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop.load() || !m_tasks.empty(); });
            if (m_stop.load())
                return;
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        try {
            task(m_stop);
        } catch (...) {
            // a failed look-up only leaves its answer out; the worker serves the next
        }
    }
}

} // namespace bivora
