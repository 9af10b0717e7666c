#pragma once

#include "shell/item_id.h"
#include "ui/commands/command_router.h"

#include <QPersistentModelIndex>
#include <QTreeView>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QMenu;

namespace bivora {

class FolderTreeModel;
class IconCache;
class JobRegistry;
class KeyboardState;
class Prompts;
class ShellNamespace;
struct ItemTransfer;

// What the folder tree is given by the application; every reference outlives it. What
// it needs of the panes comes through the hooks, each of which may be left unset.
struct TreeContext {
    ShellNamespace& ns;
    JobRegistry& jobs;
    IconCache* icons;
    Prompts& prompts;
    KeyboardState& keyboard;
    // The active pane (the inactive one while Alt is held) shows the folder, and its
    // list takes the keyboard focus.
    std::function<void(const ItemIdList& folder)> browse = {};
    // The folder the active pane shows, when the tree is shown and follows it.
    std::function<std::optional<ItemIdList>()> activeFolder = {};
    // The keyboard focus to the active pane's list; to the address box (false when it is not shown).
    std::function<void()> focusPane = {};
    std::function<bool()> focusAddress = {};
    // Transfers items (the clipboard's when null) into a folder as the panes paste and
    // drop: effect 0 takes the items' own, 4 makes links; the panes that show the folders
    // are refreshed. True when something was done.
    std::function<bool(int effect, const ItemTransfer* items, const std::string& folder)> transfer = {};
    // Deletes the paths, to the trash or for good, refreshing the panes that show them.
    std::function<bool(const std::vector<std::string>& paths, bool permanent)> deleteItems = {};
    // The Properties dialog for the paths.
    std::function<bool(QWidget* owner, const std::vector<std::string>& paths)> showProperties = {};
};

// The folder tree: the namespace from the Desktop down, folders only, read lazily
// (FolderTreeModel). A click on a node, or Enter, sends the active pane there; the tree
// follows the active pane through SyncToFolder. It offers copy, cut, paste, delete,
// properties and refresh on its folders (by command while it has the focus, and in its
// context menu), takes drops as the panes do, and drags its folders out.
//
// While shown it follows the active pane; when hidden it collapses, so a hidden tree
// holds no folders.
class TreeBrowser final : public QTreeView {
    Q_OBJECT
public:
    explicit TreeBrowser(TreeContext context, QWidget* parent = nullptr);
    ~TreeBrowser() override;

    FolderTreeModel& Model() const { return *m_model; }

    // Expands the nodes down to the folder (each read off the GUI thread) and selects
    // its node once every level is matched; a level that cannot be expanded or matched
    // ends the walk with the selection where it was. A newer call replaces one under way.
    void SyncToFolder(const ItemIdList& folder);
    // A walk of SyncToFolder is under way.
    bool Syncing() const { return m_syncTarget.has_value(); }

    // The commands of the tree's node: the command chain's link of the tree, which
    // claims commands only while the tree has the keyboard focus. The link may outlive
    // the tree (a frame holds it until it goes itself): once the tree is gone it claims
    // nothing.
    CommandTarget& Commands() const;
    std::shared_ptr<CommandTarget> CommandLink() const;
    bool HasKeyboardFocus() const { return m_focused; }

    // Chooses an entry of a context or drop menu; the real one shows the menu at the position.
    using MenuChooser = std::function<QAction*(QMenu& menu, const QPoint& globalPos)>;
    void SetMenuChooser(MenuChooser chooser) { m_menuChooser = std::move(chooser); }
    void ShowContextMenu(const QModelIndex& index, const QPoint& globalPos);

    // The tree's commands on the selected node (the Desktop's when none).
    void Browse();
    void GoParent();
    void DeleteSelected();
    void CopySelected(bool cut);
    void PasteIntoSelected(bool link);
    void RefreshSelected();
    void ShowProperties();

    // Scrolls the node into view as the view does, and sideways so that its label shows
    // from its start (a deep node in a narrow bar), leaving the sideways scroll alone
    // when the label is in view already.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    class Target;

    QModelIndex Selected() const;
    void ContinueSync();
    void EndSync() { m_syncTarget.reset(); m_syncNode = QPersistentModelIndex(); }
    QAction* Choose(QMenu& menu, const QPoint& globalPos);
    // The folder a drop at that place goes into; invalid for none.
    QModelIndex DropNodeAt(const QPoint& pos) const;
    // Transfers into a node's folder with its watch held off, then re-reads it.
    bool TransferInto(const QModelIndex& node, int effect, const ItemTransfer* items);

    TreeContext m_ctx;
    FolderTreeModel* m_model;
    std::shared_ptr<Target> m_commands;
    MenuChooser m_menuChooser;
    bool m_focused = false;
    std::optional<ItemIdList> m_syncTarget;
    std::size_t m_syncLevel = 0;
    QPersistentModelIndex m_syncNode;
    bool m_rightDrag = false;
    bool m_dragUsable = false;
};

} // namespace bivora
