#pragma once

#include "ui/commands/job_starter.h"

#include <QObject>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace bivora {

// The application's worker threads. Every worker runs as a job with a stop flag of its
// own, and every thread is joined: when a job's work has returned, its thread is
// joined and its end handler runs on the GUI thread (posted, never called from the
// worker). At shutdown every job is asked to stop and joined; one that does not end
// within the grace (stuck in a system call on a dead mount) is left to the process exit.
//
// Work must own, or share in ownership, everything it touches: a job may outlive
// whoever started it, and at shutdown even the application's objects.
//
// GUI thread only, except for what a job's work does with its flag.
class JobRegistry final : public JobStarter {
public:
    using JobId = JobStarter::JobId;
    using Work = JobStarter::Work;

    static constexpr std::chrono::milliseconds kShutdownGrace{2000};

    JobRegistry();
    // Shuts down with the default grace, then waits for whatever is left: a program
    // that must not wait calls Shutdown itself and leaves without destroying it.
    ~JobRegistry();
    JobRegistry(const JobRegistry&) = delete;
    JobRegistry& operator=(const JobRegistry&) = delete;

    // Starts work on a thread of its own; ended runs on the GUI thread once it has
    // returned, unless the registry has shut down by then. After Shutdown no job starts
    // and 0 is returned.
    JobId Start(Work work, std::function<void()> ended = {}) override;
    // Sets the job's stop flag; the job ends when its work notices.
    void Stop(JobId id) override;
    // Whether the job is still registered (its end not yet handled).
    bool Has(JobId id) const { return m_jobs.contains(id); }
    std::size_t Count() const { return m_jobs.size(); }

    // Refuses new jobs, asks every job to stop and joins those that end within grace.
    // True when none is left; the rest keep running until the process exits.
    bool Shutdown(std::chrono::milliseconds grace = kShutdownGrace);

private:
    struct Job;
    struct Hub;

    void Reap(JobId id);

    std::shared_ptr<Hub> m_hub;
    std::unique_ptr<QObject> m_receiver; // the GUI thread's end of the posted calls
    std::unordered_map<JobId, std::shared_ptr<Job>> m_jobs;
    JobId m_nextId = 1;
    bool m_shutDown = false;
};

} // namespace bivora
