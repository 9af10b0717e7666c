#include "ui/platform/free_space_cache.h"

namespace bivora {

FreeSpaceCache::FreeSpaceCache(JobStarter& jobs, QObject* parent, std::chrono::milliseconds maxAge, Reader read)
    : QObject(parent)
    , m_maxAge(maxAge)
    , m_read(std::move(read))
    , m_worker(jobs, this)
{
}

FreeSpaceCache::~FreeSpaceCache()
{
    // before any member goes: no answer reaches this object after this
    m_worker.Stop();
}

std::optional<std::uint64_t> FreeSpaceCache::FreeSpace(const std::string& path)
{
    const auto volume = m_volumeOf.find(path);
    if (volume == m_volumeOf.end()) {
        Read(path);
        return std::nullopt;
    }
    const Value& value = m_volumes.at(volume->second);
    if (std::chrono::steady_clock::now() - value.readAt >= m_maxAge)
        Read(path);
    return value.freeBytes;
}

void FreeSpaceCache::Read(const std::string& path)
{
    if (!m_reading.insert(path).second)
        return;
    // The read owns its reader and path; the answer reaches this object through the
    // reply channel, which drops it once the object has gone.
    m_worker.Post([this, read = m_read, path](const std::atomic<bool>& stop, GuiChannel& reply) {
        std::optional<VolumeSpace> space = read(path);
        if (!stop.load())
            reply.Post([this, path, space] { Take(path, space); });
    });
}

void FreeSpaceCache::Take(const std::string& path, std::optional<VolumeSpace> space)
{
    m_reading.erase(path);
    if (!space) {
        // the path went, or its volume cannot be asked: no value rather than a wrong one
        if (const auto volume = m_volumeOf.find(path); volume != m_volumeOf.end()) {
            m_volumeOf.erase(volume);
            Q_EMIT Arrived();
        }
        return;
    }
    m_volumeOf[path] = space->volume;
    m_volumes[space->volume] = Value{space->freeBytes, std::chrono::steady_clock::now()};
    Q_EMIT Arrived();
}

} // namespace bivora
