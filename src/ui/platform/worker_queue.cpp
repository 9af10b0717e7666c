#include "ui/platform/worker_queue.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace bivora {

// Shared by the queue and its worker, which may outlive the queue.
struct WorkerQueue::State {
    explicit State(QObject* receiver) : reply(receiver) {}

    std::mutex mutex;
    std::condition_variable idle;
    std::deque<Task> tasks;
    bool running = false; // a worker is serving the tasks
    bool stopped = false;
    GuiChannel reply;
};

WorkerQueue::WorkerQueue(JobStarter& jobs, QObject* receiver)
    : m_jobs(jobs), m_state(std::make_shared<State>(receiver))
{
}

WorkerQueue::~WorkerQueue()
{
    Stop();
}

void WorkerQueue::Post(Task task)
{
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->stopped)
            return;
        m_state->tasks.push_back(std::move(task));
        if (m_state->running)
            return; // the worker takes it when it is done with the one before
        m_state->running = true;
    }
    m_job = m_jobs.Start([state = m_state](const std::atomic<bool>& stop) { Run(state, stop); });
    if (m_job == 0) {
        std::lock_guard lock(m_state->mutex);
        m_state->running = false;
        m_state->tasks.clear();
    }
}

bool WorkerQueue::Stop(std::chrono::milliseconds grace)
{
    std::deque<Task> dropped;
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stopped = true;
        dropped.swap(m_state->tasks);
    }
    m_state->reply.Close();
    if (m_job != 0)
        m_jobs.Stop(m_job);
    std::unique_lock lock(m_state->mutex);
    return m_state->idle.wait_for(lock, grace, [this] { return !m_state->running; });
}

void WorkerQueue::Run(const std::shared_ptr<State>& state, const std::atomic<bool>& stop)
{
    for (;;) {
        Task task;
        {
            std::lock_guard lock(state->mutex);
            if (state->stopped || stop.load() || state->tasks.empty()) {
                state->running = false;
                state->idle.notify_all();
                return;
            }
            task = std::move(state->tasks.front());
            state->tasks.pop_front();
        }
        try {
            task(stop, state->reply);
        } catch (...) {
            // a failed look-up only leaves its answer out; the worker serves the next
        }
    }
}

} // namespace bivora
