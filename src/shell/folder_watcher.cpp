#include "shell/folder_watcher.h"

#include "shell/thread_priority.h"

#include <cerrno>
#include <cstdint>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bivora {

namespace {

constexpr std::uint32_t kFolderEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB;
constexpr std::uint32_t kContentEvents = IN_CLOSE_WRITE | IN_MODIFY;
constexpr std::uint32_t kSelfEvents = IN_DELETE_SELF | IN_MOVE_SELF;

} // namespace

FolderWatcher::FolderWatcher(const std::string& path, Options options) : m_options(options)
{
    m_wake.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!m_wake.Valid()) {
        m_error = errno;
        return;
    }
    m_inotify.Reset(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
    if (!m_inotify.Valid()) {
        m_error = errno;
        return;
    }
    // a folders-only watch has no use for content changes, the busiest kind
    const std::uint32_t mask = kFolderEvents | kSelfEvents | IN_ONLYDIR | (options.foldersOnly ? 0u : kContentEvents);
    if (::inotify_add_watch(m_inotify.Get(), path.c_str(), mask) < 0) {
        m_error = errno;
        m_inotify.Reset();
        return;
    }
    if (!options.foldersOnly)
        return;
    // the links to folders there already, whose going counts as well (after the watch
    // is set, so that one made meanwhile is either listed or seen coming)
    m_folder.Reset(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!m_folder.Valid())
        return;
    const int listed = ::dup(m_folder.Get());
    DIR* dir = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (!dir) {
        if (listed >= 0)
            ::close(listed);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
            continue;
        struct stat target {};
        if (::fstatat(m_folder.Get(), entry->d_name, &target, 0) == 0 && S_ISDIR(target.st_mode)) {
            struct stat own {};
            if (::fstatat(m_folder.Get(), entry->d_name, &own, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(own.st_mode))
                m_folderLinks.insert(entry->d_name);
        }
    }
    ::closedir(dir);
}

FolderWatcher::~FolderWatcher() = default;

void FolderWatcher::Stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
    }
    if (m_wake.Valid()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(m_wake.Get(), &one, sizeof one);
    }
}

void FolderWatcher::Notify(const std::atomic<bool>* mayNotify, const std::function<void()>& notify)
{
    std::lock_guard lock(m_mutex);
    if (m_stopped || (mayNotify && !mayNotify->load()))
        return;
    if (notify)
        notify();
}

bool FolderWatcher::CountsAsFolderLink(std::uint32_t mask, const char* name)
{
    if (!m_folder.Valid() || name[0] == '\0')
        return false;
    if (mask & (IN_DELETE | IN_MOVED_FROM))
        return m_folderLinks.erase(name) > 0;
    // come, renamed here or changed: a link that now leads to a folder
    struct stat own {};
    struct stat target {};
    const bool link = ::fstatat(m_folder.Get(), name, &own, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(own.st_mode);
    if (link && ::fstatat(m_folder.Get(), name, &target, 0) == 0 && S_ISDIR(target.st_mode)) {
        m_folderLinks.insert(name);
        return true;
    }
    // a link that led to a folder and leads nowhere now (or was replaced) leaves its row
    return m_folderLinks.erase(name) > 0;
}

bool FolderWatcher::ReadEvents(bool& counts, bool& gone)
{
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t length = ::read(m_inotify.Get(), buffer, sizeof buffer);
        if (length < 0) {
            if (errno == EINTR)
                continue;
            return errno == EAGAIN;
        }
        if (length == 0)
            return false;
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            const std::uint32_t mask = event->mask;
            if (mask & IN_IGNORED) {
                // the folder was removed or its drive unmounted: the watch is over
                gone = true;
                counts = true;
            } else if (mask & (IN_Q_OVERFLOW | kSelfEvents | IN_UNMOUNT)) {
                counts = true;
            } else if (!m_options.foldersOnly || (mask & IN_ISDIR)) {
                counts = true;
            } else if (event->len > 0 && CountsAsFolderLink(mask, event->name)) {
                counts = true;
            }
        }
    }
}

void FolderWatcher::Run(const std::atomic<bool>* mayNotify, const std::function<void()>& notify,
                        const std::atomic<bool>* stop)
{
    if (m_error != 0 || !m_inotify.Valid())
        return;
    LowerThreadToIdlePriority();
    using Clock = std::chrono::steady_clock;
    pollfd fds[2] = {{m_inotify.Get(), POLLIN, 0}, {m_wake.Get(), POLLIN, 0}};
    bool settling = false;
    bool gone = false;
    Clock::time_point settled {};
    for (;;) {
        int timeout = -1;
        if (settling) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(settled - Clock::now()).count();
            timeout = left > 0 ? static_cast<int>(left) : 0;
        }
        fds[0].revents = fds[1].revents = 0;
        const int ready = ::poll(fds, 2, timeout);
        if (ready < 0 && errno != EINTR)
            return;
        if (fds[1].revents != 0 || (stop && stop->load()))
            return;
        {
            std::lock_guard lock(m_mutex);
            if (m_stopped)
                return;
        }
        if (ready > 0 && fds[0].revents != 0) {
            bool counts = false;
            if (!ReadEvents(counts, gone))
                return;
            // only a change that counts starts the quiet period again
            if (counts) {
                settling = true;
                settled = Clock::now() + m_options.quiet;
            }
            continue;
        }
        if (settling && Clock::now() >= settled) {
            settling = false;
            Notify(mayNotify, notify);
            if (gone)
                return;
        }
    }
}

} // namespace bivora
