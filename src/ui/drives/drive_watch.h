#pragma once

#include "shell/shell_namespace.h"
#include "ui/commands/job_starter.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace bivora {

class MountTableWatch;

// The drives of the namespace, kept up to date off the GUI thread: a job of the
// registry reads them (ShellNamespace::Drives looks at every mount point and so may
// hang on a dead mount), hands the list to the GUI thread, then waits for the mount
// table to change and reads again. The GUI thread never reads the disk for them: until
// the first list arrives Drives() is empty and Ready() false, and a read stuck on a dead
// mount leaves the last list in place.
//
// GUI thread only. The job shares the reader, the watch and the channel, so this
// object may go while the job is stuck in a read; it is stopped and left to the registry.
class DriveWatch final : public QObject {
    Q_OBJECT
public:
    // read gives the drives (ShellNamespace::Drives); it runs on the job and must own,
    // or share in ownership, what it reads. mountInfoPath is the table whose changes
    // call for a new read.
    using Reader = std::function<std::vector<Drive>()>;
    DriveWatch(JobStarter& jobs, const std::string& mountInfoPath, Reader read, QObject* parent = nullptr);
    ~DriveWatch() override;

    const std::vector<Drive>& Drives() const { return m_drives; }
    bool Ready() const { return m_ready; }

    // Asks for a fresh read although the kernel has not reported a change (a test's
    // table file, which cannot report one).
    void Reread();

Q_SIGNALS:
    // A list that differs from the last one arrived (the first list always does).
    void DrivesChanged();

private:
    void Take(std::vector<Drive> drives);

    JobStarter& m_jobs;
    std::shared_ptr<MountTableWatch> m_watch;
    std::shared_ptr<GuiChannel> m_channel;
    JobStarter::JobId m_job = 0;
    std::vector<Drive> m_drives;
    bool m_ready = false;
};

} // namespace bivora
