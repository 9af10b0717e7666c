#include "shell/folder_walker.h"

#include "shell/directory_reader.h"
#include "shell/unique_fd.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace bivora {

namespace {

constexpr std::uint32_t kEverything = enumflags::kPane | enumflags::kIncludeHidden;
constexpr int kOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;

// Descriptors kept open along the branch being walked. A folder deeper than this below
// the current one gives its descriptor back and is opened again through ".." of its
// child when the walk returns to it, so a tree of any depth needs only this many.
constexpr std::size_t kOpenLevels = 32;

bool IsFolder(const FindData& find)
{
    return find.isDirectory && !find.isLink;
}

// The path without its last component, for showing where a starting item lies.
std::string_view FolderOf(std::string_view path)
{
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return {};
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

class Walker {
public:
    Walker(const std::atomic<bool>* stop, const WalkVisitor& visitor) : m_stop(stop), m_visitor(visitor) {}

    bool Stopped()
    {
        if (m_stop && m_stop->load(std::memory_order_relaxed))
            m_result.stopped = true;
        return m_result.stopped;
    }

    void WalkFolder(const std::string& path)
    {
        m_path = path;
        while (m_path.size() > 1 && m_path.back() == '/')
            m_path.pop_back();
        if (!Enter(::open(m_path.c_str(), kOpenFlags)))
            return;
        while (!m_stack.empty() && !Stopped()) {
            Frame& top = m_stack.back();
            if (top.next == top.subfolders.size()) {
                Leave();
                continue;
            }
            const std::string& name = top.subfolders[top.next++];
            if (m_path.back() != '/')
                m_path.push_back('/');
            m_path += name;
            Enter(::openat(top.fd.Get(), name.c_str(), kOpenFlags));
        }
        m_stack.clear();
    }

    WalkResult Result() const { return m_result; }

private:
    struct Frame {
        UniqueFd fd;
        dev_t device = 0;
        ino_t inode = 0;
        std::vector<std::string> subfolders; // found by the listing, entered one by one
        std::size_t next = 0;
        std::size_t pathLength = 0; // m_path's length while the walk is in this folder
    };

    // Takes the descriptor of the folder at m_path, lists it and makes it the current one.
    bool Enter(int fd)
    {
        struct stat st {};
        if (fd < 0 || ::fstat(fd, &st) != 0) {
            const int error = errno;
            if (fd >= 0)
                ::close(fd);
            // a folder that vanished or became something else since its listing is quietly gone
            if (error != ENOENT && error != ENOTDIR && error != ELOOP)
                Unreadable(error);
            Back();
            return false;
        }
        Frame frame;
        frame.fd.Reset(fd);
        frame.device = st.st_dev;
        frame.inode = st.st_ino;
        frame.pathLength = m_path.size();
        m_stack.push_back(std::move(frame));
        if (m_stack.size() > kOpenLevels)
            m_stack[m_stack.size() - 1 - kOpenLevels].fd.Reset();
        List(m_stack.back());
        return true;
    }

    // Lists one folder: reports its entries and keeps its subfolders for later.
    void List(Frame& frame)
    {
        const std::size_t depth = m_stack.size();
        const DirectoryReadResult read = ReadOpenDirectory(
            frame.fd.Get(), kEverything, m_stop,
            [&](FindData&& find) {
                const WalkEntry entry{find, m_path, depth};
                if (m_visitor.entry)
                    m_visitor.entry(entry);
                if (IsFolder(find) && (!m_visitor.descend || m_visitor.descend(entry)))
                    frame.subfolders.push_back(std::move(find.name));
            },
            LinkData::Own);
        if (read.cancelled)
            m_result.stopped = true;
        else if (!read.opened)
            Unreadable(read.error);
        else if (m_visitor.folderDone)
            m_visitor.folderDone(m_path);
    }

    // Returns to the parent folder, opening it again through ".." when its descriptor
    // was given back; if it is no longer there (moved while the walk was below it),
    // the rest of it cannot be found and counts as unreadable.
    void Leave()
    {
        Frame child = std::move(m_stack.back());
        m_stack.pop_back();
        if (m_stack.empty())
            return;
        Frame& parent = m_stack.back();
        Back();
        if (parent.fd.Valid())
            return;
        int error = ESTALE;
        UniqueFd fd;
        if (child.fd.Valid()) {
            fd.Reset(::openat(child.fd.Get(), "..", kOpenFlags));
            if (!fd.Valid())
                error = errno;
        }
        struct stat st {};
        if (fd.Valid() && ::fstat(fd.Get(), &st) == 0 && st.st_dev == parent.device && st.st_ino == parent.inode) {
            parent.fd = std::move(fd);
            return;
        }
        if (parent.next < parent.subfolders.size())
            Unreadable(error);
        parent.next = parent.subfolders.size();
    }

    // m_path back to the current folder's.
    void Back()
    {
        if (!m_stack.empty())
            m_path.resize(m_stack.back().pathLength);
    }

    void Unreadable(int error)
    {
        ++m_result.unreadable;
        if (m_visitor.unreadable)
            m_visitor.unreadable(m_path, error);
    }

    const std::atomic<bool>* m_stop;
    const WalkVisitor& m_visitor;
    WalkResult m_result;
    std::vector<Frame> m_stack;
    std::string m_path; // the current folder's path, kept for the visitor only
};

} // namespace

WalkResult WalkItems(const std::vector<std::string>& paths, const std::atomic<bool>* stop,
                     const WalkVisitor& visitor)
{
    Walker walker(stop, visitor);
    for (const std::string& path : paths) {
        if (walker.Stopped())
            break;
        FindData find;
        if (!StatEntry(path, find, LinkData::Own))
            continue; // vanished since it was chosen
        if (visitor.entry)
            visitor.entry(WalkEntry{find, FolderOf(path), 0});
        if (IsFolder(find))
            walker.WalkFolder(path);
    }
    return walker.Result();
}

FolderTotal SumItems(const std::vector<std::string>& paths, const std::atomic<bool>& stop,
                     const std::function<void(const FolderTotal&)>& progress)
{
    FolderTotal total;
    WalkVisitor visitor;
    visitor.entry = [&](const WalkEntry& entry) {
        if (IsFolder(entry.find)) {
            ++total.folders;
        } else {
            ++total.files;
            total.bytes += entry.find.size;
        }
    };
    if (progress)
        visitor.folderDone = [&](std::string_view) { progress(total); };
    visitor.unreadable = [&](std::string_view, int) { ++total.unreadable; };
    const WalkResult result = WalkItems(paths, &stop, visitor);
    total.stopped = result.stopped;
    return total;
}

} // namespace bivora
