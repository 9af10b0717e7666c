#include "ui/platform/free_space_cache.h"

namespace bivora {

FreeSpaceCache::FreeSpaceCache(QObject* parent, std::chrono::milliseconds maxAge, Reader read)
    : QObject(parent)
    , m_maxAge(maxAge)
    , m_read(std::move(read))
{
}

FreeSpaceCache::~FreeSpaceCache()
{
    // before any member goes: a running read posts to this object until it returns
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
    // The answer is posted to this object, which stops and joins the worker before it
    // goes: a posted answer either arrives or is dropped with the object.
    m_worker.Post([this, path](const std::atomic<bool>& stop) {
        std::optional<VolumeSpace> space = m_read(path);
        if (!stop.load())
            QMetaObject::invokeMethod(this, [this, path, space] { Take(path, space); }, Qt::QueuedConnection);
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
