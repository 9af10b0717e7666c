#pragma once

#include "shell/item_id.h"
#include "ui/commands/job_starter.h"

#include <QAbstractItemModel>
#include <QIcon>
#include <QPersistentModelIndex>
#include <QTimer>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace bivora {

class IconCache;
class ShellFolder;
class ShellNamespace;
class WorkerQueue;

// The shell namespace from the Desktop down, folders only, as a lazily filled tree.
//
// A node holds nothing but its record until it is expanded: Expand reads its folder on
// a worker (a job of the registry, so a mount that does not answer holds up nothing but
// that node, which shows it is reading), and the rows arrive sorted, in batches, so that
// a folder of a hundred thousand sub-folders keeps the window answering. Collapse frees
// the node's folder and children. An expanded file-system folder is watched: sub-folders
// that come or go get or lose their rows, and a folder that has gone loses its node.
//
// Whether a node has sub-folders is asked on a worker when its row is first shown; until
// the answer comes it has an expand button. A link to a folder on the way to it (a loop)
// has none, so a loop never expands.
//
// GUI thread only.
class FolderTreeModel final : public QAbstractItemModel {
    Q_OBJECT
public:
    // Rows added to the view per turn of the event loop.
    static constexpr int kBatchRows = 10000;

    // ns, jobs and icons (may be null) must outlive the model.
    FolderTreeModel(ShellNamespace& ns, JobStarter& jobs, IconCache* icons, QObject* parent = nullptr);
    ~FolderTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The Desktop's node, the one top-level row.
    QModelIndex DesktopIndex() const;

    // Starts reading the node's sub-folders (the view has expanded it); nothing when
    // they are read or being read.
    void Expand(const QModelIndex& index);
    // Frees the node's sub-folders and folder and stops its read and watch (the view has
    // collapsed it).
    void Collapse(const QModelIndex& index);
    // Re-reads an expanded node: new sub-folders get rows, vanished ones lose theirs.
    void Refresh(const QModelIndex& index);

    enum class NodeState { Collapsed, Reading, Filling, Loaded };
    NodeState StateOf(const QModelIndex& index) const;
    // Expanded nodes holding an open folder, the Desktop's included.
    int OpenFolderCount() const;

    // The node's absolute list (empty for the Desktop): through a link, not to its target.
    ItemIdList IdOf(const QModelIndex& index) const;
    // The directory the node shows; nullopt for a virtual folder.
    std::optional<std::string> PathOf(const QModelIndex& index) const;
    // A directory entry (not a drive nor a virtual folder): what cut and delete take.
    bool IsEntry(const QModelIndex& index) const;
    // The open folder of an expanded node, else null.
    const ShellFolder* FolderOf(const QModelIndex& index) const;
    // The child of a node whose rows are all present that shows the item; invalid when none.
    QModelIndex FindChild(const QModelIndex& parent, const ItemId& id) const;

    // The row drawn as the target of a drag; invalid for none.
    void SetDropHighlight(const QModelIndex& index);

Q_SIGNALS:
    // All of the node's rows are present.
    void ChildrenLoaded(const QModelIndex& index);
    // The node cannot be expanded (no sub-folders, or its folder cannot be read): the
    // view collapses it, and it has no expand button any more.
    void ExpansionRefused(const QModelIndex& index);
    // Nodes learnt whether they have sub-folders: their expand buttons may change.
    void SubfoldersKnown();

private:
    struct Node;
    struct ReadResult;
    struct RefreshResult;
    struct Probe;

    Node* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(const Node* node) const;
    std::uint64_t Register(Node* node);
    void TakeRead(std::uint64_t serial, std::uint64_t request, ReadResult& result);
    void TakeRefresh(std::uint64_t serial, std::uint64_t request, RefreshResult& result);
    void FillSome();
    void StartWatch(Node& node, std::shared_ptr<class FolderWatcher> watcher);
    void OnFolderChanged(std::uint64_t serial);
    // Stops the node's read, refresh and watch and forgets its children (no rows change).
    void Release(Node& node);
    void ReleaseChildren(Node& node);
    void RemoveChildRows(Node& node, int first, int last);
    std::unique_ptr<Node> MakeChild(Node& parent, class ShellItem* item, const std::optional<std::pair<std::uint64_t, std::uint64_t>>& identity);
    void AskSubfolders(Node& node) const;
    void SendProbes();
    void TakeProbes(const std::vector<std::pair<std::uint64_t, bool>>& answers);

    ShellNamespace& m_ns;
    JobStarter& m_jobs;
    IconCache* m_icons;
    std::unique_ptr<Node> m_top; // invisible; its one child is the Desktop
    std::unordered_map<std::uint64_t, Node*> m_nodes; // every node by its serial
    std::uint64_t m_nextSerial = 1;
    std::uint64_t m_nextRequest = 1;
    std::deque<std::uint64_t> m_filling; // serials of nodes with rows still to add
    QTimer m_fillTimer;
    mutable std::vector<Probe> m_probes; // rows shown whose sub-folders are not known yet
    mutable QTimer m_probeTimer;
    std::unique_ptr<WorkerQueue> m_probeWorker;
    std::shared_ptr<GuiChannel> m_channel;
    QPersistentModelIndex m_dropHighlight;
    QIcon m_desktopIcon;
};

} // namespace bivora
