#include "shell/find_files.h"

#include "base/pattern_list.h"
#include "shell/directory_reader.h"
#include "shell/file_contains_text.h"
#include "shell/path_resolver.h"
#include "shell/shell_namespace.h"
#include "shell/unique_fd.h"
#include "shell/working_directory.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace bivora {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFolderOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;

// Descriptors kept open along the branch being searched. A folder further up gives its
// descriptor back and is opened again through ".." of its child when the search returns
// to it, so a tree of any depth needs only this many.
constexpr std::size_t kOpenLevels = 32;

// The owner hears of matches and of the folder being read at most this often.
constexpr Clock::duration kReportInterval = std::chrono::milliseconds(33);

// Entries tested between two looks at the clock while nothing else asks for one.
constexpr unsigned kEntriesPerClockCheck = 64;

bool IsDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Seconds since the epoch of a time in nanoseconds, rounded down, so that a file written
// at 23:59:59.7 still lies within a window that ends at 23:59:59.
std::int64_t FloorSeconds(FileTime time)
{
    std::int64_t seconds = time / 1'000'000'000;
    if (time % 1'000'000'000 < 0)
        --seconds;
    return seconds;
}

FileTime TimeOfKind(const FindData& find, DateKind kind)
{
    switch (kind) {
    case DateKind::kCreated:
        return find.created;
    case DateKind::kAccessed:
        return find.accessed;
    case DateKind::kModified:
        break;
    }
    return find.modified;
}

class Search {
public:
    Search(const FindCriteria& criteria, const std::atomic<bool>& stop, const FindSink& sink)
        : m_criteria(criteria), m_stop(stop), m_sink(sink)
    {
        m_names.Parse(criteria.namePatterns);
        // a lone "*" asks for every name, as an empty list does
        if (m_names.Count() == 1 && !m_names.Pattern(0).exclusion && m_names.Pattern(0).text == "*")
            m_names.Clear();
        if (criteria.useText)
            m_searcher.emplace(criteria.searchText,
                               TextSearchOptions{criteria.matchCase, criteria.wordsOnly, criteria.searchBinFiles});
        m_buffer.resize(std::size_t{1} << 16);
    }

    bool Stopped()
    {
        if (!m_outcome.stopped && m_stop.load(std::memory_order_relaxed))
            m_outcome.stopped = true;
        return m_outcome.stopped;
    }

    // Searches below the folder at path (a full path); the folder itself is not tested.
    void ScanFolder(const std::string& path)
    {
        m_path = path;
        while (m_path.size() > 1 && m_path.back() == '/')
            m_path.pop_back();
        // the look-in folder is taken as resolved, links and all; nothing below it is followed
        if (!Enter(::open(m_path.c_str(), kFolderOpenFlags & ~O_NOFOLLOW)))
            return;
        while (!m_stack.empty() && !Stopped()) {
            Frame& top = m_stack.back();
            if (top.next == top.entries.size()) {
                Leave();
                continue;
            }
            const Listed& listed = top.entries[top.next++];
            const char* name = top.names.data() + listed.offset;
            const bool descend = TestEntry(top, name, listed.length, listed.type);
            if (Stopped())
                break;
            if (descend) {
                if (m_path.back() != '/')
                    m_path.push_back('/');
                m_path.append(name, listed.length);
                Enter(::openat(top.fd.Get(), name, kFolderOpenFlags));
            }
        }
        m_stack.clear();
        m_branch.clear();
    }

    // Hands over what is waiting: the batch when it is time (or when told to), and the
    // folder being read.
    void Report(bool final)
    {
        const Clock::time_point now = Clock::now();
        if (!m_batch.empty() && (final || now - m_lastBatch >= kReportInterval)) {
            m_lastBatch = now;
            if (m_sink.matches)
                m_sink.matches(std::move(m_batch));
            m_batch.clear();
        }
        if (m_scanningDue && !final && now - m_lastScanning >= kReportInterval) {
            m_lastScanning = now;
            m_scanningDue = false;
            if (m_sink.scanning)
                m_sink.scanning(m_path);
        }
    }

    FindOutcome Outcome() const { return m_outcome; }

private:
    struct Listed {
        std::uint32_t offset; // of the name in Frame::names, where a NUL ends it
        std::uint32_t length;
        unsigned char type;   // d_type: DT_UNKNOWN when the file system does not tell
    };

    struct Frame {
        UniqueFd fd;
        dev_t device = 0;
        ino_t inode = 0;
        std::string names;
        std::vector<Listed> entries; // in the order the folder listed them
        std::size_t next = 0;
        std::size_t pathLength = 0; // m_path's length while the search is in this folder
    };

    // Tests one entry of the folder on top of the stack; true when the search is to go into it.
    bool TestEntry(Frame& frame, const char* name, std::size_t length, unsigned char type)
    {
        if (++m_sinceClockCheck >= kEntriesPerClockCheck) {
            m_sinceClockCheck = 0;
            Report(false);
        }
        const std::string_view nameView(name, length);
        const bool recurse = m_criteria.includeSubfolders;
        FindData find;
        if (!m_names.Match(nameView)) {
            if (!recurse || (type != DT_DIR && type != DT_UNKNOWN))
                return false;
            if (type == DT_DIR)
                return true;
            // the listing does not say what it is: only the entry itself can
            return StatEntryAt(frame.fd.Get(), name, find, LinkData::Own) && find.isDirectory && !find.isLink;
        }
        // name first; the file system is asked only about entries that get this far
        if (!StatEntryAt(frame.fd.Get(), name, find))
            return false; // gone since the listing, or not to be examined
        const bool folder = find.isDirectory && !find.isLink;
        if (Passes(frame, nameView, find)) {
            find.name.assign(nameView);
            m_batch.push_back(FindMatch{m_path, std::move(find)});
            ++m_outcome.matches;
            Report(false);
        }
        return recurse && folder;
    }

    bool Passes(Frame& frame, std::string_view name, const FindData& find)
    {
        if (m_criteria.useDate) {
            const std::int64_t seconds = FloorSeconds(TimeOfKind(find, m_criteria.dateKind));
            if (seconds < m_criteria.fromSeconds || seconds > m_criteria.untilSeconds)
                return false;
        }
        if (find.isDirectory) // a folder, or a link to one: it has neither a size nor a text
            return !m_criteria.useSize && !m_criteria.useText;
        if (m_criteria.useSize && (find.size < m_criteria.minSize || find.size > m_criteria.maxSize))
            return false;
        if (!m_searcher)
            return true;
        // a long text search leaves the owner without news for a while: hand over first
        Report(false);
        const TextSearchResult result = m_searcher->Search(FilePath(frame, name), &m_stop);
        if (result == TextSearchResult::Stopped)
            m_outcome.stopped = true;
        return result == TextSearchResult::Found;
    }

    // A path the text search can open: the full one, or one through the folder's
    // descriptor when the full one is too long for the system.
    std::string FilePath(const Frame& frame, std::string_view name) const
    {
        std::string path;
        if (m_path.size() + 1 + name.size() < PATH_MAX) {
            path = m_path;
            if (path.back() != '/')
                path.push_back('/');
        } else {
            path = "/proc/self/fd/" + std::to_string(frame.fd.Get()) + "/";
        }
        path.append(name);
        return path;
    }

    // Takes the descriptor of the folder at m_path, lists it and makes it the current one.
    bool Enter(int fd)
    {
        UniqueFd folder(fd);
        struct stat st {};
        if (!folder.Valid() || ::fstat(folder.Get(), &st) != 0) {
            // a folder that vanished or became something else since its listing is quietly gone
            if (errno != ENOENT && errno != ENOTDIR && errno != ELOOP)
                ++m_outcome.foldersUnreadable;
            Back();
            return false;
        }
        // a folder mounted inside itself would lead the search round for ever
        if (!m_branch.emplace(st.st_dev, st.st_ino).second) {
            Back();
            return false;
        }
        Frame frame;
        frame.fd = std::move(folder);
        frame.device = st.st_dev;
        frame.inode = st.st_ino;
        frame.pathLength = m_path.size();
        if (!List(frame)) {
            // ENOENT: the folder was removed while it was listed
            if (errno != ENOENT)
                ++m_outcome.foldersUnreadable;
            m_branch.erase({st.st_dev, st.st_ino});
            Back();
            return false;
        }
        ++m_outcome.foldersRead;
        m_scanningDue = true;
        Report(false);
        m_stack.push_back(std::move(frame));
        if (m_stack.size() > kOpenLevels)
            m_stack[m_stack.size() - 1 - kOpenLevels].fd.Reset();
        return true;
    }

    // Reads the folder's whole listing into the frame; false (errno set) when it breaks off.
    bool List(Frame& frame)
    {
        for (;;) {
            const long got = ::syscall(SYS_getdents64, frame.fd.Get(), m_buffer.data(), m_buffer.size());
            if (got < 0)
                return false;
            if (got == 0)
                return true;
            for (long at = 0; at < got;) {
                const auto* entry = reinterpret_cast<const struct dirent64*>(m_buffer.data() + at);
                at += entry->d_reclen;
                const char* name = entry->d_name;
                if (IsDotOrDotDot(name))
                    continue;
                const std::size_t length = std::strlen(name);
                frame.entries.push_back(Listed{static_cast<std::uint32_t>(frame.names.size()),
                                               static_cast<std::uint32_t>(length), entry->d_type});
                frame.names.append(name, length + 1);
            }
        }
    }

    // Returns to the parent folder, opening it again through ".." when its descriptor
    // was given back; if it is no longer the same folder (moved while the search was
    // below it), the rest of it cannot be reached and counts as unreadable.
    void Leave()
    {
        Frame child = std::move(m_stack.back());
        m_stack.pop_back();
        m_branch.erase({child.device, child.inode});
        if (m_stack.empty())
            return;
        Frame& parent = m_stack.back();
        Back();
        if (parent.fd.Valid())
            return;
        UniqueFd fd(::openat(child.fd.Get(), "..", kFolderOpenFlags));
        const int error = fd.Valid() ? 0 : errno;
        struct stat st {};
        if (fd.Valid() && ::fstat(fd.Get(), &st) == 0 && st.st_dev == parent.device && st.st_ino == parent.inode) {
            parent.fd = std::move(fd);
            return;
        }
        if (parent.next < parent.entries.size() && error != ENOENT)
            ++m_outcome.foldersUnreadable;
        parent.next = parent.entries.size();
    }

    // m_path back to the current folder's.
    void Back()
    {
        if (!m_stack.empty())
            m_path.resize(m_stack.back().pathLength);
    }

    const FindCriteria& m_criteria;
    const std::atomic<bool>& m_stop;
    const FindSink& m_sink;
    PatternList m_names;
    std::optional<TextSearcher> m_searcher;
    FindOutcome m_outcome;
    std::vector<Frame> m_stack;
    std::set<std::pair<dev_t, ino_t>> m_branch; // the folders on the stack
    std::string m_path; // the current folder's path
    std::vector<char> m_buffer; // for the listings
    std::vector<FindMatch> m_batch;
    Clock::time_point m_lastBatch = Clock::now();
    Clock::time_point m_lastScanning{};
    bool m_scanningDue = false;
    unsigned m_sinceClockCheck = 0;
};

} // namespace

FindOutcome SearchFiles(const FindCriteria& criteria, const ShellNamespace& ns, const std::atomic<bool>& stop,
                        const FindSink& sink)
{
    Search search(criteria, stop, sink);
    PatternList folders;
    folders.Parse(criteria.lookIn);
    const std::string current = CurrentDirectory().ValueOr({});
    for (std::size_t i = 0; i < folders.Count() && !search.Stopped(); ++i) {
        const ResolvedPath resolved = ResolvePath(ns, folders.Pattern(i).text, current, {});
        if (!(resolved.flags & resolve::kFolder) || !resolved.id)
            continue; // gone, a file or a pattern
        const std::optional<std::string> path = ns.FileSystemPath(*resolved.id);
        if (path && !path->empty())
            search.ScanFolder(*path);
    }
    search.Report(true);
    return search.Outcome();
}

} // namespace bivora
