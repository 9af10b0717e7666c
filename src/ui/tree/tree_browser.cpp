// The folder tree: browsing, following the active pane, its commands, menu and drops.
#include "ui/tree/tree_browser.h"

#include "shell/shell_folder.h"
#include "ui/commands/byte_text.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/services.h"
#include "ui/jobs/job_registry.h"
#include "ui/platform/clipboard_items.h"
#include "ui/tree/folder_tree_model.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTimer>

namespace bivora {

namespace {

// Commands of the frame and the application, which reach them even while the tree has
// the focus: the bars (the tree's own toggle among them), windows, options, help.
bool PassesTree(int id)
{
    switch (id) {
    case cmd::kExit:
    case cmd::kOptions:
    case cmd::kToolbar:
    case cmd::kDriveBar:
    case cmd::kTree:
    case cmd::kThumbBar:
    case cmd::kAddressBar:
    case cmd::kStatusBar:
    case cmd::kLayout1:
    case cmd::kLayout2:
    case cmd::kLayout3:
    case cmd::kEqualPanes:
    case cmd::kOnePane:
    case cmd::kFindFiles:
    case cmd::kRunCommand:
    case cmd::kDosCommand:
    case cmd::kRunHistory:
    case cmd::kHelpFeatures:
    case cmd::kHelpWhatsNew:
    case cmd::kHelpKeyboard:
    case cmd::kHelpFaq:
    case cmd::kHelpLicence:
    case cmd::kAbout:
    case cmd::kEditorNotice:
    case cmd::kStartupSuggestion:
        return true;
    default:
        return false;
    }
}

} // namespace

// The tree's link of the command chain. While the tree has the keyboard focus every
// command but the frame's and the application's comes to it: its own run on the
// selected node, the panes' are disabled.
class TreeBrowser::Target final : public CommandTarget {
public:
    explicit Target(TreeBrowser& tree) : m_tree(&tree) {}

    // The tree goes: the link claims nothing from now on.
    void Detach() { m_tree = nullptr; }

    bool OnCommand(int id) override
    {
        if (!m_tree)
            return false;
        TreeBrowser& tree = *m_tree;
        CommandState state;
        if (!OnUpdateCommand(id, state))
            return false;
        if (!state.enabled)
            return true;
        switch (id) {
        case cmd::kExecuteAddress:
            tree.Browse();
            break;
        case cmd::kDelete:
            tree.DeleteSelected();
            break;
        case cmd::kCopy:
        case cmd::kCut:
            tree.CopySelected(id == cmd::kCut);
            break;
        case cmd::kPaste:
        case cmd::kPasteShortcut:
            tree.PasteIntoSelected(id == cmd::kPasteShortcut);
            break;
        case cmd::kRefresh:
            tree.RefreshSelected();
            break;
        case cmd::kParent:
            tree.GoParent();
            break;
        case cmd::kProperties:
            tree.ShowProperties();
            break;
        default:
            break;
        }
        return true;
    }

    bool OnUpdateCommand(int id, CommandState& state) override
    {
        if (!m_tree || !m_tree->HasKeyboardFocus() || PassesTree(id))
            return false;
        const FolderTreeModel& model = m_tree->Model();
        const QModelIndex node = m_tree->Selected();
        switch (id) {
        case cmd::kExecuteAddress:
        case cmd::kRefresh:
            state.enabled = true;
            break;
        case cmd::kDelete:
        case cmd::kCut:
            state.enabled = model.IsEntry(node);
            break;
        case cmd::kCopy:
            state.enabled = node != model.DesktopIndex() && model.PathOf(node).has_value();
            break;
        case cmd::kPaste:
        case cmd::kPasteShortcut:
            state.enabled = model.PathOf(node).has_value() && ClipboardHoldsItems();
            break;
        case cmd::kParent:
            state.enabled = node.parent().isValid();
            break;
        case cmd::kProperties:
            state.enabled = model.PathOf(node).has_value();
            break;
        default:
            state.enabled = false;
            break;
        }
        return true;
    }

private:
    TreeBrowser* m_tree;
};

TreeBrowser::TreeBrowser(TreeContext context, QWidget* parent)
    : QTreeView(parent)
    , m_ctx(std::move(context))
    , m_model(new FolderTreeModel(m_ctx.ns, m_ctx.jobs, m_ctx.icons, this))
    , m_commands(std::make_shared<Target>(*this))
{
    setObjectName(QStringLiteral("FolderTree"));
    setModel(m_model);
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setRootIsDecorated(true);
    setAnimated(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    setAutoScroll(true);
    // a deep node keeps its whole name: the column is as wide as the rows shown, and a
    // narrow bar scrolls sideways
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    connect(this, &QTreeView::expanded, m_model, &FolderTreeModel::Expand);
    connect(this, &QTreeView::collapsed, m_model, &FolderTreeModel::Collapse);
    connect(m_model, &FolderTreeModel::ExpansionRefused, this, [this](const QModelIndex& index) {
        collapse(index);
        // the node's expand button goes
        scheduleDelayedItemsLayout();
        if (m_syncTarget && m_syncNode == index)
            EndSync();
    });
    connect(m_model, &FolderTreeModel::SubfoldersKnown, this, [this] { scheduleDelayedItemsLayout(); });
    connect(m_model, &FolderTreeModel::ChildrenLoaded, this, [this](const QModelIndex& index) {
        if (m_syncTarget && m_syncNode == index)
            ContinueSync();
    });
}

TreeBrowser::~TreeBrowser()
{
    m_commands->Detach();
    EndSync();
}

CommandTarget& TreeBrowser::Commands() const
{
    return *m_commands;
}

std::shared_ptr<CommandTarget> TreeBrowser::CommandLink() const
{
    return m_commands;
}

QModelIndex TreeBrowser::Selected() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current : m_model->DesktopIndex();
}

void TreeBrowser::SyncToFolder(const ItemIdList& folder)
{
    // already there (a link's node keeps its place rather than jumping to the target)
    if (!m_syncTarget && currentIndex().isValid() && m_model->IdOf(currentIndex()) == folder)
        return;
    m_syncTarget = folder;
    m_syncLevel = 0;
    m_syncNode = m_model->DesktopIndex();
    ContinueSync();
}

void TreeBrowser::ContinueSync()
{
    while (m_syncTarget) {
        const QModelIndex node = m_syncNode;
        if (!node.isValid()) {
            EndSync();
            return;
        }
        if (m_syncLevel == m_syncTarget->Count()) {
            setCurrentIndex(node);
            scrollTo(node);
            EndSync();
            return;
        }
        switch (m_model->StateOf(node)) {
        case FolderTreeModel::NodeState::Collapsed:
            expand(node);
            if (m_model->StateOf(node) == FolderTreeModel::NodeState::Collapsed)
                EndSync(); // no read could start
            return;        // ChildrenLoaded or ExpansionRefused goes on
        case FolderTreeModel::NodeState::Reading:
        case FolderTreeModel::NodeState::Filling:
            return;
        case FolderTreeModel::NodeState::Loaded:
            break;
        }
        if (!isExpanded(node))
            expand(node);
        const QModelIndex child = m_model->FindChild(node, (*m_syncTarget)[m_syncLevel]);
        if (!child.isValid()) {
            EndSync();
            return;
        }
        m_syncNode = child;
        ++m_syncLevel;
    }
}

void TreeBrowser::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    QScrollBar* sideways = horizontalScrollBar();
    const int before = sideways->value();
    QTreeView::scrollTo(index, hint);
    if (!index.isValid() || index.model() != m_model)
        return;
    // the view scrolls sideways to the column's start, which in a tree of one column is
    // wherever the node is not; the node's own extent decides instead
    executeDelayedItemsLayout();
    header()->resizeSections(QHeaderView::ResizeToContents);
    updateGeometries();
    sideways->setValue(before);
    const QRect label = visualRect(index);
    if (label.isEmpty())
        return;
    // the expand button stays in sight with the label
    const int left = label.left() - indentation();
    const int right = label.left() + sizeHintForIndex(index).width();
    const int width = viewport()->width();
    int shift = 0;
    if (left < 0 || right - left > width)
        shift = left;
    else if (right > width)
        shift = right - width;
    if (shift != 0)
        sideways->setValue(sideways->value() + shift);
}

void TreeBrowser::Browse()
{
    const QModelIndex node = Selected();
    if (m_ctx.browse)
        m_ctx.browse(m_model->IdOf(node));
}

void TreeBrowser::GoParent()
{
    const QModelIndex parent = Selected().parent();
    if (!parent.isValid())
        return;
    setCurrentIndex(parent);
    scrollTo(parent);
}

void TreeBrowser::DeleteSelected()
{
    const QModelIndex node = Selected();
    const std::optional<std::string> path = m_model->IsEntry(node) ? m_model->PathOf(node) : std::nullopt;
    if (!path || !m_ctx.deleteItems)
        return;
    const bool permanent = m_ctx.keyboard.Shift();
    if (permanent) {
        const QString question =
            QStringLiteral("Delete '%1' permanently?\n\nIt does not go to the trash and cannot be brought back.")
                .arg(FromBytes(path->substr(path->find_last_of('/') + 1)));
        if (!m_ctx.prompts.AskYesNo(window(), question, Prompts::Icon::Exclamation))
            return;
    }
    // the parent's watcher waits while the operation runs; the parent is re-read after it
    const QPersistentModelIndex parent = node.parent();
    if (const ShellFolder* folder = m_model->FolderOf(parent))
        folder->watchRefresh = false;
    m_ctx.deleteItems({*path}, permanent);
    if (const ShellFolder* folder = m_model->FolderOf(parent)) {
        folder->watchRefresh = true;
        m_model->Refresh(parent);
    }
}

void TreeBrowser::CopySelected(bool cut)
{
    const QModelIndex node = Selected();
    if (cut && !m_model->IsEntry(node))
        return;
    if (node == m_model->DesktopIndex())
        return;
    if (const std::optional<std::string> path = m_model->PathOf(node))
        PutItemsOnClipboard({*path}, cut ? kEffectMove : kEffectCopy);
}

bool TreeBrowser::TransferInto(const QModelIndex& node, int effect, const ItemTransfer* items)
{
    const std::optional<std::string> path = m_model->PathOf(node);
    if (!path || !m_ctx.transfer)
        return false;
    const QPersistentModelIndex target = node;
    if (const ShellFolder* folder = m_model->FolderOf(target))
        folder->watchRefresh = false;
    const bool done = m_ctx.transfer(effect, items, *path);
    if (const ShellFolder* folder = m_model->FolderOf(target)) {
        folder->watchRefresh = true;
        m_model->Refresh(target);
    }
    return done;
}

void TreeBrowser::PasteIntoSelected(bool link)
{
    if (!ClipboardHoldsItems())
        return;
    TransferInto(Selected(), link ? kEffectLink : 0, nullptr);
}

void TreeBrowser::RefreshSelected()
{
    QModelIndex node = Selected();
    if (!m_model->FolderOf(node))
        node = node.parent();
    m_model->Refresh(node);
}

void TreeBrowser::ShowProperties()
{
    if (const std::optional<std::string> path = m_model->PathOf(Selected()); path && m_ctx.showProperties)
        m_ctx.showProperties(window(), {*path});
}

bool TreeBrowser::event(QEvent* event)
{
    // F5 re-reads the tree's folder rather than starting the panes' command
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F5 && key->modifiers() == Qt::NoModifier) {
            event->accept();
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            const bool toAddress = key->key() == Qt::Key_Backtab || (key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
            if (!(toAddress && m_ctx.focusAddress && m_ctx.focusAddress()) && m_ctx.focusPane)
                m_ctx.focusPane();
            return true;
        }
    }
    return QTreeView::event(event);
}

void TreeBrowser::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Browse();
        return;
    case Qt::Key_Escape:
        if (m_ctx.focusPane)
            m_ctx.focusPane();
        return;
    case Qt::Key_Delete:
        DeleteSelected();
        return;
    case Qt::Key_Backspace:
        GoParent();
        return;
    case Qt::Key_F5:
        RefreshSelected();
        return;
    default:
        QTreeView::keyPressEvent(event);
    }
}

void TreeBrowser::focusInEvent(QFocusEvent* event)
{
    m_focused = true;
    QTreeView::focusInEvent(event);
}

void TreeBrowser::focusOutEvent(QFocusEvent* event)
{
    // menus (the menu bar's, the context menu) still act on the tree
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason && reason != Qt::ActiveWindowFocusReason)
        m_focused = false;
    QTreeView::focusOutEvent(event);
}

void TreeBrowser::showEvent(QShowEvent* event)
{
    QTreeView::showEvent(event);
    if (event->spontaneous())
        return;
    if (!isExpanded(m_model->DesktopIndex()))
        expand(m_model->DesktopIndex());
    if (m_ctx.activeFolder)
        if (const std::optional<ItemIdList> folder = m_ctx.activeFolder())
            SyncToFolder(*folder);
}

void TreeBrowser::hideEvent(QHideEvent* event)
{
    QTreeView::hideEvent(event);
    if (event->spontaneous())
        return;
    // a hidden tree holds no folders
    EndSync();
    collapse(m_model->DesktopIndex());
    m_model->Collapse(m_model->DesktopIndex());
    collapseAll();
    m_focused = false;
}

void TreeBrowser::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex node = indexAt(event->position().toPoint());
    // a click on the label or icon browses; one on the expand button does not
    if (node.isValid() && visualRect(node).contains(event->position().toPoint())) {
        setCurrentIndex(node);
        Browse();
    }
}

QAction* TreeBrowser::Choose(QMenu& menu, const QPoint& globalPos)
{
    return m_menuChooser ? m_menuChooser(menu, globalPos) : menu.exec(globalPos);
}

void TreeBrowser::contextMenuEvent(QContextMenuEvent* event)
{
    QModelIndex node;
    QPoint globalPos = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        node = Selected();
        globalPos = viewport()->mapToGlobal(visualRect(node).center());
    } else {
        node = indexAt(event->pos());
        if (node.isValid())
            setCurrentIndex(node);
    }
    if (node.isValid())
        ShowContextMenu(node, globalPos);
    event->accept();
}

void TreeBrowser::ShowContextMenu(const QModelIndex& node, const QPoint& globalPos)
{
    if (!node.isValid() || node == m_model->DesktopIndex())
        return; // the Desktop has no menu
    setCurrentIndex(node);
    const bool hasPath = m_model->PathOf(node).has_value();
    const bool entry = m_model->IsEntry(node);
    const bool canPaste = hasPath && ClipboardHoldsItems();
    QMenu menu(this);
    const auto add = [&menu](const QString& text, const QString& tip, bool enabled) {
        QAction* action = menu.addAction(text);
        action->setStatusTip(tip);
        action->setEnabled(enabled);
        return action;
    };
    QAction* open = add(QStringLiteral("&Open"), QStringLiteral("Shows the folder in the active pane"), true);
    menu.addSeparator();
    QAction* cut = add(QStringLiteral("Cu&t"), QStringLiteral("Cuts the folder to the clipboard"), entry);
    QAction* copy = add(QStringLiteral("&Copy"), QStringLiteral("Copies the folder to the clipboard"), hasPath);
    QAction* paste = add(QStringLiteral("&Paste"), QStringLiteral("Pastes the clipboard's items into the folder"), canPaste);
    QAction* pasteLink =
        add(QStringLiteral("Paste as &Link"), QStringLiteral("Links the clipboard's items into the folder"), canPaste);
    menu.addSeparator();
    QAction* remove = add(QStringLiteral("&Delete"), QStringLiteral("Moves the folder to the trash"), entry);
    menu.addSeparator();
    QAction* refresh = add(QStringLiteral("Re&fresh"), QStringLiteral("Reads the folder's sub-folders again"), true);
    QAction* properties = add(QStringLiteral("P&roperties"), QStringLiteral("Shows the folder's properties"), hasPath);
    QAction* chosen = Choose(menu, globalPos);
    if (!chosen)
        return;
    if (chosen == open)
        Browse();
    else if (chosen == cut || chosen == copy)
        CopySelected(chosen == cut);
    else if (chosen == paste || chosen == pasteLink)
        PasteIntoSelected(chosen == pasteLink);
    else if (chosen == remove)
        DeleteSelected();
    else if (chosen == refresh)
        RefreshSelected();
    else if (chosen == properties)
        ShowProperties();
}

void TreeBrowser::startDrag(Qt::DropActions)
{
    const QModelIndex node = currentIndex();
    if (!node.isValid() || node == m_model->DesktopIndex())
        return;
    const std::optional<std::string> path = m_model->PathOf(node);
    if (!path)
        return;
    // the dragged folder stays on the clipboard as a copied item, as a pane's drag leaves it
    PutItemsOnClipboard({*path}, kEffectCopy);
    auto* drag = new QDrag(this);
    drag->setMimeData(MimeDataForItems({*path}, kEffectCopy).release());
    const QIcon icon = node.data(Qt::DecorationRole).value<QIcon>();
    if (!icon.isNull())
        drag->setPixmap(icon.pixmap(QSize(16, 16)));
    drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
}

QModelIndex TreeBrowser::DropNodeAt(const QPoint& pos) const
{
    const QModelIndex node = indexAt(pos);
    return node.isValid() && m_model->PathOf(node) ? node : QModelIndex();
}

void TreeBrowser::dragEnterEvent(QDragEnterEvent* event)
{
    m_rightDrag = (event->buttons() & Qt::RightButton) != 0;
    m_dragUsable = event->mimeData() && ItemsFromMimeData(*event->mimeData());
    if (!m_dragUsable) {
        event->ignore();
        return;
    }
    event->accept();
    dragMoveEvent(event);
}

void TreeBrowser::dragMoveEvent(QDragMoveEvent* event)
{
    // the view's own handling scrolls near the edges; the answer is the tree's
    QTreeView::dragMoveEvent(event);
    const QModelIndex node = m_dragUsable ? DropNodeAt(event->position().toPoint()) : QModelIndex();
    m_model->SetDropHighlight(node);
    const Qt::DropAction action = node.isValid() ? ChosenDropAction(*event) : Qt::IgnoreAction;
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void TreeBrowser::dragLeaveEvent(QDragLeaveEvent* event)
{
    QTreeView::dragLeaveEvent(event);
    m_model->SetDropHighlight({});
}

void TreeBrowser::dropEvent(QDropEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const bool rightButton = m_rightDrag || (event->buttons() & Qt::RightButton);
    m_rightDrag = false;
    m_model->SetDropHighlight({});
    std::optional<ItemTransfer> items = event->mimeData() ? ItemsFromMimeData(*event->mimeData()) : std::nullopt;
    const QModelIndex node = items ? DropNodeAt(pos) : QModelIndex();
    const Qt::DropAction action = node.isValid() ? ChosenDropAction(*event) : Qt::IgnoreAction;
    if (action == Qt::IgnoreAction) {
        event->ignore();
        QApplication::beep();
        return;
    }
    const int effect = DropEffectOf(action);
    event->setDropAction(DropActionOf(effect));
    event->accept();
    // the drag loop holds the pointer until the drop returns: the menu and the
    // transfer come after it
    QTimer::singleShot(0, this, [this, items = std::move(*items), target = QPersistentModelIndex(node), effect,
                                 rightButton, pos] {
        int chosen = effect;
        if (rightButton) {
            QMenu menu(this);
            const std::pair<const char*, int> choices[] = {
                {"&Copy Here", kEffectCopy}, {"&Move Here", kEffectMove}, {"&Link Here", kEffectLink}};
            for (const auto& [text, value] : choices)
                menu.addAction(QString::fromLatin1(text))->setData(value);
            menu.addSeparator();
            menu.addAction(QStringLiteral("Cancel"))->setData(kEffectNone);
            const QAction* picked = Choose(menu, viewport()->mapToGlobal(pos));
            chosen = picked ? picked->data().toInt() : kEffectNone;
            if (chosen == kEffectNone)
                return;
        }
        if (!target.isValid() || !TransferInto(target, chosen, &items))
            QApplication::beep();
    });
}

} // namespace bivora
