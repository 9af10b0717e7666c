// Moving, linking, deleting and trashing, and the run over the sources.
#include "shell/file_op_engine.h"

#include "shell/trash.h"

#include "base/copy_name.h"
#include "base/path_text.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>

namespace bivora::file_op {

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
        outcome = ListFolder(source, names);
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
        Outcome outcome = ListFolder(path, names);
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

} // namespace bivora::file_op

namespace bivora {

FileOpResult RunFileOperation(const FileOpRequest& request, FileOpCallbacks& callbacks, FileSystemCalls& calls,
                              const Environment& env, const std::atomic<bool>* cancel)
{
    return file_op::Engine(request, callbacks, calls, env, cancel).Run();
}

} // namespace bivora
