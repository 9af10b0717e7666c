#include "ui/jobs/job_registry.h"

#include <QMetaObject>

namespace bivora {

// What a worker shares with the registry: the stop flag and whether its work has
// returned.
struct JobRegistry::Job {
    std::atomic<bool> stop{false};
    bool ended = false; // under Hub::mutex
    std::thread thread;
    std::function<void()> endedHandler; // GUI thread only
};

// Shared by the registry and every worker, so that a worker left running at exit
// touches only memory it co-owns. receiver is posted to only while open.
struct JobRegistry::Hub {
    std::mutex mutex;
    std::condition_variable jobEnded;
    QObject* receiver = nullptr;
    bool open = true;
};

JobRegistry::JobRegistry() : m_hub(std::make_shared<Hub>()), m_receiver(std::make_unique<QObject>())
{
    m_hub->receiver = m_receiver.get();
}

JobRegistry::~JobRegistry()
{
    Shutdown();
    for (auto& [id, job] : m_jobs) {
        if (job->thread.joinable())
            job->thread.join();
    }
}

JobRegistry::JobId JobRegistry::Start(Work work, std::function<void()> ended)
{
    if (m_shutDown)
        return 0;
    const JobId id = m_nextId++;
    auto job = std::make_shared<Job>();
    job->endedHandler = std::move(ended);
    auto* self = this;
    job->thread = std::thread([job, hub = m_hub, work = std::move(work), id, self]() mutable {
        try {
            work(job->stop);
        } catch (...) {
            // a failed job is a failed job; exceptions do not cross threads
        }
        // what the work captured goes with it, on this thread
        work = nullptr;
        std::lock_guard lock(hub->mutex);
        job->ended = true;
        hub->jobEnded.notify_all();
        // The call is dropped when the receiver goes first, so the registry it reaches
        // is alive whenever it runs.
        if (hub->open)
            QMetaObject::invokeMethod(hub->receiver, [self, id] { self->Reap(id); }, Qt::QueuedConnection);
    });
    m_jobs.emplace(id, std::move(job));
    return id;
}

void JobRegistry::Stop(JobId id)
{
    if (const auto found = m_jobs.find(id); found != m_jobs.end())
        found->second->stop.store(true);
}

void JobRegistry::Reap(JobId id)
{
    const auto found = m_jobs.find(id);
    if (found == m_jobs.end())
        return;
    std::shared_ptr<Job> job = std::move(found->second);
    m_jobs.erase(found);
    // the work has returned: the thread only unlocks and ends
    job->thread.join();
    if (job->endedHandler)
        job->endedHandler();
}

bool JobRegistry::Shutdown(std::chrono::milliseconds grace)
{
    if (!m_shutDown) {
        m_shutDown = true;
        std::lock_guard lock(m_hub->mutex);
        m_hub->open = false;
    }
    for (auto& [id, job] : m_jobs)
        job->stop.store(true);
    const auto deadline = std::chrono::steady_clock::now() + grace;
    {
        std::unique_lock lock(m_hub->mutex);
        m_hub->jobEnded.wait_until(lock, deadline, [this] {
            for (const auto& [id, job] : m_jobs) {
                if (!job->ended)
                    return false;
            }
            return true;
        });
    }
    for (auto it = m_jobs.begin(); it != m_jobs.end();) {
        bool ended = false;
        {
            std::lock_guard lock(m_hub->mutex);
            ended = it->second->ended;
        }
        if (ended) {
            it->second->thread.join();
            it = m_jobs.erase(it);
        } else {
            ++it;
        }
    }
    // pending end calls of joined jobs find nothing to do
    return m_jobs.empty();
}

} // namespace bivora
