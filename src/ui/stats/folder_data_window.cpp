#include "ui/stats/folder_data_window.h"

#include "base/registry_keys.h"
#include "base/settings_store.h"
#include "base/text_forms.h"
#include "base/window_rect.h"
#include "shell/volume_info.h"
#include "ui/commands/byte_text.h"
#include "ui/commands/status_service.h"
#include "ui/jobs/off_thread_read.h"
#include "ui/platform/window_placement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <mutex>
#include <vector>

namespace bivora {

namespace {

constexpr int kNodeRole = Qt::UserRole;

// The sort key, shared by every window of the run: read from the settings by the first
// window, stored again whenever a window changes it.
struct SortSetting {
    bool read = false;
    int key = kFolderDataSortBySize;
};

SortSetting& Sorting(const SettingsStore& store)
{
    static SortSetting setting;
    if (!setting.read) {
        setting.read = true;
        const int stored = store.GetInt(registry::section::kFolderDataSettings, registry::value::kSortBy, kFolderDataSortBySize);
        setting.key = stored == kFolderDataSortByName ? kFolderDataSortByName : kFolderDataSortBySize;
    }
    return setting;
}

const FolderStatNode* NodeOf(const QTreeWidgetItem* item)
{
    return item ? reinterpret_cast<const FolderStatNode*>(item->data(0, kNodeRole).value<quintptr>()) : nullptr;
}

QString NodeText(const FolderStatNode& node)
{
    QString name = FromBytes(node.name);
    if (!node.parent) { // the start folder by its own name
        std::string_view path = node.name;
        while (path.size() > 1 && path.back() == '/')
            path.remove_suffix(1);
        if (const auto slash = path.rfind('/'); slash != std::string_view::npos && path.size() > 1)
            path.remove_prefix(slash + 1);
        name = FromBytes(path);
    }
    if (!node.accessible)
        name += QStringLiteral(" <NOT accessible>");
    return QStringLiteral("%1 \"%2\": Sub-Folders=%3, Files=%4")
        .arg(QString::fromStdString(KbSizeText(node.TotalKb())), name)
        .arg(node.TotalFolders())
        .arg(node.TotalFiles());
}

// What the worker hands over; shared with it, so a worker that outlives the wait is safe.
struct ReadJob {
    std::mutex mutex;
    std::shared_ptr<FolderStats> stats;
    std::optional<std::uint64_t> freeBytes;
};

} // namespace

FolderDataWindow::FolderDataWindow(std::shared_ptr<const FolderStats> stats, std::optional<std::uint64_t> freeBytes,
                                   const FolderDataServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window), m_stats(std::move(stats)), m_store(services.store), m_browse(services.browse)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("FolderDataWindow"));
    const QString freeText = freeBytes ? QString::fromStdString(KbSizeText(*freeBytes / 1024)) : QStringLiteral("???");
    setWindowTitle(QStringLiteral("Folder Statistics (Disk free space: %1)").arg(freeText));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(7, 7, 7, 7);
    m_tree = new QTreeWidget(this);
    m_tree->setHeaderHidden(true);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(m_tree);
    QStringList notes;
    if (m_stats->inaccessible > 0)
        notes << QStringLiteral("%1 folder(s) were not accessible").arg(m_stats->inaccessible);
    if (m_stats->otherFileSystems > 0)
        notes << QStringLiteral("%1 folder(s) on other file systems were not read").arg(m_stats->otherFileSystems);
    if (m_stats->stopped)
        notes << QStringLiteral("The reading was interrupted: the figures cover what was read");
    if (!notes.isEmpty()) {
        auto* label = new QLabel(notes.join(QStringLiteral("; ")), this);
        label->setObjectName(QStringLiteral("notes"));
        layout->addWidget(label);
    }
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this] { Browse(); });
    connect(m_tree, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { ShowMenu(at, true); });

    Fill();
    SortBy(Sorting(m_store).key);
    resize(560, 440);
    if (m_store.ReadString(registry::section::kFolderDataSettings, registry::value::kWindowRect))
        PlaceWindowFromSettings(m_store, registry::section::kFolderDataSettings, *this);
}

// Depth first with a stack of its own: a tree thousands of levels deep is filled all the same.
void FolderDataWindow::Fill()
{
    const FolderStatNode* root = m_stats->Root();
    if (!root)
        return;
    std::vector<std::pair<const FolderStatNode*, QTreeWidgetItem*>> pending{{root, nullptr}};
    QTreeWidgetItem* rootItem = nullptr;
    while (!pending.empty()) {
        const auto [node, parentItem] = pending.back();
        pending.pop_back();
        auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(m_tree);
        item->setText(0, NodeText(*node));
        item->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
        item->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
        if (!rootItem)
            rootItem = item;
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it)
            pending.emplace_back(*it, item);
        if (node->ownFiles > 0) {
            // added before the children (which come later off the stack): the sort puts it last
            auto* files = new QTreeWidgetItem(item);
            files->setText(0, QStringLiteral("%1 in %2 local file(s)")
                                  .arg(QString::fromStdString(KbSizeText(node->ownKb)))
                                  .arg(node->ownFiles));
            files->setIcon(0, style()->standardIcon(QStyle::SP_FileIcon));
        }
    }
    rootItem->setExpanded(true);
}

void FolderDataWindow::SortBy(int key)
{
    SortSetting& setting = Sorting(m_store);
    if (setting.key != key) {
        setting.key = key;
        m_store.WriteInt(registry::section::kFolderDataSettings, registry::value::kSortBy, key);
    }
    const auto before = [key](QTreeWidgetItem* a, QTreeWidgetItem* b) {
        const FolderStatNode* left = NodeOf(a);
        const FolderStatNode* right = NodeOf(b);
        if (!left || !right)
            return left && !right; // the local files come last
        if (key == kFolderDataSortByName)
            return left->name < right->name;
        return left->TotalKb() > right->TotalKb();
    };
    std::vector<QTreeWidgetItem*> pending;
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i)
        pending.push_back(m_tree->topLevelItem(i));
    while (!pending.empty()) {
        QTreeWidgetItem* item = pending.back();
        pending.pop_back();
        if (item->childCount() == 0)
            continue;
        const bool expanded = item->isExpanded();
        QList<QTreeWidgetItem*> children = item->takeChildren();
        std::stable_sort(children.begin(), children.end(), before);
        item->addChildren(children);
        item->setExpanded(expanded);
        for (QTreeWidgetItem* child : children)
            pending.push_back(child);
    }
}

void FolderDataWindow::Browse()
{
    const FolderStatNode* node = NodeOf(m_tree->currentItem());
    if (node && m_browse)
        m_browse(FolderStatPath(*node));
}

void FolderDataWindow::ShowMenu(const QPoint& at, bool fromMouse)
{
    QTreeWidgetItem* under = fromMouse ? m_tree->itemAt(at) : m_tree->currentItem();
    if (fromMouse && under)
        m_tree->setCurrentItem(under);
    QMenu menu(this);
    QAction* browse = menu.addAction(QStringLiteral("&Browse"), this, [this] { Browse(); });
    browse->setEnabled(NodeOf(under) != nullptr);
    menu.addSeparator();
    const int key = Sorting(m_store).key;
    QAction* byName = menu.addAction(QStringLiteral("Sort by &Name"), this, [this] { SortBy(kFolderDataSortByName); });
    QAction* bySize = menu.addAction(QStringLiteral("Sort by &Size"), this, [this] { SortBy(kFolderDataSortBySize); });
    byName->setCheckable(true);
    byName->setChecked(key == kFolderDataSortByName);
    bySize->setCheckable(true);
    bySize->setChecked(key == kFolderDataSortBySize);
    menu.exec(m_tree->viewport()->mapToGlobal(at));
}

void FolderDataWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Browse();
        return;
    case Qt::Key_Escape:
        close();
        return;
    case Qt::Key_Menu:
        if (QTreeWidgetItem* item = m_tree->currentItem())
            ShowMenu(m_tree->visualItemRect(item).center(), false);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void FolderDataWindow::closeEvent(QCloseEvent* event)
{
    WriteWindowRect(m_store, registry::section::kFolderDataSettings, NormalWindowRect(*this));
    QWidget::closeEvent(event);
}

FolderDataWindow* ShowFolderData(const std::string& folder, const FolderDataServices& services, QWidget* parent)
{
    auto job = std::make_shared<ReadJob>();
    RunOffGuiThread(
        services.jobs,
        [job, folder](const std::atomic<bool>& stop) {
            auto stats = std::make_shared<FolderStats>(ReadFolderStats(folder, stop));
            const std::optional<std::uint64_t> freeBytes = FreeSpace(folder);
            const std::lock_guard lock(job->mutex);
            job->stats = std::move(stats);
            job->freeBytes = freeBytes;
        },
        {&services.status, QStringLiteral("Reading sub-tree..."), 300});

    std::shared_ptr<FolderStats> stats;
    std::optional<std::uint64_t> freeBytes;
    {
        const std::lock_guard lock(job->mutex);
        stats = job->stats; // none when a worker stuck on a dead mount was given up
        freeBytes = job->freeBytes;
    }
    if (!stats || stats->failed || !stats->Root()) {
        if (stats && stats->failed) {
            services.status.ShowStatusMessage(QStringLiteral("The current folder is fully un-cooperative"), true);
            QApplication::beep();
        } else {
            services.status.ShowStatusMessage({}, false); // stopped before anything was read
        }
        return nullptr;
    }
    if (stats->inaccessible > 0) {
        services.status.ShowStatusMessage(QStringLiteral("Some parts of the tree were not accessible"), true);
        QApplication::beep();
    } else {
        services.status.ShowStatusMessage({}, false);
    }
    auto* window = new FolderDataWindow(std::move(stats), freeBytes, services, parent);
    window->show();
    return window;
}

} // namespace bivora
