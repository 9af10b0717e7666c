#include "shell/whole_file.h"

#include "shell/small_file.h"
#include "shell/unique_fd.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace bivora {

namespace {

constexpr std::size_t kBlock = std::size_t(1) << 20;

FileStamp StampOf(const struct stat& st)
{
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

std::string FolderPart(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The file a save replaces: the target of a link (so the link stays), else the path.
std::string SaveTarget(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            std::string target(real);
            std::free(real);
            return target;
        }
    }
    return path;
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t done = ::write(fd, bytes.data(), std::min(bytes.size(), kBlock));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(done));
    }
    return true;
}

} // namespace

SysResult<FileStamp> StampFile(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return SysResult<FileStamp>::Failure(errno);
    return StampOf(st);
}

SysResult<WholeFile> ReadWholeFile(const std::string& path, std::size_t limit, const std::atomic<bool>* stop,
                                   const std::function<void(std::uint64_t done, std::uint64_t total)>& progress)
{
    using Result = SysResult<WholeFile>;
    struct stat st {};
    auto fd = OpenRegularFile(path, Links::Follow, st);
    if (!fd)
        return Result::Failure(fd.Error());
    const auto expected = static_cast<std::uint64_t>(std::max<off_t>(st.st_size, 0));
    if (expected > limit)
        return Result::Failure(EFBIG);
    WholeFile file;
    file.stamp = StampOf(st);
    // one byte more than expected tells a file that grew
    file.bytes.resize(static_cast<std::size_t>(expected) + 1);
    std::size_t got = 0;
    for (;;) {
        if (stop && stop->load())
            return Result::Failure(ECANCELED);
        if (got == file.bytes.size()) {
            if (got > limit)
                return Result::Failure(EFBIG);
            file.bytes.resize(std::min(limit + 1, got + std::max(got / 2, kBlock)));
        }
        const std::int64_t n = ReadFull(fd->Get(), file.bytes.data() + got, std::min(kBlock, file.bytes.size() - got));
        if (n < 0)
            return Result::Failure(errno);
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
        if (progress)
            progress(got, std::max<std::uint64_t>(expected, got));
    }
    if (got > limit)
        return Result::Failure(EFBIG);
    file.bytes.resize(got);
    file.stamp.size = static_cast<std::int64_t>(got);
    return file;
}

SysStatus WriteFileSafely(const std::string& path, std::string_view bytes)
{
    const std::string target = SaveTarget(path);
    const std::string folder = FolderPart(target);
    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (replacing && !S_ISREG(old.st_mode))
        return SysStatus::Failure(S_ISDIR(old.st_mode) ? EISDIR : EINVAL);

    const std::size_t slash = target.rfind('/');
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::random_device seed;
    std::mt19937 random(seed());
    std::string temporary;
    UniqueFd fd;
    for (int attempt = 0; attempt < 100 && !fd.Valid(); ++attempt) {
        // "." first keeps the half-written file out of sight in most listings
        temporary = folder + "/." + name.substr(0, 200) + ".saving-" + std::to_string(random() % 1000000);
        fd.Reset(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666));
        if (!fd.Valid() && errno != EEXIST)
            return SysStatus::Failure(errno);
    }
    if (!fd.Valid())
        return SysStatus::Failure(EEXIST);

    auto fail = [&](int error) {
        fd.Reset();
        ::unlink(temporary.c_str());
        return SysStatus::Failure(error);
    };
    if (replacing) {
        // a group or owner it may not take is no reason to fail the save
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid())
            (void)::fchown(fd.Get(), old.st_uid, old.st_gid);
        if (::fchmod(fd.Get(), old.st_mode & 07777) != 0)
            return fail(errno);
    }
    if (!WriteAll(fd.Get(), bytes))
        return fail(errno);
    if (::fsync(fd.Get()) != 0)
        return fail(errno);
    if (::close(fd.Release()) != 0)
        return fail(errno);
    if (::rename(temporary.c_str(), target.c_str()) != 0)
        return fail(errno);
    // the rename itself reaches the disk with the folder
    UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Valid())
        (void)::fsync(dir.Get());
    return Done{};
}

} // namespace bivora
