#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <functional>
#include <linux/capability.h>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "shell/unique_fd.h"

namespace bivora::test {

// Sets a file's length without writing its bytes (a sparse file when it grows).
inline void SetFileSize(const std::string& path, off_t length)
{
    ASSERT_EQ(::truncate(path.c_str(), length), 0) << path << ": " << errno;
}

// Sets the modified and accessed times of an entry (a link itself, not its target).
inline void SetTimes(const std::string& path, std::int64_t modifiedSeconds, std::int64_t accessedSeconds)
{
    const timespec times[2] = {{accessedSeconds, 250}, {modifiedSeconds, 500}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path << ": " << errno;
}

inline void AppendBytes(const std::string& path, std::size_t count)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(fd, 0) << path << ": " << errno;
    const std::string bytes(count, 'x');
    EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(count));
    ::close(fd);
}

// True once the path exists, false after a generous time: for what a started program makes.
inline bool AppearsSoon(const std::string& path)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    struct stat st {};
    while (::lstat(path.c_str(), &st) != 0) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

inline void SetMode(const std::string& path, mode_t mode)
{
    ASSERT_EQ(::chmod(path.c_str(), mode), 0) << path << ": " << errno;
}

// Runs check in a child process that has lost root's permission override, so that mode
// bits count as they would for a user (the suite may run as root). Returns check's
// result (0..125), or -1 when the child could not be set up.
inline int WithoutPermissionOverride(const std::function<int()>& check)
{
    const pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2]{};
        if (syscall(SYS_capget, &header, data) != 0)
            _exit(126);
        constexpr unsigned overrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
        data[0].effective &= ~overrides;
        if (syscall(SYS_capset, &header, data) != 0)
            _exit(126);
        _exit(check());
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) >= 126)
        return -1;
    return WEXITSTATUS(status);
}

// Makes a chain of depth folders named "d" below parent, with a file at the bottom.
inline void MakeDeepChain(const std::string& parent, int depth)
{
    UniqueFd fd(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    ASSERT_TRUE(fd.Valid());
    for (int i = 0; i < depth; ++i) {
        ASSERT_EQ(::mkdirat(fd.Get(), "d", 0755), 0) << "level " << i << ": " << errno;
        fd.Reset(::openat(fd.Get(), "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        ASSERT_TRUE(fd.Valid());
    }
    UniqueFd file(::openat(fd.Get(), "bottom", O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
    ASSERT_TRUE(file.Valid());
    ASSERT_EQ(::write(file.Get(), "12345", 5), 5);
}

// Removes the chain again by descriptors: its paths are too long for the usual removal.
inline void RemoveDeepChain(const std::string& parent, int depth)
{
    UniqueFd fd(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (int i = 0; i < depth && fd.Valid(); ++i)
        fd.Reset(::openat(fd.Get(), "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    ::unlinkat(fd.Get(), "bottom", 0);
    for (int i = 0; i < depth && fd.Valid(); ++i) {
        UniqueFd up(::openat(fd.Get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        ::unlinkat(up.Get(), "d", AT_REMOVEDIR);
        fd = std::move(up);
    }
}

} // namespace bivora::test
