#include "ui/find/find_results_window.h"

#include "base/general_settings.h"
#include "base/registry_keys.h"
#include "base/row_order.h"
#include "base/row_sort_keys.h"
#include "base/settings_store.h"
#include "base/sort_param.h"
#include "base/text_forms.h"
#include "base/window_rect.h"
#include "shell/file_operation.h"
#include "shell/shell_namespace.h"
#include "shell/thread_priority.h"
#include "ui/commands/byte_text.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/services.h"
#include "ui/jobs/file_op_runner.h"
#include "ui/jobs/job_registry.h"
#include "ui/platform/open_in_editor.h"
#include "ui/platform/window_placement.h"
#include "ui/widgets/sort_list_ctrl.h"
#include "ui/widgets/sortable_row_model.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <iterator>
#include <mutex>
#include <numeric>

namespace bivora {

namespace {

constexpr std::string_view kSection = registry::section::kFindFileFolderSettings;

// Folder paths in the In Folder order: letter case ignored, then byte for byte so that
// two folders differing only in case stay apart.
int CompareFolders(const std::string& a, const std::string& b)
{
    if (const int folded = CompareNames(a, b); folded != 0)
        return folded;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

} // namespace

// The rows: one per match, in the order the list shows them. Folder paths are kept once
// for the matches of one folder, which the search delivers together.
class FindResultsModel final : public SortableRowModel {
public:
    struct Row {
        std::string name;
        std::uint32_t folder = 0;
        bool isDirectory = false;
        bool isLink = false;
        std::uint64_t size = 0;
        std::int64_t time = 0; // of the date kind the window shows
    };

    FindResultsModel(DateKind dateKind, QIcon folderIcon, QIcon fileIcon)
        : m_dateKind(dateKind), m_folderIcon(std::move(folderIcon)), m_fileIcon(std::move(fileIcon))
    {
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        const Row& row = m_rows[static_cast<std::size_t>(index.row())];
        if (role == Qt::DisplayRole) {
            switch (index.column()) {
            case 0:
                return FromBytes(row.name);
            case 1:
                return FromBytes(m_folders[row.folder]);
            case 2:
                return FromBytes(SizeColumnText(row.isDirectory, true, row.size));
            case 3:
                return FromBytes(DateTimeText(row.time));
            default:
                return {};
            }
        }
        if (role == Qt::DecorationRole && index.column() == 0)
            return row.isDirectory ? m_folderIcon : m_fileIcon;
        return {};
    }

    void Append(std::vector<FindMatch>&& matches)
    {
        if (matches.empty())
            return;
        const int first = rowCount();
        beginInsertRows({}, first, first + static_cast<int>(matches.size()) - 1);
        // room for this batch only would move every row at every batch: the vector grows as it will
        for (FindMatch& match : matches) {
            if (m_folders.empty() || m_folders.back() != match.folder)
                m_folders.push_back(std::move(match.folder));
            Row row;
            row.name = std::move(match.data.name);
            row.folder = static_cast<std::uint32_t>(m_folders.size() - 1);
            row.isDirectory = match.data.isDirectory;
            row.isLink = match.data.isLink;
            row.size = match.data.size;
            row.time = m_dateKind == DateKind::kCreated    ? match.data.created
                : m_dateKind == DateKind::kAccessed ? match.data.accessed
                                                    : match.data.modified;
            m_rows.push_back(std::move(row));
        }
        m_sortKeys.Clear();
        endInsertRows();
    }

    // Removes the rows (ascending, no duplicates), each run of neighbours as one range.
    void Remove(const std::vector<int>& rows)
    {
        std::size_t end = rows.size();
        while (end > 0) {
            std::size_t begin = end - 1;
            while (begin > 0 && rows[begin - 1] == rows[begin] - 1)
                --begin;
            const int first = rows[begin];
            const int last = rows[end - 1];
            beginRemoveRows({}, first, last);
            m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
            m_sortKeys.Clear();
            endRemoveRows();
            end = begin;
        }
    }

    const Row& At(int row) const { return m_rows[static_cast<std::size_t>(row)]; }
    const std::string& FolderOf(int row) const { return m_folders[At(row).folder]; }
    std::string PathOf(int row) const
    {
        const std::string& folder = FolderOf(row);
        return folder.ends_with('/') ? folder + At(row).name : folder + '/' + At(row).name;
    }

    // The results order: In Folder by folder path, then name; every other key the
    // pane's row order.
    int Compare(int a, int b, std::uint32_t param) const
    {
        const Row& left = At(a);
        const Row& right = At(b);
        if (SortParamKey(param) == cmd::kSortByFolder) {
            int result = CompareFolders(m_folders[left.folder], m_folders[right.folder]);
            if (result == 0)
                result = CompareNames(left.name, right.name);
            return SortParamAscending(param) ? result : -result;
        }
        return CompareRowKeys(KeyOf(left), KeyOf(right), param, DateKind::kModified);
    }

    // All rows in that order at once. The pane's keys are gathered once into compact sort
    // keys (kept in step with the rows until rows come or go) and sorted by radix. By
    // folder, the folders are ranked once, the rows counted into their folder's place and
    // each folder's rows ordered by name, so a million rows never compare paths.
    std::vector<int> Order(std::uint32_t param) const
    {
        if (SortParamKey(param) != cmd::kSortByFolder) {
            if (m_sortKeys.Size() != m_rows.size())
                m_sortKeys.Build(m_rows, DateKind::kModified, &KeyOf);
            return m_sortKeys.Order(param);
        }
        std::vector<std::uint32_t> folders(m_folders.size());
        std::iota(folders.begin(), folders.end(), 0u);
        std::sort(folders.begin(), folders.end(), [this](std::uint32_t a, std::uint32_t b) {
            return CompareFolders(m_folders[a], m_folders[b]) < 0;
        });
        const bool ascending = SortParamAscending(param);
        // equal paths (a folder met twice) share a rank; descending turns the ranks round
        std::vector<std::uint32_t> rank(m_folders.size());
        std::uint32_t ranks = 0;
        for (std::size_t i = 0; i < folders.size(); ++i) {
            if (i > 0 && m_folders[folders[i]] != m_folders[folders[i - 1]])
                ++ranks;
            rank[folders[i]] = ranks;
        }
        ++ranks;
        if (!ascending)
            for (std::uint32_t& r : rank)
                r = ranks - 1 - r;
        // a stable counting sort by rank
        std::vector<std::size_t> start(static_cast<std::size_t>(ranks) + 1, 0);
        for (const Row& row : m_rows)
            ++start[rank[row.folder] + 1];
        std::partial_sum(start.begin(), start.end(), start.begin());
        std::vector<int> order(m_rows.size());
        std::vector<std::size_t> next(start.begin(), start.end() - 1);
        for (std::size_t i = 0; i < m_rows.size(); ++i)
            order[next[rank[m_rows[i].folder]]++] = static_cast<int>(i);
        for (std::uint32_t r = 0; r < ranks; ++r) {
            const auto first = order.begin() + static_cast<std::ptrdiff_t>(start[r]);
            const auto last = order.begin() + static_cast<std::ptrdiff_t>(start[r + 1]);
            std::stable_sort(first, last, [this, ascending](int a, int b) {
                const int result = CompareNames(At(a).name, At(b).name);
                return (ascending ? result : -result) < 0;
            });
        }
        return order;
    }

protected:
    void PermuteRows(const std::vector<int>& newOrder) override
    {
        std::vector<Row> rows;
        rows.reserve(m_rows.size());
        for (int from : newOrder)
            rows.push_back(std::move(m_rows[static_cast<std::size_t>(from)]));
        m_rows = std::move(rows);
        if (m_sortKeys.Size() == m_rows.size())
            m_sortKeys.Permute(newOrder);
    }

private:
    static RowKey KeyOf(const Row& row)
    {
        RowKey key;
        key.name = row.name;
        key.folder = row.isDirectory;
        key.size = row.size;
        key.modified = key.created = key.accessed = row.time;
        return key;
    }

    DateKind m_dateKind;
    QIcon m_folderIcon;
    QIcon m_fileIcon;
    std::vector<Row> m_rows;
    std::vector<std::string> m_folders;
    mutable RowSortKeys m_sortKeys; // empty, or one key for each row in the rows' order
};

// What the worker and the window share. The worker posts to the window only while
// holding the lock and only while the window is there; the window leaves under the lock.
struct FindResultsWindow::Channel {
    std::mutex mutex;
    std::condition_variable endedSignal;
    FindResultsWindow* window = nullptr;
    // Batches handed over and not yet taken by the window: those that come while the
    // window is busy wait here and join the next append, so a window slower than the
    // search adds fewer, larger ranges instead of falling behind one batch at a time.
    // Only moved in and out under the lock, which the worker at its low priority holds
    // for no longer than that.
    std::vector<std::vector<FindMatch>> pending;
    bool takePosted = false;
    std::string scanning;
    bool scanningChanged = false;
    bool ended = false;
};

FindResultsWindow::FindResultsWindow(FindCriteria criteria, FindResultsServices services, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_criteria(std::move(criteria))
    , m_services(std::move(services))
    , m_channel(std::make_shared<Channel>())
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("FindResultsWindow"));
    const DateKind dateKind = DateKindFromSetting(m_services.general.fileDateUzed);
    m_model = std::make_unique<FindResultsModel>(dateKind, style()->standardIcon(QStyle::SP_DirIcon),
                                                 style()->standardIcon(QStyle::SP_FileIcon));
    GeneralSettings& general = m_services.general;
    m_list = new SortListCtrl(*m_model, m_services.store, [&general] { return general.saveSettings; }, this);
    m_list->setObjectName(QStringLiteral("results"));
    static const char* const kDateTitles[] = {"Modified", "Created", "Accessed"};
    m_list->MakeColumns({QStringLiteral("Name"), QStringLiteral("In Folder"), QStringLiteral("Size"),
                         QString::fromLatin1(kDateTitles[DateKindSetting(dateKind)])},
                        {150, 250, 70, 120}, {Qt::AlignLeft, Qt::AlignLeft, Qt::AlignRight, Qt::AlignLeft},
                        std::string(kSection));
    FindResultsModel* model = m_model.get();
    m_list->AttachSorting([model](int a, int b, std::uint32_t param) { return model->Compare(a, b, param); },
                          {cmd::kSortByName, cmd::kSortByFolder, cmd::kSortBySize, cmd::kSortByDate});
    m_list->SetOrdering([model](std::uint32_t param) { return model->Order(param); });
    m_list->RestoreViewStyle();
    m_list->SetKeyHandler([this](QKeyEvent& event) { return HandleListKey(event); });
    connect(m_list, &SortListCtrl::RowDoubleClicked, this, [this](int row) {
        if (row >= 0)
            Browse();
    });
    connect(m_list, &SortListCtrl::ContextMenuRequested, this,
            [this](const QPoint& at, bool) { ShowMenu(at); });

    auto* statusBar = new QStatusBar(this);
    statusBar->setSizeGripEnabled(true);
    statusBar->setFixedHeight(20);
    m_status = new QLabel(statusBar);
    m_status->setObjectName(QStringLiteral("status"));
    statusBar->addWidget(m_status, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(7, 7, 7, 0);
    layout->setSpacing(4);
    layout->addWidget(m_list, 1);
    layout->addWidget(statusBar);

    m_progress = new QTimer(this);
    m_progress->setInterval(150);
    connect(m_progress, &QTimer::timeout, this, [this] {
        const std::lock_guard lock(m_channel->mutex);
        if (m_channel->scanningChanged) {
            m_channel->scanningChanged = false;
            SetStatus(QStringLiteral("Searching: %1").arg(FromBytes(m_channel->scanning)));
        }
    });

    setWindowTitle(QStringLiteral("Searching... (ESC to cancel)"));
    resize(640, 400);
    if (m_services.store.ReadString(kSection, registry::value::kWindowRect))
        PlaceWindowFromSettings(m_services.store, kSection, *this);
}

FindResultsWindow::~FindResultsWindow()
{
    DetachWorker();
    // the list goes before the model it shows
    delete m_list;
    m_list = nullptr;
}

bool FindResultsWindow::Start()
{
    m_channel->window = this;
    FindSearch search = m_services.search ? m_services.search : FindSearch(&SearchFiles);
    std::shared_ptr<Channel> channel = m_channel;
    auto work = [channel, criteria = m_criteria, ns = m_services.ns, search](const std::atomic<bool>& stop) {
        // a long search yields to the window and to everything else (the thread is the job's own)
        LowerThreadToIdlePriority();
        FindSink sink;
        sink.matches = [channel](std::vector<FindMatch>&& batch) {
            const std::lock_guard lock(channel->mutex);
            FindResultsWindow* window = channel->window;
            if (!window)
                return;
            channel->pending.push_back(std::move(batch));
            if (!channel->takePosted) {
                channel->takePosted = true;
                QMetaObject::invokeMethod(window, [window] { window->TakePending(); }, Qt::QueuedConnection);
            }
        };
        sink.scanning = [channel](const std::string& folder) {
            const std::lock_guard lock(channel->mutex);
            channel->scanning = folder;
            channel->scanningChanged = true;
        };
        search(criteria, *ns, stop, sink);
        {
            const std::lock_guard lock(channel->mutex);
            channel->ended = true;
        }
        channel->endedSignal.notify_all();
    };
    m_job = m_services.jobs.Start(std::move(work), [self = QPointer<FindResultsWindow>(this)] {
        if (self)
            self->SearchEnded();
    });
    if (m_job == 0) {
        m_channel->window = nullptr;
        return false;
    }
    m_searching = true;
    m_progress->start();
    return true;
}

void FindResultsWindow::DetachWorker()
{
    if (!m_searching)
        return;
    m_services.jobs.Stop(m_job);
    std::unique_lock lock(m_channel->mutex);
    m_channel->window = nullptr;
    // a worker stuck on a dead mount is left to end on its own; it reaches nothing here
    m_channel->endedSignal.wait_for(lock, std::chrono::seconds(2), [this] { return m_channel->ended; });
    m_searching = false;
}

void FindResultsWindow::AddMatches(std::vector<FindMatch> matches)
{
    m_model->Append(std::move(matches));
}

void FindResultsWindow::TakePending()
{
    std::vector<std::vector<FindMatch>> batches;
    {
        const std::lock_guard lock(m_channel->mutex);
        batches.swap(m_channel->pending);
        m_channel->takePosted = false;
    }
    if (batches.empty())
        return;
    std::vector<FindMatch> matches = std::move(batches.front());
    for (std::size_t i = 1; i < batches.size(); ++i)
        matches.insert(matches.end(), std::make_move_iterator(batches[i].begin()),
                       std::make_move_iterator(batches[i].end()));
    AddMatches(std::move(matches));
}

void FindResultsWindow::SearchEnded()
{
    if (!m_searching)
        return;
    TakePending(); // the last batch, should its append not have come yet
    m_searching = false;
    m_progress->stop();
    {
        const std::lock_guard lock(m_channel->mutex);
        m_channel->window = nullptr;
    }
    setWindowTitle(QStringLiteral("Find results in %1").arg(FromBytes(m_criteria.lookIn)));
    if (RowCount() == 0) {
        SetStatus(QStringLiteral("No matching items found -- why don't I self-destruct?"));
        StartAutoClose();
        return;
    }
    SetStatus(QStringLiteral("%1 item(s) found").arg(RowCount()));
    if (m_list->SortKey() != cmd::kUnsorted)
        m_list->Sort();
}

int FindResultsWindow::RowCount() const
{
    return m_model->rowCount();
}

std::string FindResultsWindow::PathOf(int row) const
{
    return m_model->PathOf(row);
}

QString FindResultsWindow::StatusText() const
{
    return m_status->text();
}

void FindResultsWindow::SetStatus(const QString& text)
{
    m_status->setText(text);
}

void FindResultsWindow::StartAutoClose()
{
    QTimer::singleShot(m_services.autoCloseMs, this, [this] { close(); });
}

void FindResultsWindow::Browse()
{
    const std::vector<int> rows = m_list->SelectedRows();
    if (rows.empty() || !m_services.browse)
        return;
    // the first selected row in the list's order, with the others of its folder
    const std::string folder = m_model->FolderOf(rows.front());
    std::vector<std::string> names;
    for (int row : rows)
        if (m_model->FolderOf(row) == folder)
            names.push_back(m_model->At(row).name);
    m_services.browse(folder, names);
}

void FindResultsWindow::ViewFile()
{
    const std::vector<int> rows = m_list->SelectedRows();
    if (rows.empty())
        return;
    if (m_model->At(rows.front()).isDirectory) {
        QApplication::beep();
        return;
    }
    // Ctrl held forces the program's own viewer, as in the panes
    const QString alert = OpenInEditor(PathOf(rows.front()), true, m_services.keyboard.Ctrl(), m_services.general,
                                       m_services.launcher, m_services.prompts, this, m_services.openInternal);
    if (!alert.isEmpty())
        m_services.prompts.Message(this, alert, Prompts::Icon::Exclamation);
}

void FindResultsWindow::DeleteSelected()
{
    const std::vector<int> rows = m_list->SelectedRows();
    if (rows.empty())
        return;
    const bool permanent = m_services.keyboard.Shift();
    FileOpRequest request;
    request.kind = permanent ? FileOpKind::Delete : FileOpKind::Trash;
    for (int row : rows)
        request.sources.push_back(PathOf(row));
    // the rows go first, whatever becomes of the items
    m_model->Remove(rows);
    if (RowCount() == 0) {
        SetStatus(QStringLiteral("Automatically quitting window..."));
        StartAutoClose();
    } else {
        SetStatus(QStringLiteral("%1 item(s) found").arg(RowCount()));
    }

    if (permanent) {
        const QString question = request.sources.size() == 1
            ? QStringLiteral("Delete '%1' permanently?\n\nIt does not go to the trash and cannot be brought back.")
                  .arg(FromBytes(request.sources.front()))
            : QStringLiteral("Delete these %1 items permanently?\n\nThey do not go to the trash and cannot be "
                             "brought back.")
                  .arg(request.sources.size());
        if (!m_services.prompts.AskYesNo(this, question, Prompts::Icon::Exclamation))
            return;
    }
    const Environment env = m_services.ns->Env();
    FileOpRunOptions options;
    options.parent = this;
    options.title = QStringLiteral("Deleting");
    RunFileOpJob(
        m_services.jobs, m_services.prompts,
        [request, env](FileOpCallbacks& callbacks, const std::atomic<bool>& cancel) {
            return RunFileOperation(request, callbacks, RealFileSystem(), env, &cancel);
        },
        options);
}

bool FindResultsWindow::HandleListKey(QKeyEvent& event)
{
    const Qt::KeyboardModifiers mods = event.modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    if (mods != Qt::NoModifier)
        return false;
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Browse();
        return true;
    case Qt::Key_F3:
        if (m_list->SelectedRows().size() == 1)
            ViewFile();
        return true;
    case Qt::Key_Delete:
        DeleteSelected();
        return true;
    case Qt::Key_Escape:
        close();
        return true;
    default:
        return false;
    }
}

void FindResultsWindow::keyPressEvent(QKeyEvent* event)
{
    if (HandleListKey(*event))
        return;
    QWidget::keyPressEvent(event);
}

void FindResultsWindow::closeEvent(QCloseEvent* event)
{
    if (m_searching) {
        // the first close request only stops the search; its end keeps the window open
        m_services.jobs.Stop(m_job);
        event->ignore();
        return;
    }
    if (m_services.general.saveSettings)
        WriteWindowRect(m_services.store, kSection, NormalWindowRect(*this));
    QWidget::closeEvent(event);
}

void FindResultsWindow::ShowMenu(const QPoint& globalPos)
{
    QMenu menu(this);
    auto addCommand = [this](QMenu* to, const QString& text, int id) {
        QAction* action = to->addAction(text, this, [this, id] { m_list->OnCommand(id); });
        CommandState state;
        if (m_list->OnUpdateCommand(id, state)) {
            action->setEnabled(state.enabled);
            action->setCheckable(true);
            action->setChecked(state.checked);
        }
        return action;
    };
    QMenu* sortBy = menu.addMenu(QStringLiteral("&Sort by"));
    addCommand(sortBy, QStringLiteral("&Folder"), cmd::kSortByFolder);
    addCommand(sortBy, QStringLiteral("&Name"), cmd::kSortByName);
    addCommand(sortBy, QStringLiteral("&Size"), cmd::kSortBySize);
    addCommand(sortBy, QStringLiteral("&Date"), cmd::kSortByDate);
    addCommand(sortBy, QStringLiteral("&Type"), cmd::kSortByType);
    addCommand(sortBy, QStringLiteral("&Unsorted"), cmd::kUnsorted);
    sortBy->addSeparator();
    addCommand(sortBy, QStringLiteral("&Ascending"), cmd::kAscending);
    QMenu* view = menu.addMenu(QStringLiteral("Vie&w"));
    addCommand(view, QStringLiteral("Lar&ge Icons"), cmd::kLargeIcons);
    addCommand(view, QStringLiteral("S&mall Icons"), cmd::kSmallIcons);
    addCommand(view, QStringLiteral("&List"), cmd::kList);
    addCommand(view, QStringLiteral("&Details"), cmd::kDetails);
    menu.addSeparator();
    const std::size_t selected = m_list->SelectedRows().size();
    menu.addAction(QStringLiteral("&Browse\tEnter"), this, [this] { Browse(); })->setEnabled(selected > 0);
    menu.addAction(QStringLiteral("&View file\tF3"), this, [this] { ViewFile(); })->setEnabled(selected == 1);
    menu.addAction(QStringLiteral("&Delete\tDel"), this, [this] { DeleteSelected(); })->setEnabled(selected > 0);
    menu.exec(globalPos);
}

} // namespace bivora
