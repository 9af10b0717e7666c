#include "shell/script_file.h"

#include "shell/unique_fd.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace bivora {

namespace {

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

SysStatus WriteScriptFile(const std::string& path, std::string_view text, unsigned mode)
{
    const std::string folder = FolderOf(path);
    std::random_device random;
    std::string temporary;
    UniqueFd fd;
    for (int attempt = 0; attempt < 100 && !fd.Valid(); ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
        temporary = folder + "/.bivora-script-" + suffix;
        fd.Reset(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY,
                        static_cast<mode_t>(mode)));
        if (!fd.Valid() && errno != EEXIST)
            return SysStatus::Failure(errno);
    }
    if (!fd.Valid())
        return SysStatus::Failure(EEXIST);
    int error = 0;
    if (!WriteAll(fd.Get(), text))
        error = errno;
    if (error == 0 && ::close(fd.Release()) != 0)
        error = errno;
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return SysStatus::Failure(error);
    }
    return SysStatus(Done{});
}

} // namespace bivora
