#pragma once

#include "shell/unique_fd.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <cstdint>
#include <string>
#include <unordered_set>

namespace bivora {

// Watches one folder (not its sub-folders) for items that come, go or change, and
// says so once a burst of changes has settled: when the quiet period passes without
// another change. An overflowing event queue counts as one more change; a folder that
// is removed or moved away is one last change, after which the watch ends.
//
// A folders-only watch counts what comes, goes or changes among the folder's folders
// and its links to folders (a link's events carry no sign of what it points to: the
// watch looks at a link that comes, and remembers the names of those it knows).
//
// Made on any thread (it looks the path up); Run on the watcher's own thread; Stop on
// any thread.
class FolderWatcher {
public:
    static constexpr std::chrono::milliseconds kQuiet{100};
    static constexpr std::chrono::milliseconds kRemovableQuiet{500};

    struct Options {
        bool foldersOnly = false; // only folders coming, going or changing count
        std::chrono::milliseconds quiet = kQuiet;
    };

    // Sets up the watch at once, so that nothing that happens after the constructor
    // returns is missed.
    FolderWatcher(const std::string& path, Options options);
    ~FolderWatcher();
    FolderWatcher(const FolderWatcher&) = delete;
    FolderWatcher& operator=(const FolderWatcher&) = delete;

    // 0 while the folder is watched; else why it could not be (errno).
    int Error() const { return m_error; }

    // The watcher's thread, lowered to idle priority: waits without a time-out for a
    // change or Stop; after each settled burst calls notify, unless mayNotify (when
    // given) is false at that moment: a burst that settles then is forgotten. Returns
    // after Stop, when stop (when given) is found set on waking, or when the watch
    // cannot go on.
    void Run(const std::atomic<bool>* mayNotify, const std::function<void()>& notify,
             const std::atomic<bool>* stop = nullptr);

    // Wakes Run and makes it return. Once Stop has returned, Run neither reads mayNotify
    // nor calls notify any more (a call under way is waited for), so what they refer to
    // may go, while the thread itself ends on its own and is joined by its owner.
    void Stop();

private:
    // Reads the queued events; false when the watch cannot go on. counts is set when one
    // of them is a change that counts, gone when the folder is no longer watched.
    bool ReadEvents(bool& counts, bool& gone);
    void Notify(const std::atomic<bool>* mayNotify, const std::function<void()>& notify);
    // Whether an event of a name that is not a folder is one of a link to a folder.
    bool CountsAsFolderLink(std::uint32_t mask, const char* name);

    Options m_options;
    UniqueFd m_folder; // the watched folder itself (folders-only), for its links
    std::unordered_set<std::string> m_folderLinks; // names of its links to folders
    UniqueFd m_inotify;
    UniqueFd m_wake; // an eventfd: Stop writes it
    int m_error = 0;
    std::mutex m_mutex;
    bool m_stopped = false; // under m_mutex
};

} // namespace bivora
