#include "ui/drives/drive_watch.h"

#include "shell/mount_watch.h"

#include <algorithm>

namespace bivora {

namespace {

bool SameDrives(const std::vector<Drive>& a, const std::vector<Drive>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Drive& x, const Drive& y) {
        return x.mountPath == y.mountPath && x.device == y.device && x.fsType == y.fsType && x.label == y.label
               && x.letter == y.letter && x.removable == y.removable && x.network == y.network;
    });
}

} // namespace

DriveWatch::DriveWatch(JobStarter& jobs, const std::string& mountInfoPath, Reader read, QObject* parent)
    : QObject(parent)
    , m_jobs(jobs)
    // opened before the first read, so that a change during that read is reported
    , m_watch(std::make_shared<MountTableWatch>(mountInfoPath))
    , m_channel(std::make_shared<GuiChannel>(this))
{
    m_job = m_jobs.Start([read = std::move(read), watch = m_watch, channel = m_channel,
                          receiver = this](const std::atomic<bool>& stop) {
        for (;;) {
            std::vector<Drive> drives;
            try {
                drives = read();
            } catch (...) {
                // no list this time; the next change or re-read tries again
            }
            if (stop.load())
                return;
            channel->Post([receiver, drives = std::move(drives)]() mutable { receiver->Take(std::move(drives)); });
            // a burst of mounts wakes this once per change; the reads merge what came meanwhile
            if (watch->Wait() == MountTableWatch::Wake::Stopped || stop.load())
                return;
        }
    });
}

DriveWatch::~DriveWatch()
{
    m_channel->Close();
    m_watch->Stop();
    m_jobs.Stop(m_job);
}

void DriveWatch::Reread()
{
    m_watch->Poke();
}

void DriveWatch::Take(std::vector<Drive> drives)
{
    const bool changed = !m_ready || !SameDrives(drives, m_drives);
    m_ready = true;
    m_drives = std::move(drives);
    if (changed)
        Q_EMIT DrivesChanged();
}

} // namespace bivora
