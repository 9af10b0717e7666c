#pragma once

#include "ui/jobs/job_registry.h"

#include <cstdint>
#include <memory>

class QObject;

namespace bivora {

class FolderWatcher;
class ItemIdList;
class ShellFolder;
class ShellNamespace;

// The folder watcher of one pane: at most one, for the file-system folder the pane
// shows. It runs as a job of the registry and posts a FolderChangedEvent naming the
// folder's generation to the pane once a burst of changes has settled, unless the
// folder's watch-refresh flag is off.
//
// Stop wakes the job through the watcher's eventfd and returns without waiting for
// the thread: from then on the job reads nothing of the folder's and posts nothing, so
// the folder and the pane may go; the registry joins the thread when it has ended.
// GUI thread only, except Prepare.
class PaneWatch {
public:
    explicit PaneWatch(JobRegistry& jobs) : m_jobs(jobs) {}
    ~PaneWatch() { Stop(); }
    PaneWatch(const PaneWatch&) = delete;
    PaneWatch& operator=(const PaneWatch&) = delete;

    // Any thread, before the folder is read (so that no change after the read is
    // missed): the watch of the folder id names, as read with enumFlags; nullptr for a
    // virtual folder or one that cannot be watched.
    static std::shared_ptr<FolderWatcher> Prepare(const ShellNamespace& ns, const ItemIdList& id,
                                                  std::uint32_t enumFlags);

    // Runs watcher (from Prepare) for folder, now shown by pane as its generation. A
    // watcher still running is stopped first, so there is never more than one.
    void Start(std::shared_ptr<FolderWatcher> watcher, ShellFolder& folder, QObject& pane,
               std::uint64_t generation);
    // Before the folder goes.
    void Stop();

private:
    JobRegistry& m_jobs;
    std::shared_ptr<FolderWatcher> m_watcher;
    JobRegistry::JobId m_job = 0;
};

} // namespace bivora
