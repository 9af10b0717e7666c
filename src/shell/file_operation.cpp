#include "shell/file_operation.h"

#include "base/copy_name.h"
#include "base/path_text.h"
#include "shell/file_system_calls.h"
#include "shell/trash.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <random>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>

namespace bivora {

namespace {

enum class Outcome { Done, Skipped, Cancelled };

// copy_file_range moves this much per call: large enough for full speed, small enough
// that a cancel is seen within a few milliseconds on any disk.
constexpr std::size_t kRangeBlock = 8u << 20;
// The buffer of the read/write fallback.
constexpr std::size_t kBufferSize = 1u << 20;
// Candidates tried for "name (copy n)" before the collision is reported.
constexpr unsigned kMaxCopyNumber = 9999;

bool IsFolder(const FileStat& st) { return S_ISDIR(st.mode); }
bool IsRegular(const FileStat& st) { return S_ISREG(st.mode); }
bool IsLink(const FileStat& st) { return S_ISLNK(st.mode); }
bool SameEntry(const FileStat& a, const FileStat& b) { return a.device == b.device && a.inode == b.inode; }

// Why an entry that is neither file, folder nor link is left alone (it is never opened:
// opening a named pipe would wait for a writer).
const char* SpecialReason(const FileStat& st)
{
    if (S_ISFIFO(st.mode))
        return "a named pipe is not copied";
    if (S_ISSOCK(st.mode))
        return "a socket is not copied";
    return "a device file is not copied";
}

// A copy_file_range failure after which read and write do the same work.
bool RangeUnsupported(int error)
{
    return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP || error == EBADF;
}

// Which side a failure of a data transfer most likely lies on.
bool IsWriteError(int error)
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
    bool IsInside(const std::string& folder, const FileStat& tree);
    bool FreeCopyName(const std::string& folder, std::string_view name, std::string& target, FileOpError& error);
    Outcome Place(const std::string& source, const FileStat& st, const std::string& folder, std::string_view name,
                  Placement& place, FileOpError& error);
    std::string TempName(const std::string& folder);

    Outcome CopyEntry(const std::string& source, const std::string& folder, std::string* madeName, CopyTrack* track);
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

// Adds up what lies at path without following links; stops at a cancel. Failures are
// left for the work itself to meet and ask about.
void Engine::Scan(const std::string& path, bool recurse)
{
    if (Cancelled())
        return;
    const auto st = m_calls.Stat(path);
    ++m_progress.filesTotal;
    if (!st)
        return;
    if (IsRegular(*st))
        m_progress.bytesTotal += st->size;
    if (!recurse || !IsFolder(*st))
        return;
    const auto names = m_calls.List(path);
    if (!names)
        return;
    for (const std::string& name : *names)
        Scan(PathJoin(path, name), true);
}

// Whether folder is tree itself or lies below it, by walking up through ".." (so a
// path through links is judged by where it really leads).
bool Engine::IsInside(const std::string& folder, const FileStat& tree)
{
    std::string path = folder;
    auto here = m_calls.Stat(path, true);
    while (here) {
        if (SameEntry(*here, tree))
            return true;
        path += "/..";
        const auto up = m_calls.Stat(path, true);
        if (!up || SameEntry(*up, *here))
            return false;
        here = up;
    }
    return false;
}

bool Engine::FreeCopyName(const std::string& folder, std::string_view name, std::string& target, FileOpError& error)
{
    for (unsigned n = 1; n <= kMaxCopyNumber; ++n) {
        const std::string candidate = PathJoin(folder, CopyName(name, n));
        const auto st = m_calls.Stat(candidate);
        if (!st && st.Error() == ENOENT) {
            target = candidate;
            return true;
        }
        if (!st)
            return Fail(error, FileOpError::Step::Create, st.Error(), candidate);
    }
    return Fail(error, FileOpError::Step::Create, EEXIST, PathJoin(folder, name));
}

// Decides where source (described by st) goes in folder under name: a new entry, the
// replacement of an entry of its kind, or a merge of two folders. Asks about a collision.
Outcome Engine::Place(const std::string& source, const FileStat& st, const std::string& folder, std::string_view name,
                      Placement& place, FileOpError& error)
{
    place = {Placement::How::New, PathJoin(folder, name)};
    const auto existing = m_calls.Stat(place.target);
    if (!existing) {
        if (existing.Error() == ENOENT)
            return Outcome::Done;
        Fail(error, FileOpError::Step::Create, existing.Error(), place.target);
        return Outcome::Skipped;
    }
    const bool same = SameEntry(*existing, st);
    if (m_request.renameOnCollision) {
        if (!FreeCopyName(folder, name, place.target, error))
            return Outcome::Skipped;
        return Outcome::Done;
    }
    if (same) {
        m_callbacks.Skipped(source, "the source and the target are the same");
        return Outcome::Skipped;
    }
    const bool folders = IsFolder(st) && IsFolder(*existing);
    if (!folders && (IsFolder(st) || IsFolder(*existing))) {
        // A folder never replaces a file nor a file a folder: that would throw away a tree.
        Fail(error, FileOpError::Step::Create, IsFolder(*existing) ? EISDIR : ENOTDIR, place.target);
        return Outcome::Skipped;
    }
    if (m_request.askConfirmation && !m_replaceAll) {
        switch (m_callbacks.AskReplace(source, place.target)) {
        case CollisionAnswer::Yes:
            break;
        case CollisionAnswer::YesToAll:
            m_replaceAll = true;
            break;
        case CollisionAnswer::No:
            return Outcome::Skipped;
        case CollisionAnswer::Cancel:
            m_cancelled = true;
            return Outcome::Cancelled;
        }
    }
    place.how = folders ? Placement::How::Merge : Placement::How::Replace;
    return Outcome::Done;
}

// A hidden name in folder for data on its way to its final name.
std::string Engine::TempName(const std::string& folder)
{
    char name[40];
    std::snprintf(name, sizeof name, ".bivora-%016llx.part", static_cast<unsigned long long>(m_random()));
    return PathJoin(folder, name);
}

Outcome Engine::CopyEntry(const std::string& source, const std::string& folder, std::string* madeName,
                          CopyTrack* track)
{
    FileStat st;
    Placement place;
    Outcome outcome = Persist([&](FileOpError& error) {
        const auto found = m_calls.Stat(source);
        if (!found) {
            Fail(error, FileOpError::Step::Read, found.Error(), source);
            return Outcome::Skipped;
        }
        st = *found;
        return Place(source, st, folder, LastComponent(source), place, error);
    });
    if (outcome == Outcome::Done)
        outcome = CopyPlaced(source, st, place, track);
    if (outcome == Outcome::Done && madeName)
        *madeName = LastComponent(place.target);
    return outcome;
}

Outcome Engine::CopyPlaced(const std::string& source, const FileStat& st, const Placement& place, CopyTrack* track)
{
    Report(source);
    if (IsFolder(st))
        return CopyFolder(source, st, place, track);
    Outcome outcome = Outcome::Skipped;
    if (IsRegular(st))
        outcome = Persist([&](FileOpError& error) { return CopyFile(source, place, error); });
    else if (IsLink(st))
        outcome = Persist([&](FileOpError& error) { return CopyLink(source, st, place, error); });
    else
        m_callbacks.Skipped(source, SpecialReason(st));
    ++m_progress.filesDone;
    if (outcome == Outcome::Done && track) {
        track->copied.push_back({source, place.target, false});
        if (place.how == Placement::How::New)
            track->made.emplace_back(place.target, false);
    }
    Report(source);
    return outcome;
}

Outcome Engine::CopyFolder(const std::string& source, const FileStat& st, const Placement& place, CopyTrack* track)
{
    const bool made = place.how == Placement::How::New;
    if (made) {
        // Owner rights while the contents arrive; the source's mode comes at the end.
        const Outcome outcome = Persist([&](FileOpError& error) {
            if (const auto done = m_calls.MakeFolder(place.target, S_IRWXU); !done)
                Fail(error, FileOpError::Step::Create, done.Error(), place.target);
            return Outcome::Done;
        });
        if (outcome != Outcome::Done)
            return outcome;
        if (track)
            track->made.emplace_back(place.target, true);
    }
    std::vector<std::string> names;
    Outcome outcome = Persist([&](FileOpError& error) {
        auto listed = m_calls.List(source);
        if (!listed)
            Fail(error, FileOpError::Step::Read, listed.Error(), source);
        else
            names = std::move(*listed);
        return Outcome::Done;
    });
    ++m_progress.filesDone;
    if (outcome == Outcome::Done) {
        for (const std::string& name : names) {
            if (CopyEntry(PathJoin(source, name), place.target, nullptr, track) == Outcome::Cancelled) {
                outcome = Outcome::Cancelled;
                break;
            }
        }
    }
    if (made) {
        // Times last: making the contents changed them.
        m_calls.SetModeAt(place.target, st.mode & 07777);
        const timespec times[2] = {st.accessed, st.modified};
        m_calls.SetTimesAt(place.target, times);
    }
    if (outcome == Outcome::Done && track)
        track->copied.push_back({source, place.target, true});
    return outcome;
}

// One regular file: the data goes to a temporary name beside the target and is renamed
// into place only when complete, with the source's mode and times. On any failure or a
// cancel the temporary file is removed, so a final name holds a whole file or nothing new.
Outcome Engine::CopyFile(const std::string& source, const Placement& place, FileOpError& error)
{
    // O_NONBLOCK: should the source have become a named pipe since it was examined, the
    // open does not wait for a writer (and the check below leaves it alone).
    const auto in = m_calls.Open(source, O_RDONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK);
    if (!in) {
        Fail(error, FileOpError::Step::Read, in.Error(), source);
        return Outcome::Skipped;
    }
    CallsFd input(m_calls, *in);
    const auto st = m_calls.StatFd(input.Get());
    if (!st) {
        Fail(error, FileOpError::Step::Read, st.Error(), source);
        return Outcome::Skipped;
    }
    if (!IsRegular(*st)) {
        m_callbacks.Skipped(source, SpecialReason(*st));
        return Outcome::Skipped;
    }
    const std::string folder(ParentFolder(place.target));
    std::string temp;
    SysResult<int> out = SysResult<int>::Failure(EEXIST);
    for (int tries = 0; tries < 16 && !out && out.Error() == EEXIST; ++tries) {
        temp = TempName(folder);
        out = m_calls.Open(temp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, S_IRUSR | S_IWUSR);
    }
    if (!out) {
        Fail(error, FileOpError::Step::Create, out.Error(), place.target);
        return Outcome::Skipped;
    }
    CallsFd output(m_calls, *out);
    std::uint64_t moved = 0;
    auto discard = [&](Outcome outcome) {
        if (output.Get() >= 0)
            output.Close();
        m_calls.Remove(temp, false);
        m_progress.bytesDone -= moved;
        return outcome;
    };
    const Outcome outcome = Transfer(input.Get(), output.Get(), st->size, source, place.target, moved, error);
    if (outcome != Outcome::Done || error.error != 0)
        return discard(outcome);
    // Mode and times are kept where the target's file system can hold them; one that
    // cannot (a FAT drive refusing a mode) does not make the data any less complete.
    m_calls.SetMode(output.Get(), st->mode & 07777);
    const timespec times[2] = {st->accessed, st->modified};
    m_calls.SetTimes(output.Get(), times);
    // A network file system reports a failed write-back only here.
    if (const auto closed = output.Close(); !closed) {
        Fail(error, FileOpError::Step::Write, closed.Error(), place.target);
        return discard(Outcome::Skipped);
    }
    if (const auto renamed = m_calls.Rename(temp, place.target, place.how == Placement::How::New); !renamed) {
        Fail(error, FileOpError::Step::Rename, renamed.Error(), place.target);
        return discard(Outcome::Skipped);
    }
    return Outcome::Done;
}

// Moves the data of in to out: a reflink where the file system offers one, else
// copy_file_range in blocks, else read and write. Polls the cancel between blocks.
Outcome Engine::Transfer(int in, int out, std::uint64_t size, const std::string& source, const std::string& target,
                         std::uint64_t& moved, FileOpError& error)
{
    if (size > 0 && m_calls.Clone(in, out)) {
        moved = size;
        m_progress.bytesDone += size;
        Report(source);
        return Outcome::Done;
    }
    auto failed = [&](int code) {
        Fail(error, IsWriteError(code) ? FileOpError::Step::Write : FileOpError::Step::Read, code,
             IsWriteError(code) ? target : source);
        return Outcome::Skipped;
    };
    bool useRange = true;
    for (;;) {
        if (Cancelled())
            return Outcome::Cancelled;
        std::size_t count = 0;
        if (useRange) {
            const auto copied = m_calls.CopyRange(in, out, kRangeBlock);
            if (!copied) {
                if (!RangeUnsupported(copied.Error()))
                    return failed(copied.Error());
                useRange = false;
                continue;
            }
            count = *copied;
        } else {
            if (!m_buffer)
                m_buffer = std::make_unique<char[]>(kBufferSize);
            const auto got = m_calls.Read(in, m_buffer.get(), kBufferSize);
            if (!got)
                return failed(got.Error());
            count = *got;
            for (std::size_t written = 0; written < count;) {
                const auto put = m_calls.Write(out, m_buffer.get() + written, count - written);
                if (!put)
                    return failed(put.Error());
                if (*put == 0)
                    return failed(EIO);
                written += *put;
            }
        }
        if (count == 0)
            return Outcome::Done;
        moved += count;
        m_progress.bytesDone += count;
        Report(source);
    }
}

Outcome Engine::CopyLink(const std::string& source, const FileStat& st, const Placement& place, FileOpError& error)
{
    const auto target = m_calls.ReadLink(source);
    if (!target) {
        Fail(error, FileOpError::Step::Read, target.Error(), source);
        return Outcome::Skipped;
    }
    // A replacement is made beside the target and renamed over it, so the old entry
    // stays until the new one is whole.
    const std::string made = place.how == Placement::How::New ? place.target : TempName(std::string(ParentFolder(place.target)));
    if (const auto linked = m_calls.MakeLink(*target, made); !linked) {
        Fail(error, FileOpError::Step::Link, linked.Error(), place.target);
        return Outcome::Skipped;
    }
    if (made != place.target) {
        if (const auto renamed = m_calls.Rename(made, place.target, false); !renamed) {
            m_calls.Remove(made, false);
            Fail(error, FileOpError::Step::Rename, renamed.Error(), place.target);
            return Outcome::Skipped;
        }
    }
    const timespec times[2] = {st.accessed, st.modified};
    m_calls.SetTimesAt(place.target, times);
    return Outcome::Done;
}

Outcome Engine::MoveEntry(const std::string& source, const std::string& folder, std::string* madeName)
{
    FileStat st;
    Placement place;
    bool across = false;
    Outcome outcome = Persist([&](FileOpError& error) {
        const auto found = m_calls.Stat(source);
        if (!found) {
            Fail(error, FileOpError::Step::Read, found.Error(), source);
            return Outcome::Skipped;
        }
        st = *found;
        return Place(source, st, folder, LastComponent(source), place, error);
    });
    if (outcome != Outcome::Done)
        return outcome;
    Report(source);
    if (place.how == Placement::How::Merge) {
        std::vector<std::string> names;
        outcome = Persist([&](FileOpError& error) {
            auto listed = m_calls.List(source);
            if (!listed)
                Fail(error, FileOpError::Step::Read, listed.Error(), source);
            else
                names = std::move(*listed);
            return Outcome::Done;
        });
        if (outcome != Outcome::Done)
            return outcome;
        for (const std::string& name : names) {
            if (MoveEntry(PathJoin(source, name), place.target, nullptr) == Outcome::Cancelled)
                return Outcome::Cancelled;
        }
        // What could not move (skipped, or declined) keeps its folder in place.
        m_calls.Remove(source, true);
    } else {
        outcome = Persist([&](FileOpError& error) {
            if (const auto renamed = m_calls.Rename(source, place.target, place.how == Placement::How::New); renamed)
                return Outcome::Done;
            else if (renamed.Error() == EXDEV)
                across = true;
            else
                Fail(error, FileOpError::Step::Rename, renamed.Error(), source);
            return Outcome::Done;
        });
        if (outcome == Outcome::Done && across)
            outcome = MoveAcross(source, st, place);
        else if (outcome == Outcome::Done)
            ++m_progress.filesDone;
    }
    if (outcome == Outcome::Done && madeName)
        *madeName = LastComponent(place.target);
    Report(source);
    return outcome;
}

// A move to another file system: copy, check every copied file is whole, and only then
// remove the sources. Until the removal starts, a cancel or a failure takes away what the
// copy created, so the move changes nothing (a replaced target stays replaced).
Outcome Engine::MoveAcross(const std::string& source, const FileStat& st, const Placement& place)
{
    if (!m_scannedDeep) {
        // Found to cross only now (a bind mount of one file system): its totals join.
        m_scannedDeep = true;
        Scan(source, true);
    }
    CopyTrack track;
    Outcome outcome = CopyPlaced(source, st, place, &track);
    if (outcome == Outcome::Done && !Cancelled()) {
        outcome = Persist([&](FileOpError& error) {
            for (const CopyTrack::Pair& pair : track.copied) {
                const auto from = m_calls.Stat(pair.source);
                const auto to = m_calls.Stat(pair.target);
                if (!from || !to || (from->mode & S_IFMT) != (to->mode & S_IFMT) ||
                    (IsRegular(*from) && from->size != to->size)) {
                    Fail(error, FileOpError::Step::Other, !from ? from.Error() : EIO, pair.target);
                    break;
                }
            }
            return Outcome::Done;
        });
    }
    if (outcome != Outcome::Done || Cancelled()) {
        Rollback(track);
        return Cancelled() ? Outcome::Cancelled : outcome;
    }
    for (const CopyTrack::Pair& pair : track.copied) {
        outcome = Persist([&](FileOpError& error) {
            const auto removed = m_calls.Remove(pair.source, pair.folder);
            // A folder that still holds what was not copied (a named pipe, a skipped
            // file) stays where it is, with that.
            if (!removed && removed.Error() != ENOENT && !(pair.folder && removed.Error() == ENOTEMPTY))
                Fail(error, FileOpError::Step::Remove, removed.Error(), pair.source);
            return Outcome::Done;
        });
        if (outcome == Outcome::Cancelled)
            return outcome;
    }
    return Outcome::Done;
}

void Engine::Rollback(const CopyTrack& track)
{
    for (auto it = track.made.rbegin(); it != track.made.rend(); ++it)
        m_calls.Remove(it->first, it->second);
}

Outcome Engine::LinkEntry(const std::string& source, std::string* madeName)
{
    Placement place;
    Outcome outcome = Persist([&](FileOpError& error) {
        // The link is judged as what it is, a link, whatever it points at; it is the
        // same entry as the source only when it is the source.
        FileStat st;
        if (const auto found = m_calls.Stat(source))
            st = *found;
        st.mode = S_IFLNK;
        return Place(source, st, m_request.targetFolder, LastComponent(source), place, error);
    });
    if (outcome != Outcome::Done)
        return outcome;
    Report(source);
    outcome = Persist([&](FileOpError& error) {
        const std::string made =
            place.how == Placement::How::New ? place.target : TempName(m_request.targetFolder);
        if (const auto linked = m_calls.MakeLink(source, made); !linked)
            Fail(error, FileOpError::Step::Link, linked.Error(), place.target);
        else if (made != place.target) {
            if (const auto renamed = m_calls.Rename(made, place.target, false); !renamed) {
                m_calls.Remove(made, false);
                Fail(error, FileOpError::Step::Rename, renamed.Error(), place.target);
            }
        }
        return Outcome::Done;
    });
    ++m_progress.filesDone;
    if (outcome == Outcome::Done && madeName)
        *madeName = LastComponent(place.target);
    return outcome;
}

// Removes path and, when it is a folder (never a link to one), everything in it.
Outcome Engine::DeleteEntry(const std::string& path)
{
    Report(path);
    const auto st = m_calls.Stat(path);
    if (!st && st.Error() == ENOENT)
        return Outcome::Done;
    const bool folder = st && IsFolder(*st);
    if (folder) {
        std::vector<std::string> names;
        Outcome outcome = Persist([&](FileOpError& error) {
            auto listed = m_calls.List(path);
            if (!listed)
                Fail(error, FileOpError::Step::Read, listed.Error(), path);
            else
                names = std::move(*listed);
            return Outcome::Done;
        });
        if (outcome != Outcome::Done)
            return outcome;
        bool emptied = true;
        for (const std::string& name : names) {
            const Outcome child = DeleteEntry(PathJoin(path, name));
            if (child == Outcome::Cancelled)
                return child;
            emptied = emptied && child == Outcome::Done;
        }
        // What the user chose to skip keeps its folder, without a second question.
        if (!emptied)
            return Outcome::Skipped;
    }
    const Outcome outcome = Persist([&](FileOpError& error) {
        if (const auto removed = m_calls.Remove(path, folder); !removed && removed.Error() != ENOENT)
            Fail(error, FileOpError::Step::Remove, removed.Error(), path);
        return Outcome::Done;
    });
    ++m_progress.filesDone;
    return outcome;
}

Outcome Engine::TrashEntry(const std::string& path)
{
    Report(path);
    for (;;) {
        if (Cancelled())
            return Outcome::Cancelled;
        const TrashOutcome trashed = PutInTrash(path, m_env);
        switch (trashed.kind) {
        case TrashOutcome::Kind::Trashed:
            ++m_progress.filesDone;
            return Outcome::Done;
        case TrashOutcome::Kind::NoTrash:
            // Never deleted for good without the user's word.
            if (!m_callbacks.AskDeletePermanently(path))
                return Outcome::Skipped;
            return DeleteEntry(path);
        case TrashOutcome::Kind::Failed:
            switch (m_callbacks.AskError({FileOpError::Step::Trash, trashed.error, path})) {
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
}

FileOpResult Engine::Run()
{
    FileOpResult result;
    const FileOpKind kind = m_request.kind;
    const bool intoFolder = kind == FileOpKind::Copy || kind == FileOpKind::Move || kind == FileOpKind::Link;
    if (intoFolder) {
        const Outcome outcome = Persist([&](FileOpError& error) {
            const auto st = m_calls.Stat(m_request.targetFolder, true);
            if (!st)
                Fail(error, FileOpError::Step::Other, st.Error(), m_request.targetFolder);
            else if (!IsFolder(*st))
                Fail(error, FileOpError::Step::Other, ENOTDIR, m_request.targetFolder);
            else
                m_targetFolder = *st;
            return Outcome::Done;
        });
        if (outcome != Outcome::Done) {
            result.cancelled = m_cancelled;
            result.itemsSkipped = m_request.sources.size();
            return result;
        }
    }

    // The totals first; a move within one file system is one rename per item.
    for (const std::string& source : m_request.sources) {
        bool recurse = kind == FileOpKind::Copy || kind == FileOpKind::Delete;
        if (kind == FileOpKind::Move) {
            const auto st = m_calls.Stat(source);
            recurse = st && st->device != m_targetFolder.device;
        }
        Scan(source, recurse);
    }
    Report({});

    for (const std::string& source : m_request.sources) {
        if (Cancelled())
            break;
        const std::string_view name = LastComponent(source);
        if (source.empty() || source.front() != '/' || name == "/" || name == "." || name == "..") {
            m_callbacks.Skipped(source, "not the absolute path of an item");
            ++result.itemsSkipped;
            continue;
        }
        std::string made;
        Outcome outcome = Outcome::Skipped;
        const auto st = m_calls.Stat(source);
        m_scannedDeep = kind != FileOpKind::Move || (st && st->device != m_targetFolder.device);
        if (kind == FileOpKind::Copy || kind == FileOpKind::Move) {
            const auto parent = m_calls.Stat(std::string(ParentFolder(source)), true);
            if (kind == FileOpKind::Move && parent && SameEntry(*parent, m_targetFolder)) {
                m_callbacks.Skipped(source, "the item is already in the target folder");
                ++result.itemsSkipped;
                continue;
            }
            if (st && IsFolder(*st) && IsInside(m_request.targetFolder, *st)) {
                m_callbacks.Skipped(source, "a folder cannot go into itself or a folder below it");
                ++result.itemsSkipped;
                continue;
            }
        }
        switch (kind) {
        case FileOpKind::Copy:
            outcome = CopyEntry(source, m_request.targetFolder, &made, nullptr);
            break;
        case FileOpKind::Move:
            outcome = MoveEntry(source, m_request.targetFolder, &made);
            break;
        case FileOpKind::Link:
            outcome = LinkEntry(source, &made);
            break;
        case FileOpKind::Delete:
            outcome = DeleteEntry(source);
            made = name;
            break;
        case FileOpKind::Trash:
            outcome = TrashEntry(source);
            made = name;
            break;
        }
        if (outcome == Outcome::Done) {
            ++result.itemsDone;
            result.names.push_back(made);
        } else {
            ++result.itemsSkipped;
        }
    }
    result.cancelled = Cancelled();
    return result;
}

} // namespace

FileOpResult RunFileOperation(const FileOpRequest& request, FileOpCallbacks& callbacks, FileSystemCalls& calls,
                              const Environment& env, const std::atomic<bool>* cancel)
{
    return Engine(request, callbacks, calls, env, cancel).Run();
}

} // namespace bivora
