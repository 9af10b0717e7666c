// Dragging items out of a pane and dropping them into it.
#include "ui/pane/pane_drag_drop.h"

#include "shell/executable.h"
#include "shell/shell_item.h"
#include "ui/commands/services.h"
#include "ui/commands/status_service.h"
#include "ui/jobs/job_registry.h"
#include "ui/pane/file_transfer.h"
#include "ui/pane/pane_clipboard.h"
#include "ui/pane/pane_model.h"
#include "ui/pane/pane_view.h"
#include "ui/platform/clipboard_items.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QIcon>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <memory>

namespace bivora {

PaneDragDrop::PaneDragDrop(PaneView& pane)
    : m_pane(pane)
{
    m_pane.List().SetDragHandler(this);
}

PaneDragDrop::~PaneDragDrop()
{
    // the list may already be gone with the pane
    if (m_pane.m_list)
        m_pane.m_list->SetDragHandler(nullptr);
}

void PaneDragDrop::BeginDrag(bool rightButton)
{
    (void)rightButton; // the target tells a right-button drag by the buttons it sees
    const std::optional<std::vector<std::string>> paths = PaneClipboard::SelectedPaths(m_pane);
    if (!paths) {
        m_pane.m_ctx.status.ShowStatusMessage(QStringLiteral("Perhaps sir wishes to drag something else?"), true);
        return;
    }
    // the dragged items stay on the clipboard as a copied set
    PutItemsOnClipboard(*paths, kEffectCopy);
    PaneClipboard::ClearCutMarks(m_pane);

    QAbstractItemView* view = m_pane.List().CurrentView();
    auto* drag = new QDrag(view);
    drag->setMimeData(MimeDataForItems(*paths, kEffectCopy).release());
    const std::vector<int> rows = m_pane.SelectedRows();
    const QIcon icon = m_pane.Model().index(rows.front(), PaneModel::kNameColumn).data(Qt::DecorationRole).value<QIcon>();
    if (!icon.isNull())
        drag->setPixmap(icon.pixmap(QSize(32, 32)));
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    if (m_runner) {
        m_runner(*drag, offered);
        delete drag;
        return;
    }
    // the drag loop deletes the drag; whatever the target did is its business, and
    // the source's rows follow through its watcher
    drag->exec(offered, Qt::CopyAction);
}

bool PaneDragDrop::FromThisPane(const QDropEvent& event) const
{
    const auto* source = qobject_cast<const QWidget*>(event.source());
    return source && m_pane.List().isAncestorOf(source);
}

bool PaneDragDrop::IsExecutableRow(const ShellItem& item)
{
    // Whether a file starts programs is in its first bytes: they are read on a worker,
    // once per row the pointer enters, and the row takes drops once the answer is in
    // (the pointer's next move over it). Until then the pane's folder answers.
    if (!item.IsFileSystem())
        return false;
    const std::string path = item.FullPath();
    if (path != m_askedPath) {
        m_askedPath = path;
        m_askedExecutable = false;
        auto answer = std::make_shared<std::atomic<bool>>(false);
        m_pane.m_ctx.jobs.Start([path, answer](const std::atomic<bool>&) { *answer = IsExecutableFile(path); },
                                [pane = QPointer<PaneView>(&m_pane), path, answer] {
                                    if (pane && pane->DragDrop().m_askedPath == path)
                                        pane->DragDrop().m_askedExecutable = *answer;
                                });
    }
    return m_askedExecutable;
}

PaneDragDrop::Target PaneDragDrop::TargetAt(const QPoint& viewportPos, bool ownDrag)
{
    Target target;
    const int row = m_pane.List().RowAt(viewportPos);
    const ShellItem* item = m_pane.ItemAt(row);
    // the dragged rows themselves take nothing from their own drag
    const bool dragged = ownDrag && m_pane.List().SelectionModel()->isRowSelected(row);
    if (item && !dragged) {
        if (item->IsFolder(true)) {
            if (std::optional<std::string> path = PaneClipboard::ItemPath(*item)) {
                target = {Target::Kind::kFolderRow, row, std::move(*path)};
                return target;
            }
        } else if (IsExecutableRow(*item)) {
            target = {Target::Kind::kExecutableRow, row, item->FullPath()};
            return target;
        }
    }
    // items dropped where they already are would only be doubled or left in place
    if (ownDrag)
        return target;
    if (std::optional<std::string> path = PaneClipboard::FolderPath(m_pane))
        target = {Target::Kind::kPaneFolder, -1, std::move(*path)};
    return target;
}

void PaneDragDrop::DragMove(QDragMoveEvent& event, bool entering)
{
    if (entering) {
        m_rightButton = (event.buttons() & Qt::RightButton) != 0;
        // the data stays the same while the drag goes on: read once
        m_usableData = event.mimeData() && ItemsFromMimeData(*event.mimeData());
    }
    const Target target = m_usableData ? TargetAt(event.position().toPoint(), FromThisPane(event)) : Target{};
    const int hovered = target.kind == Target::Kind::kFolderRow || target.kind == Target::Kind::kExecutableRow
                            ? target.row
                            : -1;
    if (hovered != m_hovered) {
        m_pane.Model().SetDropHighlight(hovered);
        m_hovered = hovered;
    }
    if (target.kind == Target::Kind::kNone) {
        event.ignore();
        return;
    }
    const Qt::DropAction action =
        target.kind == Target::Kind::kExecutableRow ? Qt::CopyAction : ChosenDropAction(event);
    if (action == Qt::IgnoreAction) {
        event.ignore();
        return;
    }
    event.setDropAction(action);
    event.accept();
}

void PaneDragDrop::EndDragOver()
{
    m_pane.Model().SetDropHighlight(-1);
    m_hovered = -1;
}

void PaneDragDrop::DragLeave()
{
    EndDragOver();
}

int PaneDragDrop::AskEffect(const QPoint& viewportPos)
{
    QMenu menu(&m_pane);
    const std::pair<const char*, int> choices[] = {
        {"&Copy Here", kEffectCopy}, {"&Move Here", kEffectMove}, {"&Link Here", kEffectLink}};
    for (const auto& [text, effect] : choices)
        menu.addAction(QString::fromLatin1(text))->setData(effect);
    menu.addSeparator();
    menu.addAction(QStringLiteral("Cancel"))->setData(kEffectNone);
    const QPoint globalPos = m_pane.List().CurrentView()->viewport()->mapToGlobal(viewportPos);
    const QAction* chosen = m_pane.ChooseFrom(menu, globalPos);
    return chosen ? chosen->data().toInt() : kEffectNone;
}

void PaneDragDrop::Drop(QDropEvent& event)
{
    const QPoint pos = event.position().toPoint();
    const bool rightButton = m_rightButton || (event.buttons() & Qt::RightButton);
    std::optional<ItemTransfer> items = event.mimeData() ? ItemsFromMimeData(*event.mimeData()) : std::nullopt;
    Target target = items ? TargetAt(pos, FromThisPane(event)) : Target{};
    EndDragOver();
    m_rightButton = false;
    if (target.kind == Target::Kind::kNone) {
        event.ignore();
        QApplication::beep();
        return;
    }
    const bool executable = target.kind == Target::Kind::kExecutableRow;
    const int effect = executable ? kEffectCopy : DropEffectOf(ChosenDropAction(event));
    event.setDropAction(DropActionOf(effect));
    event.accept();
    // The drag loop holds the pointer and the keyboard until the drop returns: the
    // menu, the progress dialog and the questions of the transfer come after it.
    QTimer::singleShot(0, &m_pane, [this, items = std::move(*items), target = std::move(target), effect,
                                    ask = rightButton && !executable, pos] {
        int chosen = effect;
        if (ask) {
            chosen = AskEffect(pos);
            if (chosen == kEffectNone)
                return;
        }
        bool done = false;
        if (target.kind == Target::Kind::kExecutableRow) {
            // the program starts in the folder it lies in, with the dropped paths
            const std::optional<std::string> folder = PaneClipboard::FolderPath(m_pane);
            done = static_cast<bool>(
                m_pane.m_ctx.launcher.StartExact(target.path, items.paths, folder.value_or(std::string("/"))));
        } else {
            done = PasteIntoFolder(m_pane, chosen, &items, target.path, false);
        }
        if (!done)
            QApplication::beep();
    });
}

} // namespace bivora
