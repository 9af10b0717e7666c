#include "ui/pane/pane_view.h"

#include "base/general_settings.h"
#include "base/registry_keys.h"
#include "base/settings_store.h"
#include "shell/shell_folder.h"
#include "shell/shell_item.h"
#include "ui/widgets/sort_list_ctrl.h"
#include "ui/commands/command_ids.h"
#include "ui/jobs/job_registry.h"
#include "ui/pane/folder_changed_event.h"
#include "ui/pane/pane_caption.h"
#include "ui/pane/pane_drag_drop.h"
#include "ui/pane/pane_model.h"
#include "ui/pane/pane_navigator.h"
#include "ui/pane/pane_watch.h"
#include "ui/platform/free_space_cache.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QListView>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>
#include <unordered_set>

namespace bivora {

namespace {

namespace reg = registry;

} // namespace

PaneView::PaneView(PaneContext context, bool left, QWidget* parent)
    : QWidget(parent)
    , m_ctx(std::move(context))
    , m_left(left)
    , m_section(left ? reg::section::kLeftPaneSettings : reg::section::kRightPaneSettings)
    , m_watch(std::make_unique<PaneWatch>(m_ctx.jobs))
    , m_model(std::make_unique<PaneModel>(m_ctx.icons))
{
    m_model->SetDateKind(DateKindFromSetting(m_ctx.general.fileDateUzed));
    m_caption = new PaneCaption(this);
    GeneralSettings& general = m_ctx.general;
    m_list = new SortListCtrl(*m_model, m_ctx.store, [&general] { return general.saveSettings; }, this);
    LoadSettings();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_caption);
    layout->addWidget(m_list, 1);
    setFocusProxy(m_list);

    // Tab reaches the key handler instead of moving the focus along the window.
    m_list->IconView()->setTabKeyNavigation(true);
    // A large folder is laid out in batches between frames, so its first rows paint
    // at once instead of after the whole layout.
    m_list->IconView()->setLayoutMode(QListView::Batched);
    m_list->IconView()->setBatchSize(2000);
    m_list->DetailsView()->setTabKeyNavigation(true);
    m_list->SetKeyHandler([this](QKeyEvent& event) { return HandleKey(event); });

    connect(m_list, &SortListCtrl::RowDoubleClicked, this, [this](int) { OpenItem(false); });
    connect(m_list, &SortListCtrl::ContextMenuRequested, this,
            [this](const QPoint& pos, bool) { ShowContextMenu(pos); });
    connect(m_list, &SortListCtrl::FocusEntered, this, [this] {
        if (!m_active)
            Activate();
    });
    connect(m_caption, &PaneCaption::Pressed, this, [this] {
        if (!m_active)
            Activate();
    });
    connect(m_caption, &PaneCaption::DoubleClicked, this, [this] { Route(cmd::kParent); });

    m_statusTimer.setSingleShot(true);
    connect(&m_statusTimer, &QTimer::timeout, this, &PaneView::UpdateStatusText);
    connect(m_list->SelectionModel(), &QItemSelectionModel::selectionChanged, this, &PaneView::ScheduleStatusUpdate);
    connect(m_list->SelectionModel(), &QItemSelectionModel::currentChanged, this, &PaneView::ScheduleStatusUpdate);
    m_freeSpace = new FreeSpaceCache(m_ctx.jobs, this);
    connect(m_freeSpace, &FreeSpaceCache::Arrived, this, &PaneView::ScheduleStatusUpdate);

    // last: it hooks into the list and the history hooks
    m_nav = std::make_unique<PaneNavigator>(*this);
    m_dragDrop = std::make_unique<PaneDragDrop>(*this);
}

PaneView::~PaneView()
{
    SaveSettings();
    // The list writes its own settings and must go while the model it shows is alive.
    delete m_list;
    m_list = nullptr;
}

bool PaneView::Allows(const ShellItem& item) const
{
    return m_filterText == "*" || item.IsFolder(false) || m_filter.Match(item.Name());
}

void PaneView::FillList()
{
    FillRows(nullptr);
}

void PaneView::FillRows(RowOrder* arranged)
{
    m_list->setUpdatesEnabled(false);
    m_model->Clear();
    m_byteTotal = 0;
    if (m_folder) {
        std::vector<ShellItem*> rows;
        rows.reserve(m_folder->Items().size());
        const auto add = [&](ShellItem* item) {
            if (!Allows(*item))
                return;
            m_byteTotal += item->size;
            rows.push_back(item);
        };
        if (arranged) {
            for (ShellItem* item : arranged->items)
                add(item);
        } else {
            for (const auto& item : m_folder->Items())
                add(item.get());
        }
        m_model->AppendRows(rows);
        // keys of a filtered arrangement no longer match the rows
        if (arranged && rows.size() == arranged->items.size())
            m_model->SetSortKeys(std::move(arranged->keys));
        // rows appended in the list's order find it so at one comparison each
        SortRows();
    }
    m_list->setUpdatesEnabled(true);
}

void PaneView::RemoveRow(ShellItem& item)
{
    const int row = m_model->RowOf(&item);
    if (row >= 0) {
        m_byteTotal -= item.size;
        m_model->RemoveRows({row});
    }
    if (m_folder)
        m_folder->RemoveItem(&item);
}

int PaneView::RowOf(const ShellItem* item) const
{
    return m_model->RowOf(item);
}

ShellItem* PaneView::ItemAt(int row) const
{
    return m_model->ItemAt(row);
}

int PaneView::FocusName(const std::string& name, bool select)
{
    const int rows = m_model->rowCount();
    for (int row = 0; row < rows; ++row) {
        if (m_model->ItemAt(row)->Name() == name) {
            m_list->SetRowState(row, select ? 1 : 0);
            return row;
        }
    }
    return -1;
}

void PaneView::SortRows()
{
    if (m_list->SortKey() != cmd::kUnsorted)
        m_list->Sort();
}

void PaneView::SetFilterText(const std::string& text)
{
    if (m_filter.Parse(text))
        m_filterText = m_filter.CanonicalText();
    else
        m_filterText = "*";
    if (m_filterText == "*")
        m_filter.Clear();
    ReapplyFilter();
}

void PaneView::ReapplyFilter()
{
    FillList();
    UpdateCaption();
    ScheduleStatusUpdate();
}

void PaneView::UpdateCaption()
{
    if (!m_folder) {
        m_caption->SetContent({}, m_filterText, false);
        return;
    }
    m_caption->SetContent(m_folder->Title(), m_filterText,
                          m_folder->IsFileSystem() && !m_folder->IsFileSystemRoot());
}

void PaneView::Activate()
{
    if (m_ctx.pair)
        m_ctx.pair->SetActivePane(this);
    else
        SetActive(true);
    m_list->setFocus(Qt::OtherFocusReason);
}

void PaneView::SetActive(bool active)
{
    if (m_active == active)
        return;
    m_active = active;
    UpdatePaneState();
}

int PaneView::ViewStyle() const
{
    return m_list->ViewStyle();
}

void PaneView::SetViewStyle(int viewCommandId)
{
    m_list->SetViewStyle(viewCommandId);
}

CommandTarget* PaneView::ListTarget()
{
    return m_list;
}

std::vector<int> PaneView::SelectedRows() const
{
    return m_list->SelectedRows();
}

bool PaneView::ExtensionsHidden() const
{
    if (!m_folder || m_folder->Items().empty())
        return false;
    for (const auto& item : m_folder->Items()) {
        const std::string& shown = item->DisplayName();
        const std::string& name = item->Name();
        if (shown.find('.') != std::string::npos && shown.size() == name.size()
            && std::equal(shown.begin(), shown.end(), name.begin(), [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
               }))
            return false;
    }
    return true;
}

bool PaneView::event(QEvent* event)
{
    if (event->type() != FolderChangedEvent::kType)
        return QWidget::event(event);
    const auto* changed = static_cast<FolderChangedEvent*>(event);
    // a message about a folder the pane has left is stale
    if (changed->Generation() != 0 && changed->Generation() != m_folderGeneration)
        return true;
    if (m_busy) {
        m_refreshPending = true;
        return true;
    }
    // a burst of changes costs one refresh
    QCoreApplication::removePostedEvents(this, FolderChangedEvent::kType);
    RefreshPane(false, nullptr);
    return true;
}

bool PaneView::IsConsistent() const
{
    if (!m_model->IsConsistent())
        return false;
    std::unordered_set<const ShellItem*> rows;
    for (int row = 0; row < m_model->rowCount(); ++row)
        rows.insert(m_model->ItemAt(row));
    std::uint64_t total = 0;
    std::size_t shown = 0;
    if (m_folder) {
        for (const auto& item : m_folder->Items()) {
            const bool hasRow = rows.contains(item.get());
            if (hasRow != Allows(*item))
                return false;
            if (hasRow) {
                total += item->size;
                ++shown;
            }
        }
    }
    return shown == rows.size() && total == m_byteTotal;
}

void PaneView::SetHistoryHooks(LeaveHook leave, ArriveHook arrive)
{
    m_leaveHook = std::move(leave);
    m_arriveHook = std::move(arrive);
}

} // namespace bivora
