// The folder tree's model: nodes read on workers when expanded, freed when collapsed.
#include "ui/tree/folder_tree_model.h"

#include "base/row_order.h"
#include "shell/directory_reader.h"
#include "shell/folder_watcher.h"
#include "shell/shell_folder.h"
#include "shell/shell_item.h"
#include "shell/shell_namespace.h"
#include "ui/commands/byte_text.h"
#include "ui/platform/icon_cache.h"
#include "ui/platform/worker_queue.h"

#include <QApplication>
#include <QFont>
#include <QPalette>
#include <QPointer>
#include <QStyle>

#include <algorithm>
#include <unordered_set>

namespace bivora {

namespace {

using Identity = std::pair<std::uint64_t, std::uint64_t>; // device, inode

std::optional<Identity> IdentityOf(const std::string& path)
{
    FindData find;
    if (path.empty() || !StatEntry(path, find))
        return std::nullopt;
    return Identity{find.device, find.inode};
}

// The tree's order: the namespace's own items (Computer, Home, ...) in their order
// first, then directory entries alphabetically by what they show.
bool ShownBefore(const ShellItem* a, const ShellItem* b)
{
    const bool entryA = a->Id().kind == ItemId::Kind::Entry;
    const bool entryB = b->Id().kind == ItemId::Kind::Entry;
    if (entryA != entryB)
        return !entryA;
    if (!entryA)
        return false; // stable: kept in the namespace's order
    return CompareNames(a->DisplayName(), b->DisplayName()) < 0;
}

std::shared_ptr<const ShellNamespace> Shared(const ShellNamespace& ns)
{
    if (auto owned = ns.weak_from_this().lock())
        return owned;
    // a namespace owned otherwise outlives the model and, by its owner's word, the jobs
    return std::shared_ptr<const ShellNamespace>(&ns, [](const ShellNamespace*) {});
}

} // namespace

struct FolderTreeModel::Node {
    Node* parent = nullptr;
    int row = 0;
    std::uint64_t serial = 0;
    ShellItem* item = nullptr; // owned by the parent's folder; null for the Desktop and the top
    std::unique_ptr<ShellFolder> folder;
    std::vector<std::unique_ptr<Node>> children;
    NodeState state = NodeState::Collapsed;
    enum class Sub : std::uint8_t { Unknown, Yes, No } sub = Sub::Unknown;
    bool asked = false; // whether it has sub-folders is being found out
    std::optional<Identity> identity; // of the directory it shows (a link's target)
    std::uint64_t request = 0;
    JobStarter::JobId job = 0;
    std::uint64_t refreshRequest = 0;
    JobStarter::JobId refreshJob = 0;
    bool refreshAgain = false;
    // read, sorted, not yet rows: with the identities of the links among them
    std::vector<ShellItem*> pending;
    std::vector<std::optional<Identity>> pendingIdentity;
    std::size_t pendingNext = 0;
    std::shared_ptr<FolderWatcher> watcher;
    JobStarter::JobId watchJob = 0;
    int icon = -1;
};

struct FolderTreeModel::ReadResult {
    std::unique_ptr<ShellFolder> folder;
    FolderReadResult status;
    std::vector<ShellItem*> sorted;
    std::vector<std::optional<Identity>> linkIdentity; // aligned with sorted; set for links
    std::optional<Identity> identity;
    std::shared_ptr<FolderWatcher> watcher;
};

struct FolderTreeModel::RefreshResult {
    std::optional<RefreshReader> reader;
    RefreshDiff diff;
    FolderReadResult status;
    std::unordered_map<const ShellItem*, Identity> linkIdentity;
};

struct FolderTreeModel::Probe {
    std::uint64_t serial;
    ItemIdList id;
};

FolderTreeModel::FolderTreeModel(ShellNamespace& ns, JobStarter& jobs, IconCache* icons, QObject* parent)
    : QAbstractItemModel(parent)
    , m_ns(ns)
    , m_jobs(jobs)
    , m_icons(icons)
    , m_top(std::make_unique<Node>())
    , m_probeWorker(std::make_unique<WorkerQueue>(jobs, this))
    , m_channel(std::make_shared<GuiChannel>(this))
{
    auto desktop = std::make_unique<Node>();
    desktop->parent = m_top.get();
    desktop->sub = Node::Sub::Yes; // Computer is always there
    Register(desktop.get());
    m_top->children.push_back(std::move(desktop));

    m_fillTimer.setSingleShot(true);
    m_fillTimer.setInterval(0);
    connect(&m_fillTimer, &QTimer::timeout, this, &FolderTreeModel::FillSome);
    m_probeTimer.setSingleShot(true);
    m_probeTimer.setInterval(0);
    connect(&m_probeTimer, &QTimer::timeout, this, &FolderTreeModel::SendProbes);

    m_desktopIcon = QIcon::fromTheme(QStringLiteral("user-desktop"));
    if (m_desktopIcon.isNull())
        m_desktopIcon = QApplication::style()->standardIcon(QStyle::SP_DesktopIcon);
    if (m_icons)
        connect(m_icons, &IconCache::IconsFound, this, [this] {
            if (!m_top->children.empty())
                Q_EMIT dataChanged(DesktopIndex(), DesktopIndex(), {Qt::DecorationRole});
        });
}

FolderTreeModel::~FolderTreeModel()
{
    m_channel->Close();
    m_probeWorker.reset();
    ReleaseChildren(*m_top);
}

std::uint64_t FolderTreeModel::Register(Node* node)
{
    node->serial = m_nextSerial++;
    m_nodes.emplace(node->serial, node);
    return node->serial;
}

FolderTreeModel::Node* FolderTreeModel::NodeOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : m_top.get();
}

QModelIndex FolderTreeModel::IndexOf(const Node* node) const
{
    if (!node || node == m_top.get())
        return {};
    return createIndex(node->row, 0, const_cast<Node*>(node));
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    const Node* node = NodeOf(parent);
    if (column != 0 || row < 0 || row >= int(node->children.size()))
        return {};
    return createIndex(row, 0, node->children[std::size_t(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return {};
    return IndexOf(NodeOf(child)->parent);
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    return int(NodeOf(parent)->children.size());
}

int FolderTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const
{
    const Node* node = NodeOf(parent);
    if (node == m_top.get() || !node->children.empty() || node->state != NodeState::Collapsed)
        return true;
    return node->sub != Node::Sub::No;
}

QModelIndex FolderTreeModel::DesktopIndex() const
{
    return IndexOf(m_top->children.front().get());
}

void FolderTreeModel::AskSubfolders(Node& node) const
{
    if (node.asked || node.sub != Node::Sub::Unknown || !node.item)
        return;
    node.asked = true;
    m_probes.push_back({node.serial, node.item->AbsoluteId(false)});
    if (!m_probeTimer.isActive())
        m_probeTimer.start();
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    Node* node = NodeOf(index);
    switch (role) {
    case Qt::DisplayRole: {
        // a row that is shown learns whether it has sub-folders
        AskSubfolders(*node);
        QString text = node->item ? FromBytes(node->item->DisplayName()) : FromBytes(m_ns.DisplayName({}).value_or("Desktop"));
        if (node->state == NodeState::Reading)
            text += QStringLiteral(" (reading...)");
        return text;
    }
    case Qt::DecorationRole:
        if (!node->item)
            return m_desktopIcon;
        if (!m_icons)
            return {};
        if (node->icon < 0)
            node->icon = m_icons->IconIndex(*node->item);
        return m_icons->Icon(node->icon, node->item->IsLink());
    case Qt::FontRole:
        if (node->state == NodeState::Reading) {
            QFont font;
            font.setItalic(true);
            return font;
        }
        return {};
    case Qt::BackgroundRole:
        if (m_dropHighlight.isValid() && m_dropHighlight == index)
            return QApplication::palette().brush(QPalette::Highlight);
        return {};
    case Qt::ForegroundRole:
        if (m_dropHighlight.isValid() && m_dropHighlight == index)
            return QApplication::palette().brush(QPalette::HighlightedText);
        return {};
    default:
        return {};
    }
}

Qt::ItemFlags FolderTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

FolderTreeModel::NodeState FolderTreeModel::StateOf(const QModelIndex& index) const
{
    return NodeOf(index)->state;
}

int FolderTreeModel::OpenFolderCount() const
{
    return int(std::count_if(m_nodes.begin(), m_nodes.end(), [](const auto& entry) { return entry.second->folder != nullptr; }));
}

ItemIdList FolderTreeModel::IdOf(const QModelIndex& index) const
{
    const Node* node = NodeOf(index);
    return node->item ? node->item->AbsoluteId(false) : ItemIdList();
}

std::optional<std::string> FolderTreeModel::PathOf(const QModelIndex& index) const
{
    const Node* node = NodeOf(index);
    if (node == m_top.get())
        return std::nullopt;
    if (node->item && node->item->Id().kind == ItemId::Kind::Entry && node->item->IsFileSystem())
        return node->item->FullPath();
    return m_ns.FileSystemPath(IdOf(index));
}

bool FolderTreeModel::IsEntry(const QModelIndex& index) const
{
    const Node* node = NodeOf(index);
    return node->item && node->item->Id().kind == ItemId::Kind::Entry && node->item->IsFileSystem();
}

const ShellFolder* FolderTreeModel::FolderOf(const QModelIndex& index) const
{
    return NodeOf(index)->folder.get();
}

QModelIndex FolderTreeModel::FindChild(const QModelIndex& parent, const ItemId& id) const
{
    const Node* node = NodeOf(parent);
    if (node->state != NodeState::Loaded)
        return {};
    for (const auto& child : node->children)
        if (child->item && child->item->Id() == id)
            return IndexOf(child.get());
    return {};
}

void FolderTreeModel::SetDropHighlight(const QModelIndex& index)
{
    if (QPersistentModelIndex(index) == m_dropHighlight)
        return;
    const QModelIndex old = m_dropHighlight;
    m_dropHighlight = index;
    if (old.isValid())
        Q_EMIT dataChanged(old, old, {Qt::BackgroundRole, Qt::ForegroundRole});
    if (index.isValid())
        Q_EMIT dataChanged(index, index, {Qt::BackgroundRole, Qt::ForegroundRole});
}

void FolderTreeModel::Expand(const QModelIndex& index)
{
    Node* node = NodeOf(index);
    if (node == m_top.get() || node->state != NodeState::Collapsed)
        return;
    auto result = std::make_shared<ReadResult>();
    auto ns = Shared(m_ns);
    ItemIdList id = IdOf(index);
    const std::uint64_t request = m_nextRequest++;
    const std::uint64_t serial = node->serial;
    node->state = NodeState::Reading;
    node->request = request;
    node->job = m_jobs.Start(
        [ns, id = std::move(id), result](const std::atomic<bool>& stop) {
            // the watch is set up before the read, so that nothing after it is missed
            if (const auto path = ns->FileSystemPath(id)) {
                FolderWatcher::Options options;
                options.foldersOnly = true;
                auto watcher = std::make_shared<FolderWatcher>(*path, options);
                if (watcher->Error() == 0)
                    result->watcher = std::move(watcher);
            }
            // links to folders are shortcuts, not folders, to the directory reader: the
            // whole folder is read and its folders and links to folders kept
            auto folder = std::make_unique<ShellFolder>(*ns, enumflags::kPane);
            result->status = folder->Open(id, true, &stop);
            if (result->status == FolderReadResult::kFailed || stop.load())
                return;
            result->identity = IdentityOf(folder->Directory());
            for (const auto& item : folder->Items())
                if (item->IsFolder(true))
                    result->sorted.push_back(item.get());
            std::stable_sort(result->sorted.begin(), result->sorted.end(), ShownBefore);
            result->linkIdentity.resize(result->sorted.size());
            for (std::size_t i = 0; i < result->sorted.size() && !stop.load(); ++i)
                if (result->sorted[i]->IsLink())
                    result->linkIdentity[i] = IdentityOf(result->sorted[i]->FullPath());
            result->folder = std::move(folder);
        },
        [self = QPointer<FolderTreeModel>(this), serial, request, result] {
            if (self)
                self->TakeRead(serial, request, *result);
        });
    if (node->job == 0) { // the program is closing
        node->state = NodeState::Collapsed;
        node->request = 0;
        return;
    }
    Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::FontRole});
}

void FolderTreeModel::TakeRead(std::uint64_t serial, std::uint64_t request, ReadResult& result)
{
    const auto it = m_nodes.find(serial);
    if (it == m_nodes.end() || it->second->request != request)
        return; // collapsed or gone meanwhile
    Node& node = *it->second;
    node.request = 0;
    node.job = 0;
    const QModelIndex index = IndexOf(&node);
    if (!result.folder || result.sorted.empty()) {
        if (result.watcher)
            result.watcher->Stop();
        node.state = NodeState::Collapsed;
        node.sub = Node::Sub::No;
        Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::FontRole});
        Q_EMIT ExpansionRefused(index);
        return;
    }
    node.folder = std::move(result.folder);
    node.identity = result.identity;
    node.sub = Node::Sub::Yes;
    node.state = NodeState::Filling;
    node.pending = std::move(result.sorted);
    node.pendingIdentity = std::move(result.linkIdentity);
    node.pendingNext = 0;
    StartWatch(node, std::move(result.watcher));
    Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::FontRole});
    m_filling.push_back(serial);
    FillSome();
}

std::unique_ptr<FolderTreeModel::Node> FolderTreeModel::MakeChild(Node& parent, ShellItem* item,
                                                                  const std::optional<Identity>& identity)
{
    auto child = std::make_unique<Node>();
    child->parent = &parent;
    child->item = item;
    if (identity) {
        child->identity = identity;
        // a link back to a folder on the way to it would expand without end
        for (const Node* up = &parent; up; up = up->parent)
            if (up->identity == identity) {
                child->sub = Node::Sub::No;
                break;
            }
    }
    Register(child.get());
    return child;
}

void FolderTreeModel::FillSome()
{
    int budget = kBatchRows;
    while (budget > 0 && !m_filling.empty()) {
        const auto it = m_nodes.find(m_filling.front());
        if (it == m_nodes.end() || it->second->state != NodeState::Filling) {
            m_filling.pop_front();
            continue;
        }
        Node& node = *it->second;
        const std::size_t first = node.children.size();
        const std::size_t count = std::min<std::size_t>(std::size_t(budget), node.pending.size() - node.pendingNext);
        if (count > 0) {
            beginInsertRows(IndexOf(&node), int(first), int(first + count - 1));
            node.children.reserve(node.pending.size());
            for (std::size_t i = 0; i < count; ++i, ++node.pendingNext) {
                auto child = MakeChild(node, node.pending[node.pendingNext], node.pendingIdentity[node.pendingNext]);
                child->row = int(node.children.size());
                node.children.push_back(std::move(child));
            }
            endInsertRows();
            budget -= int(count);
        }
        if (node.pendingNext == node.pending.size()) {
            node.pending = {};
            node.pendingIdentity = {};
            node.state = NodeState::Loaded;
            m_filling.pop_front();
            const QModelIndex index = IndexOf(&node);
            Q_EMIT ChildrenLoaded(index);
            if (node.refreshAgain) {
                node.refreshAgain = false;
                Refresh(index);
            }
        }
    }
    if (!m_filling.empty())
        m_fillTimer.start();
}

void FolderTreeModel::StartWatch(Node& node, std::shared_ptr<FolderWatcher> watcher)
{
    if (!watcher || !node.folder || !node.folder->IsFileSystem())
        return;
    // Release stops the watcher before the folder goes; it reads the flag no more then.
    const std::atomic<bool>* mayNotify = &node.folder->watchRefresh;
    const std::uint64_t serial = node.serial;
    node.watchJob = m_jobs.Start([watcher, mayNotify, channel = m_channel, serial, self = this](const std::atomic<bool>& stop) {
        watcher->Run(
            mayNotify, [channel, serial, self] { channel->Post([serial, self] { self->OnFolderChanged(serial); }); },
            &stop);
    });
    if (node.watchJob != 0)
        node.watcher = std::move(watcher);
}

void FolderTreeModel::OnFolderChanged(std::uint64_t serial)
{
    const auto it = m_nodes.find(serial);
    if (it != m_nodes.end() && it->second->folder)
        Refresh(IndexOf(it->second));
}

void FolderTreeModel::Refresh(const QModelIndex& index)
{
    Node* node = NodeOf(index);
    if (node == m_top.get() || !node->folder)
        return;
    if (node->refreshRequest != 0 || node->state != NodeState::Loaded) {
        node->refreshAgain = true; // once the read under way is in
        return;
    }
    auto result = std::make_shared<RefreshResult>();
    result->reader.emplace(node->folder->PrepareRefresh());
    const std::uint64_t request = m_nextRequest++;
    const std::uint64_t serial = node->serial;
    node->refreshRequest = request;
    node->refreshJob = m_jobs.Start(
        [result](const std::atomic<bool>& stop) {
            result->status = result->reader->Read(result->diff, &stop);
            if (result->status == FolderReadResult::kFailed)
                return;
            for (const auto& item : result->diff.added)
                // resolves (and keeps) a link's target here rather than on the GUI thread
                if (item->IsFolder(true) && item->IsLink())
                    if (const auto identity = IdentityOf(item->FullPath()))
                        result->linkIdentity.emplace(item.get(), *identity);
        },
        [self = QPointer<FolderTreeModel>(this), serial, request, result] {
            if (self)
                self->TakeRefresh(serial, request, *result);
        });
    if (node->refreshJob == 0)
        node->refreshRequest = 0;
}

void FolderTreeModel::RemoveChildRows(Node& node, int first, int last)
{
    beginRemoveRows(IndexOf(&node), first, last);
    for (int row = first; row <= last; ++row) {
        Node& child = *node.children[std::size_t(row)];
        Release(child);
        ReleaseChildren(child);
        m_nodes.erase(child.serial);
    }
    node.children.erase(node.children.begin() + first, node.children.begin() + last + 1);
    for (std::size_t row = std::size_t(first); row < node.children.size(); ++row)
        node.children[row]->row = int(row);
    endRemoveRows();
}

void FolderTreeModel::TakeRefresh(std::uint64_t serial, std::uint64_t request, RefreshResult& result)
{
    const auto it = m_nodes.find(serial);
    if (it == m_nodes.end() || it->second->refreshRequest != request)
        return;
    Node& node = *it->second;
    node.refreshRequest = 0;
    node.refreshJob = 0;
    QModelIndex index = IndexOf(&node);
    if (result.status == FolderReadResult::kFailed) {
        // a folder that has gone leaves its parent: the parent's read drops its node
        if (result.status.Gone() && node.parent && node.parent->folder)
            Refresh(IndexOf(node.parent));
        return;
    }
    std::unordered_map<const ShellItem*, Identity> linkIdentity = std::move(result.linkIdentity);
    std::optional<RefreshApplied> applied = node.folder->ApplyRefresh(std::move(result.diff));
    if (!applied) {
        Refresh(index); // the records changed meanwhile: read again
        return;
    }
    if (!applied->vanished.empty()) {
        std::unordered_set<const ShellItem*> vanished;
        for (const auto& item : applied->vanished)
            vanished.insert(item.get());
        for (int row = int(node.children.size()) - 1; row >= 0;) {
            if (!vanished.contains(node.children[std::size_t(row)]->item)) {
                --row;
                continue;
            }
            int first = row;
            while (first > 0 && vanished.contains(node.children[std::size_t(first - 1)]->item))
                --first;
            RemoveChildRows(node, first, row);
            row = first - 1;
        }
    }
    for (ShellItem* item : applied->added) {
        if (!item->IsFolder(true))
            continue;
        const auto place = std::lower_bound(node.children.begin(), node.children.end(), item,
                                            [](const std::unique_ptr<Node>& child, const ShellItem* added) {
                                                return ShownBefore(child->item, added);
                                            });
        const int row = int(place - node.children.begin());
        const auto identity = linkIdentity.find(item);
        auto child = MakeChild(node, item, identity == linkIdentity.end() ? std::nullopt : std::optional(identity->second));
        beginInsertRows(index, row, row);
        node.children.insert(node.children.begin() + row, std::move(child));
        for (std::size_t r = std::size_t(row); r < node.children.size(); ++r)
            node.children[r]->row = int(r);
        endInsertRows();
    }
    if (node.children.empty()) {
        node.sub = Node::Sub::No;
        Q_EMIT ExpansionRefused(index);
    }
    if (node.refreshAgain) {
        node.refreshAgain = false;
        Refresh(index);
    }
}

void FolderTreeModel::Collapse(const QModelIndex& index)
{
    Node* node = NodeOf(index);
    if (node == m_top.get() || node->state == NodeState::Collapsed)
        return;
    if (!node->children.empty())
        RemoveChildRows(*node, 0, int(node->children.size()) - 1);
    Release(*node);
    node->folder.reset();
    node->pending = {};
    node->pendingIdentity = {};
    node->pendingNext = 0;
    node->state = NodeState::Collapsed;
    Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::FontRole});
}

void FolderTreeModel::Release(Node& node)
{
    if (node.job != 0)
        m_jobs.Stop(node.job);
    node.job = 0;
    node.request = 0;
    if (node.refreshJob != 0)
        m_jobs.Stop(node.refreshJob);
    node.refreshJob = 0;
    node.refreshRequest = 0;
    node.refreshAgain = false;
    if (node.watcher) {
        // once Stop returns the watcher reads nothing of the folder's any more
        node.watcher->Stop();
        m_jobs.Stop(node.watchJob);
        node.watcher.reset();
        node.watchJob = 0;
    }
}

void FolderTreeModel::ReleaseChildren(Node& node)
{
    for (auto& child : node.children) {
        Release(*child);
        ReleaseChildren(*child);
        m_nodes.erase(child->serial);
    }
    node.children.clear();
}

void FolderTreeModel::SendProbes()
{
    if (m_probes.empty())
        return;
    auto ns = Shared(m_ns);
    std::vector<Probe> probes = std::move(m_probes);
    m_probes.clear();
    m_probeWorker->Post([ns, probes = std::move(probes), self = this](const std::atomic<bool>& stop, GuiChannel& reply) {
        std::vector<std::pair<std::uint64_t, bool>> answers;
        const auto send = [&] {
            if (!answers.empty())
                reply.Post([self, answers = std::move(answers)] { self->TakeProbes(answers); });
            answers.clear();
        };
        for (const Probe& probe : probes) {
            if (stop.load())
                return;
            const auto attributes = ns->Attributes(probe.id, true);
            answers.emplace_back(probe.serial, attributes && (*attributes & attr::kHasSubfolder));
            if (answers.size() >= 64)
                send();
        }
        send();
    });
}

void FolderTreeModel::TakeProbes(const std::vector<std::pair<std::uint64_t, bool>>& answers)
{
    bool lost = false;
    for (const auto& [serial, has] : answers) {
        const auto it = m_nodes.find(serial);
        if (it == m_nodes.end() || it->second->sub != Node::Sub::Unknown)
            continue;
        it->second->sub = has ? Node::Sub::Yes : Node::Sub::No;
        lost = lost || (!has && it->second->state == NodeState::Collapsed);
    }
    if (lost)
        Q_EMIT SubfoldersKnown();
}

} // namespace bivora
