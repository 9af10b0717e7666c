#pragma once

// The file-operation engine's working parts, shared by the sources that implement it
// (the copying in file_operation.cpp, moving, linking and removing in file_op_moves.cpp).
// Nothing outside the engine includes this.
#include "shell/file_operation.h"
#include "shell/file_system_calls.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <sys/stat.h>

namespace bivora::file_op {


enum class Outcome { Done, Skipped, Cancelled };

// copy_file_range moves this much per call: large enough for full speed, small enough
// that a cancel is seen within a few milliseconds on any disk.
constexpr std::size_t kRangeBlock = 8u << 20;
// The buffer of the read/write fallback.
constexpr std::size_t kBufferSize = 1u << 20;
// Candidates tried for "name (copy n)" before the collision is reported.
constexpr unsigned kMaxCopyNumber = 9999;

inline bool IsFolder(const FileStat& st) { return S_ISDIR(st.mode); }
inline bool IsRegular(const FileStat& st) { return S_ISREG(st.mode); }
inline bool IsLink(const FileStat& st) { return S_ISLNK(st.mode); }
inline bool SameEntry(const FileStat& a, const FileStat& b) { return a.device == b.device && a.inode == b.inode; }

// Why an entry that is neither file, folder nor link is left alone (it is never opened:
// opening a named pipe would wait for a writer).
inline const char* SpecialReason(const FileStat& st)
{
    if (S_ISFIFO(st.mode))
        return "a named pipe is not copied";
    if (S_ISSOCK(st.mode))
        return "a socket is not copied";
    return "a device file is not copied";
}

// A copy_file_range failure after which read and write do the same work.
inline bool RangeUnsupported(int error)
{
    return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP || error == EBADF;
}

// Which side a failure of a data transfer most likely lies on.
inline bool IsWriteError(int error)
{
    return error == ENOSPC || error == EDQUOT || error == EFBIG || error == EROFS;
}

// A descriptor closed through the calls when it goes (unless closed on purpose before).
class CallsFd {
public:
    CallsFd(FileSystemCalls& calls, int fd) : m_calls(calls), m_fd(fd) {}
    ~CallsFd()
    {
        if (m_fd >= 0)
            m_calls.Close(m_fd);
    }
    CallsFd(const CallsFd&) = delete;
    CallsFd& operator=(const CallsFd&) = delete;
    int Get() const { return m_fd; }
    SysStatus Close()
    {
        const int fd = std::exchange(m_fd, -1);
        return m_calls.Close(fd);
    }

private:
    FileSystemCalls& m_calls;
    int m_fd;
};

// Where an entry goes in the target folder.
struct Placement {
    enum class How { New, Replace, Merge };
    How how = How::New;
    std::string target;
};

// What a copy made, for a move across file systems: the pairs to check and whose
// sources then go, and the entries it created, removed again when the move does not
// complete.
struct CopyTrack {
    struct Pair {
        std::string source;
        std::string target;
        bool folder = false;
    };
    std::vector<Pair> copied;                      // folders after their contents
    std::vector<std::pair<std::string, bool>> made; // (target, folder) in creation order
};

class Engine {
public:
    Engine(const FileOpRequest& request, FileOpCallbacks& callbacks, FileSystemCalls& calls, const Environment& env,
           const std::atomic<bool>* cancel)
        : m_request(request), m_callbacks(callbacks), m_calls(calls), m_env(env), m_cancel(cancel),
          m_random(std::random_device{}())
    {
    }

    FileOpResult Run();

private:
    bool Cancelled()
    {
        if (!m_cancelled && m_cancel && m_cancel->load(std::memory_order_relaxed))
            m_cancelled = true;
        return m_cancelled;
    }
    void Report(const std::string& current)
    {
        m_progress.current = current;
        m_callbacks.Progress(m_progress);
    }
    static bool Fail(FileOpError& error, FileOpError::Step step, int code, const std::string& path)
    {
        error = {step, code, path};
        return false;
    }

    // Runs attempt until it succeeds or the user stops asking for it again: the attempt
    // gives an outcome, or fills error (error.error != 0) and is asked about.
    template <typename Attempt>
    Outcome Persist(Attempt&& attempt);

    void Scan(const std::string& path, bool recurse);
    // The names in a folder, asked about (Retry, Skip, Cancel) when it cannot be read.
    Outcome ListFolder(const std::string& path, std::vector<std::string>& names);
    bool IsInside(const std::string& folder, const FileStat& tree);
    bool FreeCopyName(const std::string& folder, std::string_view name, std::string& target, FileOpError& error);
    Outcome Place(const std::string& source, const FileStat& st, const std::string& folder, std::string_view name,
                  Placement& place, FileOpError& error);
    std::string TempName(const std::string& folder);

    // fresh: folder was made by this copy, so nothing in it can collide.
    Outcome CopyEntry(const std::string& source, const std::string& folder, std::string* madeName, CopyTrack* track,
                      bool fresh = false);
    Outcome CopyPlaced(const std::string& source, const FileStat& st, const Placement& place, CopyTrack* track);
    Outcome CopyFolder(const std::string& source, const FileStat& st, const Placement& place, CopyTrack* track);
    Outcome CopyFile(const std::string& source, const Placement& place, FileOpError& error);
    Outcome Transfer(int in, int out, std::uint64_t size, const std::string& source, const std::string& target,
                     std::uint64_t& moved, FileOpError& error);
    Outcome CopyLink(const std::string& source, const FileStat& st, const Placement& place, FileOpError& error);

    Outcome MoveEntry(const std::string& source, const std::string& folder, std::string* madeName);
    Outcome MoveAcross(const std::string& source, const FileStat& st, const Placement& place);
    void Rollback(const CopyTrack& track);

    Outcome LinkEntry(const std::string& source, std::string* madeName);
    Outcome DeleteEntry(const std::string& path);
    Outcome TrashEntry(const std::string& path);

    const FileOpRequest& m_request;
    FileOpCallbacks& m_callbacks;
    FileSystemCalls& m_calls;
    const Environment& m_env;
    const std::atomic<bool>* m_cancel;
    std::mt19937_64 m_random;
    FileOpProgress m_progress;
    FileStat m_targetFolder;
    bool m_cancelled = false;
    bool m_replaceAll = false;
    bool m_scannedDeep = false; // the top-level item at work was scanned with its contents
    std::unique_ptr<char[]> m_buffer;
};

template <typename Attempt>
Outcome Engine::Persist(Attempt&& attempt)
{
    for (;;) {
        if (Cancelled())
            return Outcome::Cancelled;
        FileOpError error;
        const Outcome outcome = attempt(error);
        if (error.error == 0)
            return outcome;
        switch (m_callbacks.AskError(error)) {
        case ErrorAnswer::Retry:
            continue;
        case ErrorAnswer::Skip:
            return Outcome::Skipped;
        case ErrorAnswer::Cancel:
            m_cancelled = true;
            return Outcome::Cancelled;
        }
    }
}

} // namespace bivora::file_op
