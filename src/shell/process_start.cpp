#include "shell/process_start.h"

#include "shell/unique_fd.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace bivora {

namespace {

bool WriteAll(int fd, const void* data, std::size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// The started process: into the working folder and exec, or its errno down the pipe.
[[noreturn]] void RunChild(int report, const std::vector<std::string>& candidates, char* const* argv,
                           const char* workingDirectory)
{
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &byDefault, nullptr); // an ignored SIGPIPE would outlive the exec
    int error = 0;
    if (*workingDirectory && ::chdir(workingDirectory) != 0) {
        error = errno;
    } else {
        // as execvp: a file that may not be executed is remembered, the search goes on
        bool denied = false;
        for (const std::string& candidate : candidates) {
            ::execve(candidate.c_str(), argv, environ);
            error = errno;
            if (error == EACCES)
                denied = true;
            else if (error != ENOENT && error != ENOTDIR)
                break;
        }
        if (denied && (error == ENOENT || error == ENOTDIR))
            error = EACCES;
    }
    WriteAll(report, &error, sizeof error);
    _exit(127);
}

} // namespace

std::vector<std::string> ProgramCandidates(const std::string& program, std::string_view pathVariable)
{
    if (program.find('/') != std::string::npos)
        return {program};
    const std::string_view path = pathVariable.empty() ? std::string_view("/usr/local/bin:/usr/bin:/bin") : pathVariable;
    std::vector<std::string> candidates;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t end = path.find(':', pos);
        std::string folder(path.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos));
        if (folder.empty())
            folder = "."; // an empty entry means the working folder
        candidates.push_back(folder + "/" + program);
        if (end == std::string_view::npos)
            break;
        pos = end + 1;
    }
    return candidates;
}

SysStatus StartDetachedProcess(const std::string& program, const std::vector<std::string>& arguments,
                               const std::string& workingDirectory)
{
    if (program.empty())
        return SysStatus::Failure(ENOENT);
    // built before the fork, since the child may only make async-signal-safe calls
    const char* pathVariable = std::getenv("PATH");
    const std::vector<std::string> candidates = ProgramCandidates(program, pathVariable ? pathVariable : "");
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    // the exec closes the write end: end of file means the program is running
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return SysStatus::Failure(errno);
    UniqueFd readEnd(pipeFds[0]);
    UniqueFd writeEnd(pipeFds[1]);

    // Two forks: the middle process leaves at once and is reaped here, so the program is
    // adopted by init and never becomes a zombie of this process.
    const pid_t middle = ::fork();
    if (middle < 0)
        return SysStatus::Failure(errno);
    if (middle == 0) {
        ::close(readEnd.Get());
        ::setsid();
        const pid_t child = ::fork();
        if (child < 0) {
            const int error = errno;
            WriteAll(writeEnd.Get(), &error, sizeof error);
            _exit(127);
        }
        if (child == 0)
            RunChild(writeEnd.Get(), candidates, argv.data(), workingDirectory.c_str());
        _exit(0);
    }
    writeEnd.Reset();
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }

    int error = 0;
    std::size_t got = 0;
    while (got < sizeof error) {
        const ssize_t n = ::read(readEnd.Get(), reinterpret_cast<char*>(&error) + got, sizeof error - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    if (got == 0)
        return Done{};
    return SysStatus::Failure(got == sizeof error && error != 0 ? error : ECHILD);
}

} // namespace bivora
