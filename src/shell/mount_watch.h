#pragma once

#include "shell/unique_fd.h"

#include <atomic>
#include <string>

namespace bivora {

// Waits for the kernel's mount table to change. The table file (/proc/self/mountinfo)
// reports a mount or an unmount to poll() as POLLPRI|POLLERR, once per change, counted
// from the moment the file was opened: so a change that happens while the owner reads
// the table is reported by the next Wait and never lost. A table that is a regular file
// (a test's) never reports one; Poke asks for a re-read all the same.
//
// Made on any thread (it opens the table at once); Wait on one thread; Poke and Stop on
// any thread.
class MountTableWatch {
public:
    explicit MountTableWatch(const std::string& mountInfoPath);
    MountTableWatch(const MountTableWatch&) = delete;
    MountTableWatch& operator=(const MountTableWatch&) = delete;

    // 0 when the table is watched; else why not (errno). Poke and Stop work either way.
    int Error() const { return m_error; }

    enum class Wake {
        Changed, // the table changed: read it again
        Poked,   // someone asked for a re-read
        Stopped, // Stop was called: return
    };
    // Blocks until one of the above; once stopped, returns Stopped at once.
    Wake Wait();

    void Poke();
    void Stop();

private:
    UniqueFd m_table;
    UniqueFd m_wake; // an eventfd: Poke and Stop write it
    int m_error = 0;
    std::atomic<bool> m_stopped{false};
};

} // namespace bivora
