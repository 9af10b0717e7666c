#include "ui/drives/select_drive_dlg.h"

#include "base/registry_keys.h"
#include "base/settings_store.h"
#include "ui/commands/byte_text.h"
#include "ui/commands/services.h"
#include "ui/drives/drive_texts.h"
#include "ui/platform/icon_cache.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace bivora {

namespace {

namespace section = registry::section;
namespace value = registry::value;

bool ReadFlag(const SettingsStore& store, std::string_view name, bool fallback)
{
    const int stored = store.GetInt(section::kSelectDriveDialog, name, fallback ? 1 : 0);
    return stored == 0 || stored == 1 ? stored == 1 : fallback;
}

constexpr int kSmallListRows = 8;

} // namespace

SelectDriveSettings SelectDriveSettings::Load(const SettingsStore& store)
{
    SelectDriveSettings settings;
    settings.gotoRoot = ReadFlag(store, value::kGotoRoot, settings.gotoRoot);
    settings.smallIcons = ReadFlag(store, value::kSmallIcons, settings.smallIcons);
    return settings;
}

void SelectDriveSettings::Save(SettingsStore& store) const
{
    store.WriteInt(section::kSelectDriveDialog, value::kGotoRoot, gotoRoot ? 1 : 0);
    store.WriteInt(section::kSelectDriveDialog, value::kSmallIcons, smallIcons ? 1 : 0);
}

SelectDriveDlg::SelectDriveDlg(Prompts& prompts, IconCache& icons, std::vector<Drive> drives,
                               std::optional<std::size_t> paneDrive, bool leftPane, SelectDriveSettings settings,
                               QWidget* parent)
    : QDialog(parent)
    , m_prompts(prompts)
    , m_drives(std::move(drives))
{
    setWindowTitle(QStringLiteral("Select disk drive for %1 pane").arg(leftPane ? QStringLiteral("Left")
                                                                              : QStringLiteral("Right")));
    m_list = new QListWidget(this);
    m_list->setObjectName(ControlName(kList));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setUniformItemSizes(true);
    for (const Drive& drive : m_drives) {
        auto* item = new QListWidgetItem(icons.Icon(icons.DriveIconIndex(drive.network, drive.removable)),
                                         FromBytes(DriveEntryText(drive.DisplayName())), m_list);
        item->setToolTip(FromBytes(drive.mountPath));
    }
    // the pane's drive, else the first entry
    if (m_list->count() > 0) {
        const int row = paneDrive && *paneDrive < m_drives.size() ? static_cast<int>(*paneDrive) : 0;
        m_list->setCurrentRow(row);
        m_list->scrollToItem(m_list->item(row));
    }
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (item && item->isSelected())
            accept();
    });

    m_iconToggle = new QToolButton(this);
    m_iconToggle->setObjectName(ControlName(kIconToggle));
    m_iconToggle->setCheckable(true);
    m_iconToggle->setChecked(settings.smallIcons);
    m_iconToggle->setIcon(QIcon::fromTheme(QStringLiteral("view-list-details"),
                                           QApplication::style()->standardIcon(QStyle::SP_FileDialogListView)));
    m_iconToggle->setToolTip(QStringLiteral("Small icons"));
    connect(m_iconToggle, &QToolButton::toggled, this, &SelectDriveDlg::ShowIcons);

    m_current = new QRadioButton(QStringLiteral("&Current folder of selected device"), this);
    m_current->setObjectName(ControlName(kCurrentFolder));
    m_root = new QRadioButton(QStringLiteral("&Root folder of selected device"), this);
    m_root->setObjectName(ControlName(kRootFolder));
    (settings.gotoRoot ? m_root : m_current)->setChecked(true);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* select = buttons->addButton(QStringLiteral("Select"), QDialogButtonBox::AcceptRole);
    select->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &SelectDriveDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SelectDriveDlg::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(m_list, 1);
    top->addWidget(m_iconToggle, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_current);
    layout->addWidget(m_root);
    layout->addWidget(buttons);
    setMinimumWidth(360);

    ShowIcons(settings.smallIcons);
    m_list->setFocus();
}

void SelectDriveDlg::ShowIcons(bool small)
{
    const int size = small ? IconCache::kSmallSize : IconCache::kLargeSize;
    m_list->setIconSize(QSize(size, size));
    m_list->setViewMode(small ? QListView::ListMode : QListView::IconMode);
    m_list->setMovement(QListView::Static);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setWrapping(small);
    m_list->setFlow(small ? QListView::TopToBottom : QListView::LeftToRight);
    m_list->setWordWrap(!small);
    m_list->doItemsLayout();
    if (m_list->count() == 0) {
        m_list->setMinimumHeight(0);
        m_list->setMaximumHeight(QWIDGETSIZE_MAX);
        return;
    }
    const int rowHeight = std::max(m_list->sizeHintForRow(0), size);
    const int frame = 2 * m_list->frameWidth();
    if (small) {
        // a few rows of small entries, more in columns beside them
        m_list->setMinimumHeight(0);
        m_list->setMaximumHeight(QWIDGETSIZE_MAX);
        m_list->setFixedHeight(rowHeight * kSmallListRows + frame);
    } else {
        // one row of large entries, with the scroll bar beneath when they do not fit
        int height = rowHeight * 10 / 8 + frame;
        const int entriesWidth = m_list->sizeHintForColumn(0) * m_list->count();
        if (entriesWidth > m_list->viewport()->width())
            height += m_list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_list);
        m_list->setFixedHeight(height);
    }
    if (QListWidgetItem* current = m_list->currentItem())
        m_list->scrollToItem(current);
    adjustSize();
}

SelectDriveSettings SelectDriveDlg::Settings() const
{
    return {m_root->isChecked(), m_iconToggle->isChecked()};
}

void SelectDriveDlg::accept()
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty()) {
        m_prompts.Message(this, QStringLiteral("Nothing was selected"), Prompts::Icon::Exclamation);
        m_list->setFocus();
        return;
    }
    const int row = m_list->row(selected.front());
    m_chosen = DriveGoText(m_drives[static_cast<std::size_t>(row)], m_root->isChecked());
    QDialog::accept();
}

} // namespace bivora
