#pragma once

// The list control's two views and their cell delegate. Only the list control's own
// source includes this; the views are its parts, not widgets of their own.
#include "ui/widgets/sort_list_ctrl.h"

#include "ui/widgets/sortable_row_model.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <cstdint>

namespace bivora {

namespace list_detail {

inline std::int64_t MonotonicMs()
{
    static const QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

inline void DrawDottedRect(QWidget* viewport, const QRect& rect)
{
    QPainter painter(viewport);
    QPen pen(viewport->palette().color(QPalette::Text), 0, Qt::DotLine);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
}

// Cells without an alignment of their own follow their column's alignment; the
// label rectangle of a row is asked of the same style the row is painted with.
class ColumnDelegate : public QStyledItemDelegate {
public:
    ColumnDelegate(bool columnAlignment, QObject* parent)
        : QStyledItemDelegate(parent)
        , m_columnAlignment(columnAlignment)
    {
    }

    QRect TextRect(QStyleOptionViewItem option, const QModelIndex& index) const
    {
        initStyleOption(&option, index);
        const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
        return style->subElementRect(QStyle::SE_ItemViewItemText, &option, option.widget);
    }

    // A valid size is every item's size, so that items fill their grid cells.
    void SetItemSize(QSize size) { m_itemSize = size; }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return m_itemSize.isValid() ? m_itemSize : QStyledItemDelegate::sizeHint(option, index);
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (m_columnAlignment && !index.data(Qt::TextAlignmentRole).isValid()) {
            const QVariant align = index.model()->headerData(index.column(), Qt::Horizontal, Qt::TextAlignmentRole);
            if (align.isValid())
                option->displayAlignment = Qt::Alignment(align.toInt()) | Qt::AlignVCenter;
        }
    }

private:
    bool m_columnAlignment;
    QSize m_itemSize;
};


} // namespace list_detail

using list_detail::ColumnDelegate;
using list_detail::DrawDottedRect;
using list_detail::MonotonicMs;


// What both views do alike: keys go to the list first, double clicks, context-menu
// requests and focus are reported to it, and the focus rectangle is drawn after the
// view has painted itself. Derived is the view, which knows its focus rectangle.
template <class Derived, class View>
class SortListViewBase : public View {
public:
    explicit SortListViewBase(SortListCtrl& ctrl) : View(&ctrl), m_ctrl(ctrl) {}

    // Opens the editor whatever the edit triggers (the list has none of its own).
    bool StartEdit(const QModelIndex& index) { return View::edit(index, QAbstractItemView::AllEditTriggers, nullptr); }

protected:
    // The entered text goes to the list's owner, not into the model.
    void commitData(QWidget* editor) override { m_ctrl.LabelEditCommitted(editor); }
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint) override
    {
        // Tab ends the edit like Enter: it never opens the next row's editor
        View::closeEditor(editor, QAbstractItemDelegate::NoHint);
        m_ctrl.LabelEditClosed(editor);
    }
    // A change of many rows (an inverted or rule-made selection, Select All) repaints
    // the whole viewport: the region of each row, worked out one by one, costs far more
    // than painting the rows that are shown.
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override
    {
        constexpr int kManyRows = 256;
        int rows = 0;
        for (const QItemSelection* ranges : {&selected, &deselected}) {
            for (const QItemSelectionRange& range : *ranges) {
                rows += range.height();
                if (rows > kManyRows) {
                    if (this->isVisible() && this->updatesEnabled())
                        this->viewport()->update();
                    return;
                }
            }
        }
        View::selectionChanged(selected, deselected);
    }
    void paintEvent(QPaintEvent* event) override
    {
        View::paintEvent(event);
        const QRect rect = static_cast<const Derived*>(this)->FocusRect();
        if (!rect.isEmpty())
            DrawDottedRect(this->viewport(), rect);
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        // what the label editor left unused is nobody else's
        if (m_ctrl.m_labelEditing) {
            event->accept();
            return;
        }
        if (m_ctrl.HandleKey(*event))
            return;
        View::keyPressEvent(event);
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        // A right click on empty space unselects everything first, so that the menu
        // that follows is about the list, not about rows far from the pointer.
        const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
        const QPoint pos = event->position().toPoint();
        if (event->button() == Qt::RightButton && mods == Qt::NoModifier && !this->indexAt(pos).isValid())
            m_ctrl.m_selection->clearSelection();
        View::mousePressEvent(event);
        m_dragButton = Qt::NoButton;
        if (m_ctrl.m_dragHandler && (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)) {
            const QModelIndex index = this->indexAt(pos);
            if (index.isValid() && m_ctrl.m_selection->isRowSelected(index.row())) {
                m_dragButton = event->button();
                m_dragStart = pos;
            }
        }
        if (event->button() == Qt::RightButton)
            m_menuPending = false;
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (m_dragButton != Qt::NoButton && (event->buttons() & m_dragButton)
            && (event->position().toPoint() - m_dragStart).manhattanLength() >= QApplication::startDragDistance()) {
            const bool right = m_dragButton == Qt::RightButton;
            m_dragButton = Qt::NoButton;
            m_menuPending = false;
            // the drag loop takes the release: the view must not go on selecting
            this->setState(QAbstractItemView::NoState);
            if (m_ctrl.m_dragHandler)
                m_ctrl.m_dragHandler->BeginDrag(right);
            return;
        }
        View::mouseMoveEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        View::mouseReleaseEvent(event);
        if (event->button() == m_dragButton)
            m_dragButton = Qt::NoButton;
        if (event->button() == Qt::RightButton && m_menuPending) {
            m_menuPending = false;
            Q_EMIT m_ctrl.ContextMenuRequested(m_menuPos, false);
        }
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        View::mouseDoubleClickEvent(event);
        Q_EMIT m_ctrl.RowDoubleClicked(this->indexAt(event->position().toPoint()).row());
    }
    void contextMenuEvent(QContextMenuEvent* event) override
    {
        const bool keyboard = event->reason() == QContextMenuEvent::Keyboard;
        event->accept();
        if (!keyboard && m_dragButton == Qt::RightButton) {
            // the press may yet become a drag: the menu waits for the release
            m_menuPending = true;
            m_menuPos = event->globalPos();
            return;
        }
        Q_EMIT m_ctrl.ContextMenuRequested(keyboard ? QCursor::pos() : event->globalPos(), keyboard);
    }
    void dragEnterEvent(QDragEnterEvent* event) override { PassDragMove(*event, true); }
    void dragMoveEvent(QDragMoveEvent* event) override { PassDragMove(*event, false); }
    void dragLeaveEvent(QDragLeaveEvent* event) override
    {
        if (!m_ctrl.m_dragHandler)
            return View::dragLeaveEvent(event);
        m_ctrl.m_dragHandler->DragLeave();
    }
    void dropEvent(QDropEvent* event) override
    {
        if (!m_ctrl.m_dragHandler)
            return View::dropEvent(event);
        m_ctrl.m_dragHandler->Drop(*event);
    }
    void focusInEvent(QFocusEvent* event) override
    {
        View::focusInEvent(event);
        Q_EMIT m_ctrl.FocusEntered();
    }

    SortListCtrl& m_ctrl;

private:
    void PassDragMove(QDragMoveEvent& event, bool entering)
    {
        if (!m_ctrl.m_dragHandler) {
            if (entering)
                View::dragEnterEvent(static_cast<QDragEnterEvent*>(&event));
            else
                View::dragMoveEvent(&event);
            return;
        }
        m_ctrl.m_dragHandler->DragMove(event, entering);
    }

    Qt::MouseButton m_dragButton = Qt::NoButton; // pressed on a selected row: a drag may start
    QPoint m_dragStart;
    bool m_menuPending = false; // a right click's context menu, shown at the release
    QPoint m_menuPos;
};

// The view of the small-icon, large-icon and list styles.
class SortListIconView : public SortListViewBase<SortListIconView, QListView> {
public:
    explicit SortListIconView(SortListCtrl& ctrl)
        : SortListViewBase(ctrl)
        , m_delegate(new ColumnDelegate(false, this))
    {
        setItemDelegate(m_delegate);
    }

    // Lays the items out on a grid of cells of that size.
    void SetCellSize(QSize size)
    {
        m_delegate->SetItemSize(size);
        setGridSize(size);
    }

    // Only without the keyboard focus: the label of the focused row, narrowed to
    // its text plus 3 pixels.
    QRect FocusRect() const
    {
        const QModelIndex current = currentIndex();
        if (!current.isValid() || hasFocus() || viewport()->hasFocus())
            return {};
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        option.rect = visualRect(current);
        if (option.rect.isEmpty())
            return {};
        QRect label = m_delegate->TextRect(option, current);
        const int textWidth = option.fontMetrics.horizontalAdvance(current.data(Qt::DisplayRole).toString()) + 3;
        if (textWidth < label.width()) {
            if (viewMode() == QListView::IconMode)
                label = QRect(label.center().x() - textWidth / 2, label.top(), textWidth, label.height());
            else
                label.setWidth(textWidth);
        }
        return label;
    }

private:
    ColumnDelegate* m_delegate;
};

// The view of the details style.
class SortListDetailsView : public SortListViewBase<SortListDetailsView, QTreeView> {
public:
    explicit SortListDetailsView(SortListCtrl& ctrl)
        : SortListViewBase(ctrl)
    {
        setItemDelegate(new ColumnDelegate(true, this));
    }

    // With or without the keyboard focus: from the right edge of the focused row's
    // label (its first column) to the right edge of the row, unless the row lies
    // above the first visible one.
    QRect FocusRect() const
    {
        const QModelIndex current = currentIndex();
        if (!current.isValid())
            return {};
        const QRect label = visualRect(current.siblingAtColumn(0));
        if (label.isEmpty() || label.top() < 0)
            return {};
        const QHeaderView* head = header();
        int right = label.right() + 1;
        for (int logical = 0; logical < head->count(); ++logical) {
            if (!head->isSectionHidden(logical))
                right = std::max(right, head->sectionViewportPosition(logical) + head->sectionSize(logical));
        }
        return QRect(QPoint(label.right() + 1, label.top()), QPoint(right - 1, label.bottom()));
    }

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override
    {
        QTreeView::currentChanged(current, previous);
        // the rectangle spans columns the view itself does not repaint for a new current cell
        UpdateRow(previous);
        UpdateRow(current);
    }
private:
    void UpdateRow(const QModelIndex& index)
    {
        if (!index.isValid())
            return;
        QRect rect = visualRect(index);
        if (rect.isEmpty())
            return;
        rect.setLeft(0);
        rect.setRight(viewport()->width());
        viewport()->update(rect);
    }
};

} // namespace bivora
