#include "shell/file_compare.h"

#include "shell/small_file.h"
#include "shell/unique_fd.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bivora {

namespace {

// Why a file could not be opened for the comparison.
enum class OpenFailure { kNone, kGone, kUnreadable };

UniqueFd OpenRegular(const std::string& path, struct stat& info, OpenFailure& failure)
{
    SysResult<UniqueFd> fd = OpenRegularFile(path, Links::Follow, info);
    if (!fd) {
        failure = fd.Error() == ENOENT || fd.Error() == ENOTDIR ? OpenFailure::kGone : OpenFailure::kUnreadable;
        return {};
    }
    failure = OpenFailure::kNone;
    ::posix_fadvise(fd->Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    return std::move(*fd);
}

} // namespace

FileComparer::FileComparer()
    : m_first(new char[kBlockSize])
    , m_second(new char[kBlockSize])
{
}

FileComparer::~FileComparer() = default;

FileCompareResult FileComparer::Compare(const std::string& first, const std::string& second,
                                        const std::function<bool()>& goOn)
{
    struct stat firstInfo {};
    struct stat secondInfo {};
    OpenFailure firstFailure = OpenFailure::kNone;
    OpenFailure secondFailure = OpenFailure::kNone;
    const UniqueFd a = OpenRegular(first, firstInfo, firstFailure);
    const UniqueFd b = a.Valid() ? OpenRegular(second, secondInfo, secondFailure) : UniqueFd();
    // a file that has gone differs from the one that is there; one we may not read is not judged
    if (firstFailure == OpenFailure::kGone || secondFailure == OpenFailure::kGone)
        return FileCompareResult::kDiffer;
    if (!a.Valid() || !b.Valid())
        return FileCompareResult::kUnreadable;
    if (firstInfo.st_size != secondInfo.st_size)
        return FileCompareResult::kDiffer;

    // Up to the length both had when opened; a read that ends early means a file shrank.
    auto left = static_cast<std::uint64_t>(firstInfo.st_size);
    while (left > 0) {
        if (goOn && !goOn())
            return FileCompareResult::kStopped;
        const std::size_t want = left < kBlockSize ? static_cast<std::size_t>(left) : kBlockSize;
        const std::int64_t gotA = ReadFull(a.Get(), m_first.get(), want);
        const std::int64_t gotB = gotA > 0 ? ReadFull(b.Get(), m_second.get(), static_cast<std::size_t>(gotA)) : 0;
        if (gotA < 0 || gotB < 0)
            return FileCompareResult::kUnreadable;
        if (gotA == 0 || gotB != gotA)
            return FileCompareResult::kDiffer;
        if (std::memcmp(m_first.get(), m_second.get(), static_cast<std::size_t>(gotA)) != 0)
            return FileCompareResult::kDiffer;
        left -= static_cast<std::uint64_t>(gotA);
    }
    return FileCompareResult::kSame;
}

FileCompareResult FileComparer::Compare(const std::string& first, const std::string& second,
                                        const std::atomic<bool>& stop)
{
    return Compare(first, second, [&stop] { return !stop.load(std::memory_order_relaxed); });
}

} // namespace bivora
