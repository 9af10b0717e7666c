#pragma once

#include "shell/directory_reader.h"
#include "shell/shell_namespace.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

namespace bivora::test {

// A directory reader that holds the read of one folder as a dead mount would: until
// the gate opens, or (with listens) until the read is asked to stop. Every other
// folder is read as usual.
struct StuckFolder {
    std::string path;
    bool listens = false;
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    bool entered = false;

    void Install(ShellNamespace& ns, const std::shared_ptr<StuckFolder>& self)
    {
        ns.SetDirectoryReader([self](const std::string& dir, std::uint32_t flags, const std::atomic<bool>* cancel,
                                     const std::function<void(FindData&&)>& sink) {
            if (dir == self->path) {
                std::unique_lock lock(self->mutex);
                self->entered = true;
                self->changed.notify_all();
                // a stuck read wakes only for the gate; a slow one also for its stop flag
                // the deadline only keeps a broken test from hanging the suite
                const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
                while (!self->open && !(self->listens && cancel->load())
                       && std::chrono::steady_clock::now() < deadline)
                    self->changed.wait_for(lock, std::chrono::milliseconds(5));
            }
            return ReadDirectory(dir, flags, cancel, sink);
        });
    }
    // Waits until the read of the folder has begun (bounded, for a broken test).
    bool WaitEntered()
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), [this] { return entered; });
    }
    void Open()
    {
        std::lock_guard lock(mutex);
        open = true;
        changed.notify_all();
    }
};

} // namespace bivora::test
