#include "shell/folder_stats.h"

#include "shell/folder_walker.h"
#include "shell/shell_types.h"

#include <set>
#include <string_view>
#include <utility>

namespace bivora {

namespace {

// Builds the node tree from the walk's events. The walk lists a folder whole, then goes
// into its subfolders in the order they were listed, so the folder an event names is
// the current one, or a child of it or of one of its ancestors.
class StatsBuilder {
public:
    explicit StatsBuilder(FolderStats& stats) : m_stats(stats) {}

    // walked is the path the walk goes by, name the one shown
    void Start(const FindData& find, const std::string& walked, const std::string& name)
    {
        m_device = find.device;
        FolderStatNode& root = m_stats.nodes.emplace_back();
        root.name = name;
        m_branchPath = walked;
        while (m_branchPath.size() > 1 && m_branchPath.back() == '/')
            m_branchPath.pop_back();
        m_branch.push_back({&root, m_branchPath.size(), 0});
    }

    void File(const WalkEntry& entry)
    {
        const FindData& find = entry.find;
        if (find.links > 1 && !find.isDirectory && !m_linked.emplace(find.device, find.inode).second)
            return; // another name of a file already counted
        FolderStatNode* node = NodeOf(entry.folder);
        if (!node)
            return;
        ++node->ownFiles;
        node->ownBytes += find.size;
    }

    bool Folder(const WalkEntry& entry)
    {
        if (entry.find.device != m_device) {
            ++m_stats.otherFileSystems;
            return false;
        }
        FolderStatNode* parent = NodeOf(entry.folder);
        if (!parent)
            return false;
        FolderStatNode& child = m_stats.nodes.emplace_back();
        child.name = entry.find.name;
        child.parent = parent;
        parent->children.push_back(&child);
        return true;
    }

    void Unreadable(std::string_view folder)
    {
        ++m_stats.inaccessible;
        if (FolderStatNode* node = NodeOf(folder))
            node->accessible = false;
    }

private:
    struct Level {
        FolderStatNode* node;
        std::size_t length;    // of the node's path
        std::size_t nextChild; // the walk enters the children in order
    };

    // Whether path names something below the branch's last folder.
    bool Below(std::string_view path) const
    {
        const std::size_t length = m_branch.back().length;
        if (path.size() <= length || path.compare(0, length, m_branchPath, 0, length) != 0)
            return false;
        return m_branchPath[length - 1] == '/' || path[length] == '/';
    }

    // The node of the folder at path, making the branch end there.
    FolderStatNode* NodeOf(std::string_view path)
    {
        if (path == m_branchPath)
            return m_branch.back().node;
        while (m_branch.size() > 1 && !Below(path)) {
            m_branch.pop_back();
            m_branchPath.resize(m_branch.back().length);
        }
        if (!Below(path))
            return nullptr;
        Level& level = m_branch.back();
        std::string_view name = path.substr(level.length);
        if (name.front() == '/')
            name.remove_prefix(1);
        if (name.empty() || name.find('/') != std::string_view::npos)
            return nullptr;
        auto& children = level.node->children;
        for (std::size_t i = level.nextChild; i < children.size(); ++i) {
            if (children[i]->name == name) {
                level.nextChild = i + 1;
                m_branch.push_back({children[i], path.size(), 0});
                m_branchPath.assign(path);
                return children[i];
            }
        }
        return nullptr;
    }

    FolderStats& m_stats;
    std::uint64_t m_device = 0;
    std::set<std::pair<std::uint64_t, std::uint64_t>> m_linked;
    std::vector<Level> m_branch;
    std::string m_branchPath; // the path of the branch's last node
};

} // namespace

FolderStats ReadFolderStats(const std::string& folder, const std::atomic<bool>& stop)
{
    FolderStats stats;
    StatsBuilder builder(stats);
    // through "." so that a start folder reached by a link is read, while no link below it is
    std::string walked = folder;
    if (walked.empty() || walked.back() != '/')
        walked.push_back('/');
    walked.push_back('.');
    bool started = false;
    WalkVisitor visitor;
    visitor.entry = [&](const WalkEntry& entry) {
        if (entry.depth == 0) {
            if (entry.find.isDirectory && !entry.find.isLink) {
                builder.Start(entry.find, walked, folder);
                started = true;
            }
        } else if (!entry.find.isDirectory || entry.find.isLink) {
            builder.File(entry);
        }
    };
    visitor.descend = [&](const WalkEntry& entry) { return builder.Folder(entry); };
    visitor.unreadable = [&](std::string_view path, int) { builder.Unreadable(path); };
    const WalkResult walk = WalkItems({walked}, &stop, visitor);
    stats.stopped = walk.stopped;
    if (!started || !stats.nodes.front().accessible) {
        stats.failed = !stats.stopped;
        return stats;
    }
    // children come after their parents, so one pass from the end adds every level up
    for (auto it = stats.nodes.rbegin(); it != stats.nodes.rend(); ++it) {
        FolderStatNode& node = *it;
        node.ownKb = (node.ownBytes + 512) / 1024;
        if (FolderStatNode* parent = node.parent) {
            parent->subtreeFolders += node.TotalFolders();
            parent->subtreeKb += node.TotalKb();
            parent->subtreeFiles += node.TotalFiles();
        }
    }
    return stats;
}

std::string FolderStatPath(const FolderStatNode& node)
{
    std::vector<const FolderStatNode*> chain;
    for (const FolderStatNode* at = &node; at; at = at->parent)
        chain.push_back(at);
    std::string path = chain.back()->name;
    for (auto it = chain.rbegin() + 1; it != chain.rend(); ++it) {
        if (path.empty() || path.back() != '/')
            path.push_back('/');
        path += (*it)->name;
    }
    return path;
}

} // namespace bivora
