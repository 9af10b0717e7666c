#include "shell/settings_file.h"

#include "shell/item_info.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bivora {

namespace {

using Outcome = SettingsFileResult::Outcome;

class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() { Close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd& operator=(Fd&& other) noexcept
    {
        if (this != &other) {
            Close();
            m_fd = other.m_fd;
            other.m_fd = -1;
        }
        return *this;
    }

    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    // Closes now and tells whether the close went well (it reports late write errors).
    bool Close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd = -1;
};

// The folder and the name of the file the settings live in.
struct Location {
    std::string folder;
    std::string name;
    std::string target; // folder + "/" + name, for messages
};

SettingsFileResult Result(Outcome outcome, const std::string& target, std::string problem = {}, int error = 0)
{
    SettingsFileResult result;
    result.outcome = outcome;
    result.target = target;
    result.problem = std::move(problem);
    result.error = error;
    return result;
}

SettingsFileResult Failure(const std::string& target, const char* what, int error)
{
    return Result(Outcome::Failed, target, std::string(what) + ": " + std::strerror(error), error);
}

Location Split(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {".", path, path};
    return {slash == 0 ? std::string("/") : path.substr(0, slash), path.substr(slash + 1), path};
}

// Makes the missing folders of path, for the user only.
int MakeFolders(const std::string& path)
{
    for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string prefix = path.substr(0, end);
        if (!prefix.empty() && ::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
        if (end == std::string::npos)
            return 0;
    }
}

// Where the settings are: a link counts as the file it leads to.
SettingsFileResult Locate(const std::string& path, bool makeFolders, Location& where)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        const std::optional<std::string> resolved = RealPath(path);
        if (!resolved)
            return Result(Outcome::Refused, path, "is a link that leads nowhere");
        where = Split(*resolved);
    } else {
        where = Split(path);
    }
    if (where.name.empty() || where.name == "." || where.name == "..")
        return Result(Outcome::Refused, path, "names no file");
    if (makeFolders) {
        if (const int error = MakeFolders(where.folder))
            return Failure(where.target, "cannot make its folder", error);
    }
    return Result(Outcome::Done, where.target);
}

SettingsFileResult OpenFolder(const Location& where, Fd& folder)
{
    folder = Fd(::open(where.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder)
        return errno == ENOENT ? Result(Outcome::Missing, where.target)
                               : Failure(where.target, "cannot open its folder", errno);
    struct stat info {};
    if (::fstat(folder.get(), &info) != 0)
        return Failure(where.target, "cannot examine its folder", errno);
    if (info.st_uid != ::geteuid())
        return Result(Outcome::Refused, where.target, "lies in a folder that belongs to another user");
    return Result(Outcome::Done, where.target);
}

const char* WhyNot(const struct stat& info)
{
    if (S_ISLNK(info.st_mode))
        return "is a link";
    if (!S_ISREG(info.st_mode))
        return "is not a regular file";
    if (info.st_uid != ::geteuid())
        return "belongs to another user";
    return nullptr;
}

// Opens the file for reading once it has shown itself a regular file of the user.
// It is examined before it is opened (opening a device can have effects of its own)
// and again after (it may have been replaced in between); O_NONBLOCK keeps a pipe
// put there in the meantime from blocking the open.
SettingsFileResult OpenFile(const Fd& folder, const Location& where, Fd& file, struct stat& info)
{
    if (::fstatat(folder.get(), where.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? Result(Outcome::Missing, where.target) : Failure(where.target, "cannot examine it", errno);
    if (const char* why = WhyNot(info))
        return Result(Outcome::Refused, where.target, why);
    file = Fd(::openat(folder.get(), where.name.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
    if (!file) {
        if (errno == ENOENT)
            return Result(Outcome::Missing, where.target);
        if (errno == ELOOP)
            return Result(Outcome::Refused, where.target, "is a link");
        return Failure(where.target, "cannot open it", errno);
    }
    struct stat opened {};
    if (::fstat(file.get(), &opened) != 0)
        return Failure(where.target, "cannot examine it", errno);
    if (const char* why = WhyNot(opened))
        return Result(Outcome::Refused, where.target, why);
    if (opened.st_dev != info.st_dev || opened.st_ino != info.st_ino)
        return Result(Outcome::Refused, where.target, "changed while it was opened");
    info = opened;
    return Result(Outcome::Done, where.target);
}

int ReadAll(int fd, std::string& text)
{
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0)
            text.append(buffer, static_cast<std::size_t>(got));
        else if (got == 0)
            return 0;
        else if (errno != EINTR)
            return errno;
    }
}

int WriteAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
        if (put > 0)
            done += static_cast<std::size_t>(put);
        else if (put < 0 && errno != EINTR)
            return errno;
    }
    return 0;
}

// Reads the located file; Missing when there is none.
SettingsFileResult ReadLocated(const Fd& folder, const Location& where, std::string& text, struct stat& info)
{
    Fd file;
    SettingsFileResult result = OpenFile(folder, where, file, info);
    if (!result.Ok())
        return result;
    if (const int error = ReadAll(file.get(), text)) {
        text.clear();
        return Failure(where.target, "cannot read it", error);
    }
    return result;
}

std::string TemporaryName(const std::string& name)
{
    static std::atomic<unsigned> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    return "." + name + "." + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
           std::to_string(static_cast<unsigned long long>(ticks) % 1000000007ULL) + ".tmp";
}

} // namespace

SettingsFileResult ReadSettingsFile(const std::string& path, std::string& text)
{
    text.clear();
    Location where;
    SettingsFileResult result = Locate(path, false, where);
    if (!result.Ok())
        return result;
    Fd folder;
    result = OpenFolder(where, folder);
    if (!result.Ok())
        return result;
    struct stat info {};
    return ReadLocated(folder, where, text, info);
}

SettingsFileResult UpdateSettingsFile(const std::string& path,
                                      const std::function<std::string(const std::string* current)>& compose)
{
    Location where;
    SettingsFileResult result = Locate(path, true, where);
    if (!result.Ok())
        return result;
    Fd folder;
    result = OpenFolder(where, folder);
    if (result.outcome == Outcome::Missing)
        return Failure(where.target, "cannot open its folder", ENOENT);
    if (!result.Ok())
        return result;
    // The lock goes with the folder's descriptor.
    while (::flock(folder.get(), LOCK_EX) != 0) {
        if (errno != EINTR)
            return Failure(where.target, "cannot lock its folder", errno);
    }

    std::string current;
    struct stat info {};
    result = ReadLocated(folder, where, current, info);
    if (!result.Ok() && result.outcome != Outcome::Missing)
        return result;
    const bool existed = result.Ok();
    const std::string text = compose(existed ? &current : nullptr);

    std::string temporary;
    Fd out;
    for (int attempt = 0; !out; ++attempt) {
        temporary = TemporaryName(where.name);
        out = Fd(::openat(folder.get(), temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!out && (errno != EEXIST || attempt == 100))
            return Failure(where.target, "cannot make a temporary file beside it", errno);
    }
    const auto abandon = [&](const char* what, int error) {
        out.Close();
        ::unlinkat(folder.get(), temporary.c_str(), 0);
        return Failure(where.target, what, error);
    };
    if (const int error = WriteAll(out.get(), text))
        return abandon("cannot write it", error);
    if (existed && ::fchmod(out.get(), info.st_mode & 07777) != 0)
        return abandon("cannot keep its permissions", errno);
    if (::fsync(out.get()) != 0)
        return abandon("cannot write it", errno);
    if (!out.Close())
        return abandon("cannot write it", errno);
    if (::renameat(folder.get(), temporary.c_str(), folder.get(), where.name.c_str()) != 0)
        return abandon("cannot replace it", errno);
    // The rename lasts only once the folder is on disk too.
    ::fsync(folder.get());
    return Result(Outcome::Done, where.target);
}

} // namespace bivora
