#pragma once

#include "base/sort_param.h"
#include "ui/commands/command_router.h"

#include <QRect>
#include <QString>
#include <QWidget>

#include <QPersistentModelIndex>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QAbstractItemView;
class QDragMoveEvent;
class QDropEvent;
class QLineEdit;
class QItemSelectionModel;
class QKeyEvent;
class QListView;
class QStackedLayout;
class QTreeView;

namespace bivora {

class SettingsStore;
class SortableRowModel;
template <class, class>
class SortListViewBase;
class SortListIconView;
class SortListDetailsView;

// What the list's owner does with drags; the list only detects and passes them on.
// Positions are in the current view's viewport.
class ListDragHandler {
public:
    virtual ~ListDragHandler() = default;
    // A button was pressed on a selected row and the pointer moved far enough.
    virtual void BeginDrag(bool rightButton) = 0;
    // Enter and move alike; the handler accepts or ignores the event.
    virtual void DragMove(QDragMoveEvent& event, bool entering) = 0;
    virtual void DragLeave() = 0;
    virtual void Drop(QDropEvent& event) = 0;
};

// The sortable list of the panes and of the find results: one model shown either
// by a list view (small icons, large icons, list) or by a details view, both on
// one selection model, so that switching views keeps the selection and the
// focused row (the current index, always in column 0).
//
// It keeps, in its owner's settings section, the column widths, the sort key,
// the direction and the view style; it sorts with the owner's comparison; it
// handles the sort and view commands (offered to it first by its owner), column
// clicks, Insert and the Shift+letter type-ahead by extension.
class SortListCtrl : public QWidget, public CommandTarget {
    Q_OBJECT
public:
    // Orders two rows (by their current indices) under a sort parameter (sort_param.h).
    using RowComparison = std::function<int(int rowA, int rowB, std::uint32_t sortParam)>;
    // Gets the keys the list does not handle itself before the view does; true consumes.
    using KeyHandler = std::function<bool(QKeyEvent& event)>;
    // Milliseconds of a monotonic clock; used for the type-ahead pause.
    using Clock = std::function<std::int64_t()>;

    // The model must outlive the control. saveAllowed is asked at destruction
    // whether the settings may be written; without it nothing is written.
    SortListCtrl(SortableRowModel& model, SettingsStore& store, std::function<bool()> saveAllowed,
                 QWidget* parent = nullptr);
    ~SortListCtrl() override;

    // Sets the columns and their widths, read from "szColumnWidths" of the section.
    // The default widths are pixels of a small font; with a larger one they grow in
    // proportion, so that a size of ten digits fits a column that was 70 pixels wide.
    // Stored widths stay as stored. False when the lists differ in length or there
    // are no titles.
    bool MakeColumns(const std::vector<QString>& titles, const std::vector<int>& defaultWidths,
                     const std::vector<Qt::Alignment>& alignments, std::string section);
    // Remembers the comparison and the sort key of each column; reads the sort key
    // and direction ("nSortBy", "bSortAscending").
    void AttachSorting(RowComparison comparison, std::vector<int> columnKeys);
    // All rows ordered at once under a sort parameter, as the comparison orders them:
    // position i holds the row that goes there. A sort of rows that are not in order
    // yet asks it instead of sorting by the comparison; an answer of another length is
    // not taken.
    using RowOrdering = std::function<std::vector<int>(std::uint32_t sortParam)>;
    void SetOrdering(RowOrdering ordering) { m_ordering = std::move(ordering); }
    // Reads "nViewStyle" and shows that view.
    void RestoreViewStyle();

    // Sorts all rows with the current key and direction (also under "Unsorted";
    // callers avoid that). Nothing happens with fewer than two rows.
    void Sort();
    // The rule of a click on a column header: the column's key becomes the sort key;
    // a column whose rows all run ascending is sorted descending, any other arrangement
    // ascending; rows that all compare equal stay as they are. The header's arrow shows
    // the column and direction of the sort.
    void ColumnClick(int column);

    // mode -1 unselects the row; 1 selects, focuses and shows it; any other
    // non-negative mode focuses and shows it without touching the selection.
    void SetRowState(int row, int mode);
    // The focused row, -1 when none.
    int FocusedRow() const;
    // The rows selected in every column, ascending. Costs the selected rows and the
    // ranges of the selection, not their product, so a re-sort that scatters a large
    // selection over many ranges leaves it cheap to count.
    std::vector<int> SelectedRows() const;

    int ViewStyle() const { return m_viewStyle; }
    // Shows the view of a view command id (59408..59411); other ids are ignored.
    void SetViewStyle(int id);
    int SortKey() const { return m_sortKey; }
    bool Ascending() const { return m_ascending; }
    const std::string& Section() const { return m_section; }

    SortableRowModel& Model() const { return m_model; }
    QItemSelectionModel* SelectionModel() const { return m_selection; }
    // The view of the current style; it has the keyboard focus when the list has it.
    QAbstractItemView* CurrentView() const;
    QListView* IconView() const;
    QTreeView* DetailsView() const;

    // Where the focus rectangle of the focused row is drawn over the current
    // view's viewport; empty when none is drawn.
    QRect FocusRectangle() const;

    // Label editing: an editor over the name (column 0) of one row, opened only when the
    // owner asks, never by clicks or keys of the list. While it is open every key is the
    // editor's: the window's shortcuts do not fire and the list's own keys stay unused.
    // The end is told once, after the editor has closed: with the entered text when it
    // was submitted (Enter, or the focus leaving it), without one when it was cancelled
    // (Escape) or its row went; row is where that row stands then (-1 when gone).
    using LabelEditEnd = std::function<void(int row, const std::optional<QString>& text)>;
    // False when no editor opens (no such row, an editor is open already).
    bool EditLabel(int row, LabelEditEnd end);
    bool IsEditingLabel() const { return m_labelEditing; }
    // The open editor, null when none.
    QLineEdit* LabelEditor() const;

    void SetKeyHandler(KeyHandler handler) { m_keyHandler = std::move(handler); }
    void SetClock(Clock clock) { m_clock = std::move(clock); }
    void SetBeep(std::function<void()> beep) { m_beep = std::move(beep); }
    // Drags start from the selected rows (left or right button) and drops are
    // accepted only with a handler; it must outlive the list or be reset to null.
    // With one, the context menu of a right click comes at the release, so that a
    // right-button drag can start.
    void SetDragHandler(ListDragHandler* handler);
    ListDragHandler* DragHandler() const { return m_dragHandler; }
    // The row at a position in the current view's viewport; -1 on empty space.
    int RowAt(const QPoint& viewportPos) const;

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

Q_SIGNALS:
    // A double click in the list; row is -1 on empty space.
    void RowDoubleClicked(int row);
    // The context menu was asked for: by mouse at the pointer (a right click on empty
    // space has unselected all rows first), by keyboard (menu key or Shift+F10) at the
    // cursor position.
    void ContextMenuRequested(const QPoint& globalPos, bool fromKeyboard);
    // One of the views received the keyboard focus.
    void FocusEntered();
    void ViewStyleChanged(int id);

private:
    template <class, class>
    friend class SortListViewBase;
    friend class SortListIconView;
    friend class SortListDetailsView;

    // Insert and type-ahead first, then the owner's key handler; false lets the view act.
    bool HandleKey(QKeyEvent& event);
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The views' editor closed (or went): tells the owner once.
    void LabelEditCommitted(QWidget* editor);
    void LabelEditClosed(QWidget* editor);
    void ToggleAndAdvance();
    void TypeAhead(QChar letter);
    void FocusRow(int row);
    void SelectOnly(int row);
    void ApplyViewStyle();
    // The header's arrow on the column of the sort key, pointing the sort's way.
    void UpdateSortIndicator();
    std::vector<int> ScaledDefaultWidths() const;
    QString RowText(int row) const;
    void SaveSettings();

    SortableRowModel& m_model;
    SettingsStore& m_store;
    std::function<bool()> m_saveAllowed;

    QStackedLayout* m_stack = nullptr;
    SortListIconView* m_iconView = nullptr;
    SortListDetailsView* m_detailsView = nullptr;
    QItemSelectionModel* m_selection = nullptr;

    std::string m_section;
    std::vector<int> m_defaultWidths;
    RowComparison m_comparison;
    RowOrdering m_ordering;
    std::vector<int> m_columnKeys;
    int m_viewStyle;
    int m_sortKey;
    bool m_ascending = true;

    QString m_typeAhead;
    std::int64_t m_typeAheadTime = 0;

    bool m_labelEditing = false;
    QPointer<QWidget> m_labelEditor;
    QMetaObject::Connection m_labelEditorGone;
    QPersistentModelIndex m_labelIndex;
    std::optional<QString> m_labelText;
    LabelEditEnd m_labelEditEnd;

    KeyHandler m_keyHandler;
    Clock m_clock;
    std::function<void()> m_beep;
    ListDragHandler* m_dragHandler = nullptr;
};

} // namespace bivora
