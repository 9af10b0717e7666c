#include "ui/pane/pane_view.h"

#include "base/general_settings.h"
#include "base/pane_texts.h"
#include "base/registry_keys.h"
#include "base/settings_store.h"
#include "shell/shell_folder.h"
#include "shell/shell_item.h"
#include "shell/shell_namespace.h"
#include "shell/volume_info.h"
#include "ui/widgets/sort_list_ctrl.h"
#include "ui/widgets/sort_param.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/status_service.h"
#include "ui/pane/folder_changed_event.h"
#include "ui/jobs/off_thread_read.h"
#include "ui/pane/pane_caption.h"
#include "ui/pane/pane_model.h"
#include "ui/platform/desktop_apps.h"
#include "ui/platform/execute_item.h"
#include "ui/platform/item_context_menu.h"
#include "ui/commands/services.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QFile>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QMimeDatabase>
#include <QPointer>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <unordered_set>

namespace bivora {

namespace {

namespace reg = registry;

constexpr int kNameWidth = 150;
constexpr int kSizeWidth = 70;
constexpr int kDateWidth = 120;

QString FromBytes(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString DateTitle(int dateKind)
{
    switch (dateKind) {
    case 1:
        return QStringLiteral("Created");
    case 2:
        return QStringLiteral("Accessed");
    default:
        return QStringLiteral("Modified");
    }
}

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string CurrentDirectory()
{
    std::string buffer(4096, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(std::char_traits<char>::length(buffer.c_str()));
    return buffer;
}

// The mount path of the drive a folder lies on (the key of the per-drive folders),
// empty for a folder that is on no drive.
std::string DriveKey(const ItemIdList& id)
{
    for (const ItemId& item : id.Items()) {
        if (item.kind == ItemId::Kind::Drive || item.kind == ItemId::Kind::NetworkDrive)
            return item.key;
    }
    return {};
}

// The list of the drive a folder lies on: everything up to and including the drive.
std::optional<ItemIdList> DriveRootId(const ItemIdList& id)
{
    std::vector<ItemId> items;
    for (const ItemId& item : id.Items()) {
        items.push_back(item);
        if (item.kind == ItemId::Kind::Drive || item.kind == ItemId::Kind::NetworkDrive)
            return ItemIdList(std::move(items));
    }
    return std::nullopt;
}

// A folder is gone when looking its path up says it does not exist; a folder that
// may not be looked into is still there.
bool FolderGone(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return !S_ISDIR(st.st_mode);
    return errno == ENOENT || errno == ENOTDIR;
}

bool ClipboardHoldsItems()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasUrls())
        return false;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

// Digits as the shifted keys of a common layout deliver them.
int DigitOfKey(int key)
{
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return key - Qt::Key_0;
    static constexpr int kShifted[10] = {Qt::Key_ParenRight, Qt::Key_Exclam, Qt::Key_At, Qt::Key_NumberSign,
                                         Qt::Key_Dollar, Qt::Key_Percent, Qt::Key_AsciiCircum, Qt::Key_Ampersand,
                                         Qt::Key_Asterisk, Qt::Key_ParenLeft};
    for (int digit = 0; digit < 10; ++digit) {
        if (kShifted[digit] == key)
            return digit;
    }
    return -1;
}

} // namespace

// Marks the pane busy while a worker reads: commands, refresh requests and the
// records wait until it ends.
class PaneView::BusyScope {
public:
    BusyScope(PaneView& pane, bool freezeModel)
        : m_pane(pane)
        , m_freeze(freezeModel)
    {
        m_pane.m_busy = true;
        if (m_freeze)
            m_pane.m_model->SetFrozen(true);
    }
    ~BusyScope()
    {
        if (m_freeze)
            m_pane.m_model->SetFrozen(false);
        m_pane.m_busy = false;
        if (m_pane.m_refreshPending) {
            m_pane.m_refreshPending = false;
            QCoreApplication::postEvent(&m_pane, new FolderChangedEvent(nullptr));
        }
    }

private:
    PaneView& m_pane;
    bool m_freeze;
};

PaneView::PaneView(PaneContext context, bool left, QWidget* parent)
    : QWidget(parent)
    , m_ctx(std::move(context))
    , m_left(left)
    , m_section(left ? reg::section::kLeftPaneSettings : reg::section::kRightPaneSettings)
    , m_model(std::make_unique<PaneModel>(m_ctx.icons))
{
    m_model->SetDateKind(m_ctx.general.fileDateUzed);
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
}

PaneView::~PaneView()
{
    SaveSettings();
    // The list writes its own settings and must go while the model it shows is alive.
    delete m_list;
    m_list = nullptr;
}

void PaneView::LoadSettings()
{
    SettingsStore& store = m_ctx.store;
    if (m_left) {
        m_ctx.shared.visualFilterHistory.Load(m_ctx.general.historyItems, store, reg::section::kVisualFilterHistory);
        for (std::size_t n = 0; n < m_ctx.shared.bookmarks.size(); ++n)
            m_ctx.shared.bookmarks[n] = store.GetString(reg::section::kBookMarks, std::to_string(n));
    }
    const std::string filter = store.GetString(m_section, reg::value::kDisplayFilter);
    if (m_filter.Parse(filter))
        m_filterText = m_filter.CanonicalText();
    else
        m_filterText = "*";
    m_startFolder = Trimmed(store.GetString(m_section, reg::value::kInitialFolder));

    m_list->MakeColumns({QStringLiteral("Name"), QStringLiteral("Size"), DateTitle(m_model->DateKind())},
                        {kNameWidth, kSizeWidth, kDateWidth}, {Qt::AlignLeft, Qt::AlignRight, Qt::AlignLeft},
                        m_section);
    m_list->AttachSorting(
        [this](int rowA, int rowB, std::uint32_t param) { return m_model->CompareRows(rowA, rowB, param); },
        {cmd::kSortByName, cmd::kSortBySize, cmd::kSortByDate});
    m_list->RestoreViewStyle();
}

void PaneView::SaveSettings()
{
    if (!m_folder || !m_ctx.general.saveSettings)
        return;
    SettingsStore& store = m_ctx.store;
    store.WriteString(m_section, reg::value::kDisplayFilter, m_filterText);
    // a virtual folder cannot be typed back in, so the stored start folder stays
    if (m_folder->IsFileSystem())
        store.WriteString(m_section, reg::value::kInitialFolder, m_folder->Path());
    if (m_left) {
        m_ctx.shared.visualFilterHistory.Save(m_ctx.general.historyItems, store, reg::section::kVisualFilterHistory);
        for (std::size_t n = 0; n < m_ctx.shared.bookmarks.size(); ++n)
            store.WriteString(reg::section::kBookMarks, std::to_string(n), m_ctx.shared.bookmarks[n]);
    }
}

void PaneView::InitialUpdate()
{
    std::string start = m_ctx.commandLineFolder ? Trimmed(*m_ctx.commandLineFolder) : std::string();
    if (start.empty())
        start = m_startFolder;
    if (start.empty())
        start = CurrentDirectory();
    if (start.empty() || !GoToTyped(start))
        GoToDesktop();
}

bool PaneView::GoToTyped(const std::string& text)
{
    std::string path = Trimmed(text);
    if (path.empty())
        return false;
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
        std::optional<Drive> drive;
        for (const Drive& candidate : m_ctx.ns.Drives()) {
            if (candidate.letter == letter)
                drive = candidate;
        }
        if (!drive)
            return false;
        const std::string rest = path.substr(2);
        if (rest.empty()) {
            const auto remembered = m_ctx.shared.driveFolders.find(drive->mountPath);
            path = remembered != m_ctx.shared.driveFolders.end() ? remembered->second : drive->mountPath;
        } else if (rest.front() == '/') {
            path = drive->mountPath + rest;
        } else {
            const auto remembered = m_ctx.shared.driveFolders.find(drive->mountPath);
            path = (remembered != m_ctx.shared.driveFolders.end() ? remembered->second : drive->mountPath) + "/" + rest;
        }
    } else if (path.front() != '/' && path.front() != '~' && !path.starts_with("::")) {
        path = CurrentDirectory() + "/" + path;
    }
    std::optional<ItemIdList> id = m_ctx.ns.ParsePath(path);
    if (!id)
        return false;
    return GoToFolder(std::move(*id));
}

bool PaneView::GoToDesktop()
{
    return GoToFolder(ItemIdList());
}

bool PaneView::GoToFolder(ItemIdList id)
{
    if (m_busy)
        return false;
    StatusService& status = m_ctx.status;
    status.ShowStatusMessage(QStringLiteral("Reading folder..."));

    // The worker owns the new folder until it hands it back; when it is left behind
    // after Escape it destroys the folder itself. It also puts the records in the
    // list's order and gathers their sort keys, so that the GUI thread only appends
    // rows and the window keeps painting while a large folder is sorted.
    struct Read {
        std::unique_ptr<ShellFolder> folder;
        ItemIdList id;
        int result = ShellFolder::kFailed;
        RowOrder order;
    };
    auto read = std::make_shared<Read>();
    read->folder = std::make_unique<ShellFolder>(m_ctx.ns, enumflags::kPane);
    read->id = std::move(id);
    const bool sorted = m_list->SortKey() != cmd::kUnsorted;
    const std::uint32_t sortParam = MakeSortParam(m_list->SortKey(), m_list->Ascending());
    const int dateKind = m_model->DateKind();
    bool finished = false;
    {
        BusyScope busy(*this, false);
        finished = RunOffGuiThread(
            [read, sorted, sortParam, dateKind](const std::atomic<bool>& cancel) {
                read->result = read->folder->Open(std::move(read->id), true, &cancel);
                if (read->result == ShellFolder::kFailed || !sorted || cancel.load())
                    return;
                std::vector<ShellItem*>& items = read->order.items;
                items.reserve(read->folder->Items().size());
                for (const auto& item : read->folder->Items())
                    items.push_back(item.get());
                read->order.keys.Build(items, dateKind);
                const std::vector<int> order = read->order.keys.Order(sortParam);
                std::vector<ShellItem*> arranged;
                arranged.reserve(items.size());
                for (const int from : order)
                    arranged.push_back(items[static_cast<std::size_t>(from)]);
                items = std::move(arranged);
                read->order.keys.Permute(order);
            },
            {&status, QStringLiteral("Reading folder..."), 300, true});
    }
    if (!finished) {
        status.ShowStatusMessage(QString());
        return false;
    }
    if (read->result == ShellFolder::kFailed) {
        const std::string& title = read->folder->Title();
        status.ShowStatusMessage(QStringLiteral("Reading from '%1' has failed miserably")
                                     .arg(title.empty() ? QStringLiteral("(that folder)") : FromBytes(title)),
                                 true);
        return false;
    }

    m_startFolder.clear();
    if (m_folder && m_folder->IsFileSystem() && m_leaveHook) {
        const ShellItem* focused = ItemAt(m_list->FocusedRow());
        m_leaveHook(*m_folder, focused ? std::optional<std::string>(focused->Name()) : std::nullopt);
    }
    // rows go before the records they point at
    m_model->Clear();
    m_folder = std::move(read->folder);
    FillRows(read->order.items.empty() ? nullptr : &read->order);

    std::optional<std::string> focusName;
    if (m_folder->IsFileSystem() && m_arriveHook)
        focusName = m_arriveHook(*m_folder);
    UpdatePaneState(focusName);

    if (read->result == ShellFolder::kPartial)
        status.ShowStatusMessage(QStringLiteral("Some items in the folder were not accessible"), true);
    else
        status.ShowStatusMessage(QString());
    return true;
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
            if (item->state == ShellItem::kHidden)
                return;
            if (!Allows(*item)) {
                item->state = ShellItem::kHidden;
                return;
            }
            item->state = ShellItem::kShown;
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

int PaneView::AddRow(ShellItem& item, bool force)
{
    if (!force && !Allows(item)) {
        item.state = ShellItem::kHidden;
        return -1;
    }
    item.state = ShellItem::kShown;
    m_byteTotal += item.size;
    return m_model->AppendRows({&item});
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
    if (m_folder) {
        for (const auto& item : m_folder->Items())
            item->state = ShellItem::kShown;
    }
    FillList();
    UpdateCaption();
    ScheduleStatusUpdate();
}

bool PaneView::RefreshPane(bool selectArrivals, std::vector<std::string>* names)
{
    if (!m_folder)
        return false;
    if (m_busy) {
        // asked again while a read runs: the pending request re-reads afterwards
        m_refreshPending = true;
        return false;
    }
    enum class Outcome { Failed, Gone, Merged };
    struct Refresh {
        Outcome outcome = Outcome::Failed;
        std::uint64_t total = 0;
    };
    Refresh refresh;
    refresh.total = m_byteTotal;
    ShellFolder* folder = m_folder.get();
    const bool checkGone = folder->IsFileSystem() && !folder->IsFileSystemRoot();
    const std::string path = folder->Path();
    {
        // The worker changes the records: the rows answer from what they have made.
        BusyScope busy(*this, true);
        RunOffGuiThread(
            [&refresh, folder, checkGone, &path](const std::atomic<bool>& cancel) {
                if (checkGone && FolderGone(path)) {
                    refresh.outcome = Outcome::Gone;
                    return;
                }
                refresh.outcome = folder->MergeRefresh(refresh.total, &cancel) ? Outcome::Merged : Outcome::Failed;
            },
            {&m_ctx.status, QStringLiteral("Reading folder..."), 300, false});
    }
    switch (refresh.outcome) {
    case Outcome::Gone:
        GoToDesktop();
        return false;
    case Outcome::Failed:
        return false;
    case Outcome::Merged:
        break;
    }
    // A merge that ended is applied even when Escape came late: the records have changed.
    m_byteTotal = refresh.total;
    ApplyMerge(selectArrivals, names);
    return true;
}

void PaneView::ApplyMerge(bool selectArrivals, std::vector<std::string>* names)
{
    m_list->setUpdatesEnabled(false);
    const std::unordered_map<const ShellItem*, int> rowOf = m_model->RowIndex();
    auto rowIn = [](const std::unordered_map<const ShellItem*, int>& index, const ShellItem* item) {
        const auto found = index.find(item);
        return found == index.end() ? -1 : found->second;
    };

    std::vector<ShellItem*> arrivals;
    std::vector<int> vanishedRows;
    std::vector<const ShellItem*> vanished;
    std::vector<const ShellItem*> marked;
    for (const auto& own : m_folder->Items()) {
        ShellItem* item = own.get();
        if (selectArrivals && (item->state == ShellItem::kAdded || item->state == ShellItem::kChanged)) {
            marked.push_back(item);
            if (names)
                names->push_back(item->Name());
        }
        switch (item->state) {
        case ShellItem::kAdded:
            if (Allows(*item)) {
                item->state = ShellItem::kShown;
                m_byteTotal += item->size;
                arrivals.push_back(item);
            } else {
                item->state = ShellItem::kHidden;
            }
            break;
        case ShellItem::kVanished:
            vanishedRows.push_back(rowIn(rowOf, item));
            m_byteTotal -= item->size;
            vanished.push_back(item);
            break;
        case ShellItem::kChanged:
            item->state = ShellItem::kShown;
            m_model->RowChanged(rowIn(rowOf, item));
            break;
        default:
            break;
        }
    }
    // rows in ranges: the vanished ones out, the arrivals in at the end
    m_model->RemoveRows(std::move(vanishedRows));
    for (const ShellItem* item : vanished)
        m_folder->RemoveItem(item);
    m_model->AppendRows(arrivals);

    QItemSelectionModel* selection = m_list->SelectionModel();
    if (!marked.empty() || (!selectArrivals && names && !names->empty())) {
        const std::unordered_map<const ShellItem*, int> rowNow = m_model->RowIndex();
        if (!marked.empty()) {
            QItemSelection select;
            int last = -1;
            for (const ShellItem* item : marked) {
                const int row = rowIn(rowNow, item);
                if (row < 0)
                    continue;
                select.select(m_model->index(row, 0), m_model->index(row, 0));
                last = row;
            }
            selection->select(select, QItemSelectionModel::Select | QItemSelectionModel::Rows);
            // the last arrival ends with the focus
            if (last >= 0)
                m_list->SetRowState(last, 0);
        } else {
            const std::unordered_set<std::string> unselect(names->begin(), names->end());
            QItemSelection deselect;
            for (const auto& [item, row] : rowNow) {
                if (unselect.contains(item->Name()))
                    deselect.select(m_model->index(row, 0), m_model->index(row, 0));
            }
            selection->select(deselect, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        }
    }
    if (m_ctx.general.autoReSort) {
        SortRows();
        const int focused = m_list->FocusedRow();
        if (focused >= 0)
            m_list->SetRowState(focused, 0);
    }
    m_list->setUpdatesEnabled(true);
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

void PaneView::UpdatePaneState(const std::optional<std::string>& focusName)
{
    UpdateCaption();
    m_caption->SetActive(m_active);
    if (m_folder) {
        if (m_active) {
            // The address bar and the folder tree follow the active pane once they exist.
            if (m_ctx.setMainCaption)
                m_ctx.setMainCaption(QStringLiteral("Bivora - ") + FromBytes(m_folder->Title()));
            if (m_folder->IsFileSystem())
                SetPaneDirectory(m_folder->Path(), true);
        } else if (m_folder->IsFileSystem()) {
            // Remembered for its drive unless the active pane's folder is on the same drive.
            const PaneView* active = m_ctx.pair ? m_ctx.pair->ActivePane() : nullptr;
            const ShellFolder* activeFolder = active ? active->Folder() : nullptr;
            if (!activeFolder || !activeFolder->IsFileSystem() || DriveKey(activeFolder->Id()) != DriveKey(m_folder->Id()))
                SetPaneDirectory(m_folder->Path(), false);
        }
    }
    if (!(focusName && FocusName(*focusName, true) >= 0)) {
        int row = m_list->FocusedRow();
        if (row < 0 && m_model->rowCount() > 0)
            row = 0;
        if (row >= 0)
            m_list->SetRowState(row, 0);
    }
    ScheduleStatusUpdate();
}

void PaneView::SetPaneDirectory(const std::string& path, bool makeCurrent)
{
    if (makeCurrent && ::chdir(path.c_str()) != 0)
        return;
    const std::string drive = m_folder ? DriveKey(m_folder->Id()) : std::string();
    if (!drive.empty())
        m_ctx.shared.driveFolders[drive] = path;
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
    std::vector<int> rows;
    const QModelIndexList selected = m_list->SelectionModel()->selectedRows(0);
    rows.reserve(static_cast<std::size_t>(selected.size()));
    for (const QModelIndex& index : selected)
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
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

void PaneView::StepSelected(bool down)
{
    const std::vector<int> selected = SelectedRows();
    if (selected.empty())
        return;
    const int focused = m_list->FocusedRow();
    int row = -1;
    if (down) {
        const auto next = std::upper_bound(selected.begin(), selected.end(), focused);
        if (next != selected.end())
            row = *next;
    } else {
        const auto next = std::lower_bound(selected.begin(), selected.end(), focused);
        if (next != selected.begin())
            row = *std::prev(next);
    }
    if (row < 0) {
        row = down ? selected.front() : selected.back();
        m_ctx.status.ShowStatusMessage(QStringLiteral("Cursor warped round the pane"), true);
    }
    m_list->SetRowState(row, 0);
}

void PaneView::OpenItem(bool useFocus)
{
    const std::vector<int> selected = SelectedRows();
    int row = selected.empty() ? -1 : selected.front();
    if (row < 0 && useFocus)
        row = m_list->FocusedRow();
    const ShellItem* item = ItemAt(row);
    if (!item) {
        m_ctx.status.ShowStatusMessage(QStringLiteral("No item is selected to act upon"), true);
        return;
    }
    if (item->IsFolder(true)) {
        Target()->GoToFolder(item->AbsoluteId(true));
        return;
    }
    Execute(item->FullPath());
}

void PaneView::Execute(const std::string& path)
{
    // The worker reads the file's first bytes and starts it; the launcher's calls and
    // the report come back to the GUI thread. The worker is never waited for, so a
    // hanging disk costs a thread, not the window.
    QPointer<PaneView> self(this);
    auto launcher = std::make_shared<GuiThreadLauncher>(m_ctx.launcher, this);
    std::thread([path, self, launcher] {
        const ExecuteResult result = ExecuteItem(path, *launcher);
        if (result.Succeeded())
            return;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, message = result.message] {
                if (self)
                    self->m_ctx.status.ShowStatusMessage(message, true);
            },
            Qt::QueuedConnection);
    }).detach();
}

PaneView* PaneView::Target()
{
    return m_ctx.pair ? m_ctx.pair->TargetPane(this) : this;
}

void PaneView::Route(int id)
{
    if (m_ctx.router)
        m_ctx.router->Execute(id);
    else
        OnCommand(id);
}

void PaneView::SwitchPanes()
{
    PaneView* other = m_ctx.pair ? m_ctx.pair->OtherPane(this) : nullptr;
    if (other)
        other->Activate();
}

bool PaneView::HandleKey(QKeyEvent& event)
{
    if (event.type() != QEvent::KeyPress)
        return false;
    Qt::KeyboardModifiers mods = event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    int key = event.key();
    if (key == Qt::Key_Backtab) {
        key = Qt::Key_Tab;
        mods |= Qt::ShiftModifier;
    }
    // in details view the arrows across act as Tab, as there is nothing across to move to
    if ((key == Qt::Key_Left || key == Qt::Key_Right) && m_list->ViewStyle() == cmd::kDetails && !(mods & Qt::AltModifier))
        key = Qt::Key_Tab;

    switch (key) {
    case Qt::Key_Backspace:
        Route(mods & Qt::ShiftModifier ? cmd::kRoot : (mods & Qt::ControlModifier ? cmd::kDesktop : cmd::kParent));
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        OpenItem(true);
        return true;
    case Qt::Key_Tab:
        if ((mods & Qt::ShiftModifier) && m_ctx.focusAddressBox && m_ctx.focusAddressBox())
            return true;
        if ((mods & Qt::ControlModifier) && m_ctx.focusFolderTree && m_ctx.focusFolderTree())
            return true;
        SwitchPanes();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (!(mods & Qt::AltModifier))
            return false;
        StepSelected(key == Qt::Key_Down);
        return true;
    case Qt::Key_Delete:
        if (mods & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        if (!SelectedRows().empty())
            Route(cmd::kDelete);
        return true;
    default:
        break;
    }
    if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier)) {
        const int digit = DigitOfKey(key);
        if (digit >= 0) {
            // the bookmark commands read Shift themselves (held: set the bookmark)
            if (digit <= 5)
                Route(cmd::kBookmark0 + digit);
            else if (digit >= 7)
                Route(cmd::kLayout1 + (digit - 7));
            return true;
        }
        if ((mods & Qt::ShiftModifier) && key >= Qt::Key_A && key <= Qt::Key_Z) {
            GoToDrive(static_cast<char>('A' + (key - Qt::Key_A)));
            return true;
        }
    }
    return false;
}

void PaneView::GoToDrive(char letter)
{
    const bool toRoot = m_ctx.store.GetInt(reg::section::kMainFrameSettings, reg::value::kDriveBar2Root, 0) != 0;
    std::string text(1, letter);
    text += toRoot ? ":/" : ":";
    Target()->GoToTyped(text);
}

void PaneView::Refresh()
{
    PaneView* target = Target();
    const bool refreshed = target->RefreshPane(false, nullptr);
    m_ctx.status.ShowStatusMessage(refreshed ? QStringLiteral("%1 pane contents have been refreshed")
                                                   .arg(target->IsLeft() ? QStringLiteral("Left") : QStringLiteral("Right"))
                                             : QStringLiteral("Refresh has failed; stale-ness is triumphant again"));
}

void PaneView::GoParent()
{
    PaneView* target = Target();
    const ShellFolder* folder = target->Folder();
    if (!folder || folder->Id().IsEmpty())
        return;
    if (std::optional<ItemIdList> parent = folder->ParentId(1))
        target->GoToFolder(std::move(*parent));
}

void PaneView::GoRoot()
{
    PaneView* target = Target();
    const ShellFolder* folder = target->Folder();
    if (!folder || folder->Id().IsEmpty() || !folder->IsFileSystem() || folder->IsFileSystemRoot())
        return;
    if (std::optional<ItemIdList> root = DriveRootId(folder->Id()))
        target->GoToFolder(std::move(*root));
}

void PaneView::GoDesktopCommand()
{
    PaneView* target = Target();
    if (target->Folder() && !target->Folder()->Id().IsEmpty())
        target->GoToDesktop();
}

std::vector<SelectedItem> PaneView::SelectedItems() const
{
    std::vector<SelectedItem> items;
    static const QMimeDatabase mime;
    for (const int row : SelectedRows()) {
        const ShellItem* item = ItemAt(row);
        SelectedItem selected;
        selected.path = item->FullPath();
        selected.isFolder = item->IsFolder(true);
        selected.isLink = item->IsLink();
        if (selected.isFolder)
            selected.mimeType = "inode/directory";
        else if (item->IsFileSystem())
            selected.mimeType = mime.mimeTypeForFile(QFile::decodeName(QByteArray::fromStdString(selected.path)),
                                                     QMimeDatabase::MatchExtension)
                                    .name()
                                    .toStdString();
        items.push_back(std::move(selected));
    }
    return items;
}

void PaneView::Properties()
{
    std::vector<std::string> paths;
    for (const int row : SelectedRows())
        paths.push_back(ItemAt(row)->FullPath());
    if (paths.empty()) {
        m_ctx.status.ShowStatusMessage(QStringLiteral("No property sheet for this selection"), true);
        return;
    }
    if (!m_ctx.showProperties || !m_ctx.showProperties(this, paths))
        m_ctx.status.ShowStatusMessage(QStringLiteral("No property sheet for this selection"), true);
}

QAction* PaneView::ChooseFrom(QMenu& menu, const QPoint& globalPos)
{
    if (m_menuChooser)
        return m_menuChooser(menu, globalPos);
    return menu.exec(globalPos);
}

void PaneView::ShowContextMenu(const QPoint& globalPos)
{
    if (m_busy)
        return;
    if (!SelectedRows().empty() && ShowItemMenu(globalPos))
        return;
    ShowPaneMenu(globalPos);
}

bool PaneView::ShowItemMenu(const QPoint& globalPos)
{
    if (!m_ctx.apps || !m_folder)
        return false;
    const std::vector<SelectedItem> items = SelectedItems();
    ItemMenuOptions options;
    options.canPaste = ClipboardHoldsItems();
    options.canRename = items.size() == 1 && m_folder->IsFileSystem();
    std::unique_ptr<QMenu> menu = BuildItemContextMenu(items, *m_ctx.apps, options, this);
    if (!menu)
        return false;
    const QString verb = VerbOf(ChooseFrom(*menu, globalPos));
    if (verb.isEmpty())
        return true;
    VerbAction action = RunShellVerb(verb, items);
    if (action.kind == VerbAction::Kind::NotHandled)
        action = InvokeItemVerb(verb, items);
    switch (action.kind) {
    case VerbAction::Kind::PostCommand:
        QTimer::singleShot(0, this, [this, id = action.command] { Route(id); });
        break;
    case VerbAction::Kind::Open:
        // files start each on their own; a folder is browsed, and that ends the list
        for (const SelectedItem& item : items) {
            if (item.isFolder) {
                Target()->GoToTyped(item.path);
                break;
            }
            Execute(item.path);
        }
        break;
    case VerbAction::Kind::OpenWith:
        if (const DesktopEntry* entry = m_ctx.apps->Find(action.desktopId)) {
            std::vector<std::string> files;
            for (const SelectedItem& item : items)
                files.push_back(item.path);
            if (!LaunchApplication(*entry, files, m_ctx.launcher))
                m_ctx.status.ShowStatusMessage(QStringLiteral("The application could not be started"), true);
        }
        break;
    case VerbAction::Kind::ShowProperties:
        Properties();
        break;
    case VerbAction::Kind::PasteIntoFolder:
    case VerbAction::Kind::PasteLinkIntoFolder:
        // the transfer into a folder arrives with the clipboard and file-operation work
    case VerbAction::Kind::NotHandled:
        break;
    }
    return true;
}

void PaneView::ShowPaneMenu(const QPoint& globalPos)
{
    QMenu menu(this);
    auto add = [this](QMenu& into, const QString& text, int id) {
        QAction* action = into.addAction(text);
        action->setData(id);
        const CommandState state = m_ctx.router ? m_ctx.router->Update(id) : [this, id] {
            CommandState own;
            if (!m_list->OnUpdateCommand(id, own) && !OnUpdateCommand(id, own))
                own.enabled = false;
            return own;
        }();
        action->setEnabled(state.enabled);
        if (state.checked) {
            action->setCheckable(true);
            action->setChecked(true);
        }
    };
    add(menu, QStringLiteral("New &file"), cmd::kNewFile);
    add(menu, QStringLiteral("New f&older"), cmd::kNewFolder);
    menu.addSeparator();
    add(menu, QStringLiteral("&Paste"), cmd::kPaste);
    add(menu, QStringLiteral("Paste &Link"), cmd::kPasteShortcut);
    menu.addSeparator();
    QMenu* sortBy = menu.addMenu(QStringLiteral("&Sort by"));
    add(*sortBy, QStringLiteral("&Name"), cmd::kSortByName);
    add(*sortBy, QStringLiteral("&Type"), cmd::kSortByType);
    add(*sortBy, QStringLiteral("&Size"), cmd::kSortBySize);
    add(*sortBy, QStringLiteral("&Date"), cmd::kSortByDate);
    add(*sortBy, QStringLiteral("&Unsorted"), cmd::kUnsorted);
    sortBy->addSeparator();
    add(*sortBy, QStringLiteral("&Ascending"), cmd::kAscending);
    QMenu* view = menu.addMenu(QStringLiteral("&View"));
    add(*view, QStringLiteral("Lar&ge Icons"), cmd::kLargeIcons);
    add(*view, QStringLiteral("S&mall Icons"), cmd::kSmallIcons);
    add(*view, QStringLiteral("&List"), cmd::kList);
    add(*view, QStringLiteral("&Details"), cmd::kDetails);

    QAction* chosen = ChooseFrom(menu, globalPos);
    if (!chosen || !chosen->isEnabled())
        return;
    const int id = chosen->data().toInt();
    if (id != 0)
        QTimer::singleShot(0, this, [this, id] { Route(id); });
}

std::optional<bool> PaneView::CommandEnabled(int id) const
{
    const bool selection = m_list->SelectionModel()->hasSelection();
    const bool fileSystem = m_folder && m_folder->IsFileSystem();
    const bool desktop = !m_folder || m_folder->Id().IsEmpty();
    switch (id) {
    case cmd::kCut:
    case cmd::kCopy:
    case cmd::kDelete:
    case cmd::kProperties:
    case cmd::kCopyTo:
    case cmd::kMoveTo:
    case cmd::kLikeThisOne:
    case cmd::kSelectionStore:
        return selection;
    case cmd::kRename:
    case cmd::kView:
    case cmd::kEdit:
        return selection && fileSystem;
    case cmd::kNewFile:
    case cmd::kNewFolder:
    case cmd::kContainingText:
    case cmd::kFolderData:
    case cmd::kFindFiles:
    case cmd::kSyncOnContent:
        return fileSystem;
    case cmd::kPaste:
    case cmd::kPasteShortcut:
        return ClipboardHoldsItems();
    case cmd::kParent:
    case cmd::kDesktop:
        return !desktop;
    case cmd::kRoot:
        return !desktop && fileSystem && !m_folder->IsFileSystemRoot();
    default:
        return std::nullopt;
    }
}

bool PaneView::OnCommand(int id)
{
    if (m_busy) {
        // a command that arrives while a read runs is dropped, not run half-way
        return id == cmd::kRefresh || id == cmd::kSortAgain || id == cmd::kParent || id == cmd::kRoot
            || id == cmd::kDesktop || id == cmd::kProperties;
    }
    switch (id) {
    case cmd::kRefresh:
        Refresh();
        return true;
    case cmd::kSortAgain:
        SortRows();
        return true;
    case cmd::kParent:
        GoParent();
        return true;
    case cmd::kRoot:
        GoRoot();
        return true;
    case cmd::kDesktop:
        GoDesktopCommand();
        return true;
    case cmd::kProperties:
        Properties();
        return true;
    default:
        return false;
    }
}

bool PaneView::OnUpdateCommand(int id, CommandState& state)
{
    switch (id) {
    case cmd::kRefresh:
    case cmd::kSortAgain:
        state.enabled = m_folder != nullptr && !m_busy;
        return true;
    case cmd::kParent:
    case cmd::kRoot:
    case cmd::kDesktop:
    case cmd::kProperties:
        state.enabled = !m_busy && CommandEnabled(id).value_or(true);
        return true;
    default:
        // commands whose handlers come later stay unclaimed, and so disabled
        return false;
    }
}

void PaneView::ApplySettingsChange(bool hiddenFilesChanged, bool dateKindChanged)
{
    if (dateKindChanged) {
        m_model->SetDateKind(m_ctx.general.fileDateUzed);
        m_model->SetColumnTitle(PaneModel::kDateColumn, DateTitle(m_model->DateKind()));
        ScheduleStatusUpdate();
    }
    if (hiddenFilesChanged)
        QCoreApplication::postEvent(this, new FolderChangedEvent(nullptr));
}

bool PaneView::event(QEvent* event)
{
    if (event->type() != FolderChangedEvent::kType)
        return QWidget::event(event);
    const auto* changed = static_cast<FolderChangedEvent*>(event);
    // a message about a folder the pane has left is stale
    if (changed->Folder() && changed->Folder() != m_folder.get())
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

void PaneView::ScheduleStatusUpdate()
{
    if (m_active)
        m_statusTimer.start(0);
}

void PaneView::UpdateStatusText()
{
    if (m_active && !m_busy)
        m_ctx.status.SetPaneStatusText(StatusText());
}

QString PaneView::StatusText() const
{
    PaneStatusFacts facts;
    facts.rowCount = m_model->rowCount();
    facts.byteTotal = m_byteTotal;
    facts.fileSystemFolder = m_folder && m_folder->IsFileSystem();
    facts.dateKind = m_model->DateKind();
    const std::vector<int> selected = SelectedRows();
    facts.selectedCount = static_cast<int>(selected.size());
    for (const int row : selected)
        facts.selectedBytes += ItemAt(row)->size;
    if (selected.size() == 1) {
        const ShellItem* item = ItemAt(selected.front());
        facts.selectedIsFolder = item->IsFolder(false);
        facts.selectedIsLink = item->IsLink();
        facts.selectedSizeText = m_model->SizeText(selected.front()).toStdString();
        facts.selectedDateText = m_model->DateText(selected.front()).toStdString();
    }
    if (selected.empty() && facts.fileSystemFolder)
        facts.freeSpaceText = FreeSpaceText(FreeSpace(m_folder->Path()));
    return FromBytes(PaneStatusText(facts));
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
            if (hasRow != (item->state == ShellItem::kShown))
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
