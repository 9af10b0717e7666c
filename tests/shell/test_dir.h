#pragma once

// A temporary folder for file-system tests, removed with everything in it when the
// test ends, plus a way to run a check without root's permission override.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <linux/capability.h>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace bivora::test {

class TestDir {
public:
    TestDir()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/bivora-test-XXXXXX";
        if (!mkdtemp(pattern.data()))
            ADD_FAILURE() << "mkdtemp failed: " << errno;
        m_path = pattern;
    }
    ~TestDir()
    {
        // Give back every permission a test took away, so that the tree can go.
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(
                 m_path, std::filesystem::directory_options::skip_permission_denied, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            if (it->is_directory(ec) && !it->is_symlink(ec))
                chmod(it->path().c_str(), 0755);
        }
        std::filesystem::remove_all(m_path, ec);
    }
    TestDir(const TestDir&) = delete;
    TestDir& operator=(const TestDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& relative) const { return m_path + "/" + relative; }

    std::string MakeDir(const std::string& relative, mode_t mode = 0755) const
    {
        const std::string path = *this / relative;
        EXPECT_EQ(mkdir(path.c_str(), mode), 0) << path << ": " << errno;
        return path;
    }
    std::string MakeFile(const std::string& relative, const std::string& content = {}) const
    {
        const std::string path = *this / relative;
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        EXPECT_GE(fd, 0) << path << ": " << errno;
        if (fd >= 0) {
            EXPECT_EQ(write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
            close(fd);
        }
        return path;
    }
    // A file of the given length without writing its bytes.
    std::string MakeSparseFile(const std::string& relative, off_t length) const
    {
        const std::string path = MakeFile(relative);
        EXPECT_EQ(truncate(path.c_str(), length), 0) << errno;
        return path;
    }
    std::string MakeLink(const std::string& target, const std::string& relative) const
    {
        const std::string path = *this / relative;
        EXPECT_EQ(symlink(target.c_str(), path.c_str()), 0) << path << ": " << errno;
        return path;
    }
    void AppendBytes(const std::string& relative, std::size_t count) const
    {
        const int fd = open((*this / relative).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        const std::string bytes(count, 'x');
        EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(count));
        close(fd);
    }

private:
    std::string m_path;
};

// Runs check in a child process that has lost the permission override root has, so
// that mode bits count as they would for a user. Returns check's result (0..125), or -1
// when the child could not be set up.
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

} // namespace bivora::test
