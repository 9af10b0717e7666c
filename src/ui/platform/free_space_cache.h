#pragma once

#include "shell/volume_info.h"
#include "ui/platform/worker_queue.h"

#include <QObject>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace bivora {

// The free space of volumes for status texts, read on the cache's own worker (a job of the registry) and kept
// per volume for a few seconds, so that a selection change never waits for a disk.
// GUI thread only.
class FreeSpaceCache final : public QObject {
    Q_OBJECT
public:
    using Reader = std::function<std::optional<VolumeSpace>(const std::string& path)>;

    // The reads run as jobs of jobs, which must outlive the cache.
    explicit FreeSpaceCache(JobStarter& jobs, QObject* parent = nullptr,
                            std::chrono::milliseconds maxAge = std::chrono::seconds(5), Reader read = VolumeFreeSpace);
    // Stops the worker; a read stuck on a dead mount is not waited for.
    ~FreeSpaceCache() override;

    // The free bytes of the volume holding path, as last read: nullopt until a read has
    // answered for this path. A missing or older value starts a read on the worker;
    // Arrived tells when its answer is in (the older value is given meanwhile).
    std::optional<std::uint64_t> FreeSpace(const std::string& path);

Q_SIGNALS:
    void Arrived();

private:
    struct Value {
        std::uint64_t freeBytes = 0;
        std::chrono::steady_clock::time_point readAt;
    };

    void Read(const std::string& path);
    void Take(const std::string& path, std::optional<VolumeSpace> space);

    const std::chrono::milliseconds m_maxAge;
    const Reader m_read;
    std::unordered_map<std::string, std::uint64_t> m_volumeOf; // path -> volume
    std::unordered_map<std::uint64_t, Value> m_volumes;
    std::unordered_set<std::string> m_reading; // paths asked of the worker, not answered yet
    WorkerQueue m_worker;                      // last: stopped before the rest goes
};

} // namespace bivora
