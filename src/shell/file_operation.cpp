// Copying: placing each entry, folders entry by entry, files through a temporary name.
#include "shell/file_op_engine.h"

#include "base/copy_name.h"
#include "base/path_text.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>

namespace bivora::file_op {

Outcome Engine::ListFolder(const std::string& path, std::vector<std::string>& names)
{
    return Persist([&](FileOpError& error) {
        auto listed = m_calls.List(path);
        if (!listed)
            Fail(error, FileOpError::Step::Read, listed.Error(), path);
        else
            names = std::move(*listed);
        return Outcome::Done;
    });
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
                          CopyTrack* track, bool fresh)
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
        if (fresh) {
            place = {Placement::How::New, PathJoin(folder, LastComponent(source))};
            return Outcome::Done;
        }
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
    Outcome outcome = ListFolder(source, names);
    ++m_progress.filesDone;
    if (outcome == Outcome::Done) {
        for (const std::string& name : names) {
            if (CopyEntry(PathJoin(source, name), place.target, nullptr, track, made) == Outcome::Cancelled) {
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

} // namespace bivora::file_op
