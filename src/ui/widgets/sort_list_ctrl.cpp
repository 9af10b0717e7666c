#include "ui/widgets/sort_list_ctrl.h"

#include "base/registry_keys.h"
#include "base/settings_store.h"
#include "ui/widgets/row_selection.h"
#include "ui/widgets/sort_list_views.h"
#include "ui/widgets/sortable_row_model.h"
#include "ui/commands/command_ids.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QScreen>
#include <QSignalBlocker>
#include <QStackedLayout>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <algorithm>

namespace bivora {

namespace {

constexpr int kDefaultSortKey = cmd::kSortByType;
constexpr int kDefaultViewStyle = cmd::kList;
constexpr int kMinColumnWidth = 10;
constexpr int kSmallIconSize = 16;
constexpr int kLargeIconSize = 32;
// Default column widths are pixels of a small font, in which a size of ten digits
// with its separators needs 70 pixels with the cell's margins; a larger font widens
// every default column by the same factor.
const char* const kDefaultsSample = "5,368,709,120";
constexpr int kDefaultsSampleWidth = 70;

bool IsSortKey(int id) { return id >= cmd::kUnsorted && id <= cmd::kSortByFolder; }
bool IsViewStyle(int id) { return id >= cmd::kSmallIcons && id <= cmd::kDetails; }

std::vector<std::string> SplitAtCommas(const std::string& text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            return parts;
        start = comma + 1;
    }
}

} // namespace

void SortListCtrl::SetDragHandler(ListDragHandler* handler)
{
    m_dragHandler = handler;
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(m_iconView),
                                    static_cast<QAbstractItemView*>(m_detailsView)}) {
        view->setAcceptDrops(handler != nullptr);
        view->viewport()->setAcceptDrops(handler != nullptr);
        view->setDropIndicatorShown(false);
    }
}

int SortListCtrl::RowAt(const QPoint& viewportPos) const
{
    const QModelIndex index = CurrentView()->indexAt(viewportPos);
    return index.isValid() ? index.row() : -1;
}

SortListCtrl::SortListCtrl(SortableRowModel& model, SettingsStore& store, std::function<bool()> saveAllowed,
                           QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_store(store)
    , m_saveAllowed(std::move(saveAllowed))
    , m_viewStyle(kDefaultViewStyle)
    , m_sortKey(kDefaultSortKey)
    , m_clock(&MonotonicMs)
    , m_beep(&QApplication::beep)
{
    m_iconView = new SortListIconView(*this);
    m_detailsView = new SortListDetailsView(*this);

    m_iconView->setModel(&m_model);
    m_detailsView->setModel(&m_model);
    // One selection model for both views, so a change of style keeps the selection
    // and the focused row.
    QItemSelectionModel* ownIcon = m_iconView->selectionModel();
    QItemSelectionModel* ownDetails = m_detailsView->selectionModel();
    m_selection = new QItemSelectionModel(&m_model, this);
    m_iconView->setSelectionModel(m_selection);
    m_detailsView->setSelectionModel(m_selection);
    delete ownIcon;
    delete ownDetails;

    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(m_iconView),
                                    static_cast<QAbstractItemView*>(m_detailsView)}) {
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setContextMenuPolicy(Qt::DefaultContextMenu);
        view->setFocusPolicy(Qt::StrongFocus);
    }

    m_iconView->setUniformItemSizes(true);
    m_iconView->setMovement(QListView::Static);
    m_iconView->setResizeMode(QListView::Adjust);
    m_iconView->setTextElideMode(Qt::ElideRight);

    m_detailsView->setRootIsDecorated(false);
    m_detailsView->setItemsExpandable(false);
    m_detailsView->setUniformRowHeights(true);
    m_detailsView->setSortingEnabled(false);
    m_detailsView->setAllColumnsShowFocus(false);
    m_detailsView->setIconSize(QSize(kSmallIconSize, kSmallIconSize));
    QHeaderView* header = m_detailsView->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false); // shown once a column carries the sort key
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(kMinColumnWidth);
    connect(header, &QHeaderView::sectionClicked, this, &SortListCtrl::ColumnClick);

    // The focused row is a row: keep the current index in the first column, which
    // is the one the icon views show.
    connect(m_selection, &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        if (current.isValid() && current.column() != 0)
            m_selection->setCurrentIndex(current.siblingAtColumn(0), QItemSelectionModel::NoUpdate);
    });

    m_stack = new QStackedLayout(this);
    m_stack->setContentsMargins(0, 0, 0, 0);
    m_stack->addWidget(m_iconView);
    m_stack->addWidget(m_detailsView);
    ApplyViewStyle();
}

SortListCtrl::~SortListCtrl()
{
    // an editor still open goes with the views, after this object: its end is nobody's to hear
    QObject::disconnect(m_labelEditorGone);
    m_labelEditing = false;
    m_labelEditEnd = nullptr;
    SaveSettings();
}

bool SortListCtrl::MakeColumns(const std::vector<QString>& titles, const std::vector<int>& defaultWidths,
                               const std::vector<Qt::Alignment>& alignments, std::string section)
{
    m_section = std::move(section);
    const std::size_t count = titles.size();
    if (count == 0 || defaultWidths.size() != count || alignments.size() != count)
        return false;
    m_defaultWidths = defaultWidths;
    m_model.SetColumns(titles, alignments);

    std::vector<int> widths = ScaledDefaultWidths();
    if (const std::optional<std::string> stored = m_store.ReadString(m_section, registry::value::kColumnWidths)) {
        const std::vector<std::string> entries = SplitAtCommas(*stored);
        if (entries.size() == count) {
            const int screenWidth = screen() ? screen()->size().width() : 0;
            for (std::size_t i = 0; i < count; ++i) {
                const std::optional<std::int32_t> width = ParseInt32(entries[i]);
                if (width && *width >= kMinColumnWidth && (screenWidth <= 0 || *width <= screenWidth))
                    widths[i] = *width;
            }
        }
    }
    QHeaderView* header = m_detailsView->header();
    if (header->count() != static_cast<int>(count))
        return false;
    for (std::size_t i = 0; i < count; ++i)
        header->resizeSection(static_cast<int>(i), widths[i]);
    return true;
}

std::vector<int> SortListCtrl::ScaledDefaultWidths() const
{
    const QTreeView* view = m_detailsView;
    const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    const int needed = view->fontMetrics().horizontalAdvance(QString::fromLatin1(kDefaultsSample)) + 2 * margin;
    std::vector<int> widths = m_defaultWidths;
    if (needed <= kDefaultsSampleWidth)
        return widths;
    for (int& width : widths)
        width = (width * needed + kDefaultsSampleWidth - 1) / kDefaultsSampleWidth;
    return widths;
}

void SortListCtrl::AttachSorting(RowComparison comparison, std::vector<int> columnKeys)
{
    m_comparison = std::move(comparison);
    m_columnKeys = std::move(columnKeys);
    const int key = m_store.GetInt(m_section, registry::value::kSortBy, kDefaultSortKey);
    m_sortKey = IsSortKey(key) ? key : kDefaultSortKey;
    m_ascending = m_store.GetInt(m_section, registry::value::kSortAscending, 1) != 0;
    UpdateSortIndicator();
}

void SortListCtrl::RestoreViewStyle()
{
    const int style = m_store.GetInt(m_section, registry::value::kViewStyle, kDefaultViewStyle);
    SetViewStyle(IsViewStyle(style) ? style : kDefaultViewStyle);
}

void SortListCtrl::Sort()
{
    if (!m_comparison || m_model.rowCount() < 2)
        return;
    const std::uint32_t param = MakeSortParam(m_sortKey, m_ascending);
    const SortableRowModel::RowCompare compare = [this, param](int a, int b) { return m_comparison(a, b, param); };
    std::vector<int> order;
    if (m_ordering && !m_model.InOrder(compare)) {
        order = m_ordering(param);
        if (order.size() != static_cast<std::size_t>(m_model.rowCount()))
            order = m_model.SortedOrder(compare);
    } else if (!m_ordering) {
        order = m_model.SortedOrder(compare);
    }
    if (order.empty())
        return;
    if (!m_selection->hasSelection()) {
        m_model.ApplyOrder(order);
        return;
    }
    // The selection model would follow each selected row with a persistent index of
    // its own through the layout change, and a sort scatters a block of rows over many
    // ranges. The rows go through the sort as numbers instead and are selected again
    // as ranges. Nobody hears of it: the same records stay selected, and the layout
    // change repaints the views anyway.
    const int columns = m_model.columnCount();
    const int rows = m_model.rowCount();
    RowSelection saved = ReadSelection(m_selection->selection(), columns);
    const QSignalBlocker quiet(m_selection);
    m_selection->clearSelection();
    const std::vector<int> newRowOf = m_model.ApplyOrder(order);
    if (newRowOf.empty() || saved.Empty())
        return;

    QItemSelection restored;
    const auto addRows = [&](int first, int last) {
        restored.append(QItemSelectionRange(m_model.index(first, 0), m_model.index(last, columns - 1)));
    };
    if (static_cast<int>(saved.rows.size()) == rows) {
        addRows(0, rows - 1);
    } else {
        for (int& row : saved.rows)
            row = newRowOf[static_cast<std::size_t>(row)];
        std::sort(saved.rows.begin(), saved.rows.end());
        for (std::size_t i = 0; i < saved.rows.size();) {
            std::size_t j = i + 1;
            while (j < saved.rows.size() && saved.rows[j] == saved.rows[j - 1] + 1)
                ++j;
            addRows(saved.rows[i], saved.rows[j - 1]);
            i = j;
        }
    }
    for (const RowSelection::Part& part : saved.parts) {
        const int row = newRowOf[static_cast<std::size_t>(part.row)];
        restored.append(QItemSelectionRange(m_model.index(row, part.left), m_model.index(row, part.right)));
    }
    m_selection->select(restored, QItemSelectionModel::Select);
    // settled, as after a click: a later Shift+click adds to it rather than replacing it
    m_selection->select(QItemSelection(), QItemSelectionModel::Select);
}

void SortListCtrl::ColumnClick(int column)
{
    if (column < 0 || column >= static_cast<int>(m_columnKeys.size()))
        return;
    m_sortKey = m_columnKeys[static_cast<std::size_t>(column)];
    const int rows = m_model.rowCount();
    if (rows < 2 || !m_comparison) {
        UpdateSortIndicator();
        return;
    }
    // A column that already runs ascending under the new key, all of it, turns
    // descending; any other arrangement is sorted ascending. Rows that are all equal
    // keep their order and direction.
    const std::uint32_t param = MakeSortParam(m_sortKey, true);
    bool ascending = true;
    bool allEqual = true;
    for (int row = 1; row < rows && ascending; ++row) {
        const int result = m_comparison(row - 1, row, param);
        ascending = result <= 0;
        allEqual = allEqual && result == 0;
    }
    if (allEqual) {
        UpdateSortIndicator();
        return;
    }
    m_ascending = !ascending;
    UpdateSortIndicator();
    Sort();
}

void SortListCtrl::UpdateSortIndicator()
{
    QHeaderView* header = m_detailsView->header();
    const auto it = std::find(m_columnKeys.begin(), m_columnKeys.end(), m_sortKey);
    if (it == m_columnKeys.end() || m_sortKey == cmd::kUnsorted) {
        // a key without a column of its own (type, unsorted) shows no arrow
        header->setSortIndicatorShown(false);
        return;
    }
    header->setSortIndicator(static_cast<int>(it - m_columnKeys.begin()),
                             m_ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    header->setSortIndicatorShown(true);
}

void SortListCtrl::SetRowState(int row, int mode)
{
    if (row < 0 || row >= m_model.rowCount() || mode < -1)
        return;
    const QModelIndex index = m_model.index(row, 0);
    if (mode == -1) {
        m_selection->select(index, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        return;
    }
    if (mode == 1)
        m_selection->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    FocusRow(row);
}

int SortListCtrl::FocusedRow() const
{
    const QModelIndex current = m_selection->currentIndex();
    return current.isValid() ? current.row() : -1;
}

std::vector<int> SortListCtrl::SelectedRows() const
{
    // The selection model's own selectedRows() asks each range about each row, which
    // takes minutes for a scattered selection of a large folder.
    const int columns = m_model.columnCount();
    if (columns <= 0)
        return {};
    RowSelection read = ReadSelection(m_selection->selection(), columns);
    if (read.parts.empty())
        return std::move(read.rows);
    // a row whose columns several ranges cover together is selected as well
    const std::vector<RowSelection::Part>& parts = read.parts;
    for (std::size_t i = 0; i < parts.size();) {
        const int row = parts[i].row;
        int covered = -1;
        for (; i < parts.size() && parts[i].row == row; ++i) {
            if (parts[i].left <= covered + 1)
                covered = std::max(covered, parts[i].right);
        }
        if (covered >= columns - 1)
            read.rows.push_back(row);
    }
    std::sort(read.rows.begin(), read.rows.end());
    read.rows.erase(std::unique(read.rows.begin(), read.rows.end()), read.rows.end());
    return std::move(read.rows);
}

bool SortListCtrl::EditLabel(int row, LabelEditEnd end)
{
    if (m_labelEditing || row < 0 || row >= m_model.rowCount())
        return false;
    const QModelIndex index = m_model.index(row, 0);
    QAbstractItemView* view = CurrentView();
    view->scrollTo(index);
    m_labelEditing = true; // before the editor opens: its first keys are its own
    m_labelIndex = index;
    m_labelText.reset();
    m_labelEditEnd = std::move(end);
    const bool opened = m_viewStyle == cmd::kDetails ? m_detailsView->StartEdit(index) : m_iconView->StartEdit(index);
    QWidget* editor = opened ? view->indexWidget(index) : nullptr;
    if (!editor) {
        m_labelEditing = false;
        m_labelIndex = QPersistentModelIndex();
        m_labelEditEnd = nullptr;
        return false;
    }
    m_labelEditor = editor;
    editor->installEventFilter(this);
    // a row that goes takes its editor without a close
    m_labelEditorGone = connect(editor, &QObject::destroyed, this, [this] {
        if (m_labelEditing && !m_labelEditor)
            LabelEditClosed(nullptr);
    });
    return true;
}

QLineEdit* SortListCtrl::LabelEditor() const
{
    return m_labelEditing ? qobject_cast<QLineEdit*>(m_labelEditor.data()) : nullptr;
}

void SortListCtrl::LabelEditCommitted(QWidget* editor)
{
    if (!m_labelEditing || editor != m_labelEditor)
        return;
    if (const auto* line = qobject_cast<QLineEdit*>(editor))
        m_labelText = line->text();
}

void SortListCtrl::LabelEditClosed(QWidget* editor)
{
    if (!m_labelEditing || editor != m_labelEditor)
        return;
    if (editor)
        editor->removeEventFilter(this);
    QObject::disconnect(m_labelEditorGone);
    const int row = m_labelIndex.isValid() ? m_labelIndex.row() : -1;
    std::optional<QString> text = row >= 0 ? std::move(m_labelText) : std::nullopt;
    LabelEditEnd end = std::move(m_labelEditEnd);
    m_labelEditing = false;
    m_labelEditor = nullptr;
    m_labelIndex = QPersistentModelIndex();
    m_labelText.reset();
    m_labelEditEnd = nullptr;
    if (end)
        end(row, text);
}

bool SortListCtrl::eventFilter(QObject* watched, QEvent* event)
{
    // Every key is the editor's: no shortcut of the window takes it first.
    if (m_labelEditing && watched == m_labelEditor && event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void SortListCtrl::SetViewStyle(int id)
{
    if (!IsViewStyle(id) || id == m_viewStyle)
        return;
    const bool hadFocus = CurrentView()->hasFocus();
    m_viewStyle = id;
    ApplyViewStyle();
    QAbstractItemView* view = CurrentView();
    if (hadFocus)
        view->setFocus(Qt::OtherFocusReason);
    const QModelIndex current = m_selection->currentIndex();
    if (current.isValid())
        view->scrollTo(current);
    Q_EMIT ViewStyleChanged(id);
}

void SortListCtrl::ApplyViewStyle()
{
    if (m_viewStyle == cmd::kDetails) {
        m_stack->setCurrentWidget(m_detailsView);
        setFocusProxy(m_detailsView);
        return;
    }
    const QFontMetrics metrics = m_iconView->fontMetrics();
    // The icon styles lay items out on a fixed grid, so no row's size has to be
    // measured: a hundred thousand rows lay out as fast as ten.
    switch (m_viewStyle) {
    case cmd::kLargeIcons: {
        m_iconView->setViewMode(QListView::IconMode);
        m_iconView->setFlow(QListView::LeftToRight);
        m_iconView->setIconSize(QSize(kLargeIconSize, kLargeIconSize));
        m_iconView->setWordWrap(true);
        const int width = std::max(metrics.averageCharWidth() * 12, kLargeIconSize + 40);
        m_iconView->SetCellSize(QSize(width, kLargeIconSize + 8 + metrics.height() * 2));
        break;
    }
    case cmd::kSmallIcons:
    case cmd::kList: {
        m_iconView->setViewMode(QListView::ListMode);
        m_iconView->setFlow(m_viewStyle == cmd::kSmallIcons ? QListView::LeftToRight : QListView::TopToBottom);
        m_iconView->setIconSize(QSize(kSmallIconSize, kSmallIconSize));
        m_iconView->setWordWrap(false);
        const int width = metrics.averageCharWidth() * 28 + kSmallIconSize + 8;
        m_iconView->SetCellSize(QSize(width, std::max(kSmallIconSize, metrics.height()) + 4));
        break;
    }
    default:
        break;
    }
    m_iconView->setWrapping(true);
    m_iconView->setMovement(QListView::Static);
    m_iconView->setResizeMode(QListView::Adjust);
    m_stack->setCurrentWidget(m_iconView);
    setFocusProxy(m_iconView);
}

QAbstractItemView* SortListCtrl::CurrentView() const
{
    if (m_viewStyle == cmd::kDetails)
        return m_detailsView;
    return m_iconView;
}

QListView* SortListCtrl::IconView() const
{
    return m_iconView;
}

QTreeView* SortListCtrl::DetailsView() const
{
    return m_detailsView;
}

QRect SortListCtrl::FocusRectangle() const
{
    if (m_viewStyle == cmd::kDetails)
        return m_detailsView->FocusRect();
    return m_iconView->FocusRect();
}

bool SortListCtrl::OnCommand(int id)
{
    if (IsSortKey(id)) {
        m_sortKey = id;
        UpdateSortIndicator();
        if (id != cmd::kUnsorted)
            Sort();
        return true;
    }
    if (id == cmd::kAscending) {
        m_ascending = !m_ascending;
        UpdateSortIndicator();
        // the direction is kept for later, but an unsorted list is never sorted
        if (m_sortKey != cmd::kUnsorted)
            Sort();
        return true;
    }
    if (IsViewStyle(id)) {
        SetViewStyle(id);
        return true;
    }
    return false;
}

bool SortListCtrl::OnUpdateCommand(int id, CommandState& state)
{
    if (IsSortKey(id)) {
        state.enabled = true;
        state.checked = m_sortKey == id;
        return true;
    }
    if (id == cmd::kAscending) {
        state.enabled = m_sortKey != cmd::kUnsorted;
        state.checked = m_ascending;
        return true;
    }
    if (IsViewStyle(id)) {
        state.enabled = true;
        state.checked = m_viewStyle == id;
        return true;
    }
    return false;
}

void SortListCtrl::SaveSettings()
{
    if (m_section.empty() || !m_saveAllowed || !m_saveAllowed())
        return;
    m_store.WriteInt(m_section, registry::value::kSortBy, m_sortKey);
    m_store.WriteInt(m_section, registry::value::kSortAscending, m_ascending ? 1 : 0);
    m_store.WriteInt(m_section, registry::value::kViewStyle, m_viewStyle);
    // widths are only trusted from the view that shows them
    if (m_viewStyle != cmd::kDetails)
        return;
    const QHeaderView* header = m_detailsView->header();
    if (header->count() == 0)
        return;
    std::string widths;
    for (int i = 0; i < header->count(); ++i) {
        if (i > 0)
            widths += ',';
        widths += std::to_string(header->sectionSize(i));
    }
    m_store.WriteString(m_section, registry::value::kColumnWidths, widths);
}

} // namespace bivora
