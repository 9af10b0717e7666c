#pragma once

#include "ui/commands/job_starter.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

namespace bivora {

// One worker at a time that runs posted tasks one after another, for small background
// look-ups (content types, free space, applications) that must not hold up the GUI
// thread. The worker is a job of the registry, started when a task comes and ending
// when none is left. A task hands its results back through the reply channel, to the
// receiver on its thread; it owns what it reads (never the receiver's members) and
// catches what it throws.
//
// Stop (and the destructor) drops the tasks not begun, closes the channel, sets the
// running task's stop flag and waits for it only a short grace: a task stuck in a read
// on a dead mount is left to the registry, and its answer is dropped.
class WorkerQueue {
public:
    using Task = std::function<void(const std::atomic<bool>& stop, GuiChannel& reply)>;

    static constexpr std::chrono::milliseconds kStopGrace{250};

    // jobs must outlive the queue; receiver is where replies run.
    WorkerQueue(JobStarter& jobs, QObject* receiver);
    ~WorkerQueue();
    WorkerQueue(const WorkerQueue&) = delete;
    WorkerQueue& operator=(const WorkerQueue&) = delete;

    // GUI thread. Dropped after Stop, and when the program is shutting down.
    void Post(Task task);
    // GUI thread. True when no task is running any more.
    bool Stop(std::chrono::milliseconds grace = kStopGrace);

private:
    struct State;
    static void Run(const std::shared_ptr<State>& state, const std::atomic<bool>& stop);

    JobStarter& m_jobs;
    std::shared_ptr<State> m_state;
    JobStarter::JobId m_job = 0;
};

} // namespace bivora
