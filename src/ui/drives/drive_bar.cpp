#include "ui/drives/drive_bar.h"

#include "ui/commands/byte_text.h"
#include "ui/commands/command_actions.h"
#include "ui/commands/command_ids.h"
#include "ui/platform/icon_cache.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QStyle>
#include <QToolButton>

namespace bivora {

namespace {

QIcon Themed(const char* name, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(QLatin1String(name), QApplication::style()->standardIcon(fallback));
}

} // namespace

DriveBar::DriveBar(CommandActions& actions, IconCache& icons, bool letters, std::function<void(int id)> run,
                   QWidget* parent)
    : QToolBar(QStringLiteral("DriveBar"), parent)
    , m_icons(icons)
    , m_run(std::move(run))
    , m_letters(letters)
{
    setObjectName(QStringLiteral("DriveBar"));
    setAllowedAreas(Qt::AllToolBarAreas);
    setIconSize(QSize(IconCache::kSmallSize, IconCache::kSmallSize));
    if (m_letters) {
        // the letters go under the icons in a small font
        QFont small = font();
        small.setPointSize(6);
        setFont(small);
        setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    } else {
        setToolButtonStyle(Qt::ToolButtonIconOnly);
    }

    m_rootCurrent = addAction(Themed("go-top", QStyle::SP_ArrowUp), QStringLiteral("Root/Current"));
    m_rootCurrent->setCheckable(true);
    m_rootCurrent->setToolTip(QStringLiteral("Root/Current (Ctrl+Q)"));
    m_rootCurrent->setStatusTip(QStringLiteral("Switch to the current or root folder of target drive (Toggle)"));
    connect(m_rootCurrent, &QAction::triggered, this, [this] { m_run(cmd::kRootCurrent); });
    addSeparator();

    QAction* network = actions.Action(cmd::kNetwork);
    if (!network) {
        network = new QAction(QStringLiteral("Network"), this);
        connect(network, &QAction::triggered, this, [this] { m_run(cmd::kNetwork); });
    }
    network->setIcon(Themed("network-workgroup", QStyle::SP_DriveNetIcon));
    network->setToolTip(QStringLiteral("Network (Ctrl+N)"));
    network->setStatusTip(QStringLiteral("Shortcut to Network Neighbourhood"));
    addAction(network);
    addSeparator();
    if (m_letters) {
        m_rootCurrent->setIconText(QStringLiteral(" "));
        network->setIconText(QStringLiteral(" "));
    }
}

void DriveBar::SetDrives(const std::vector<Drive>& drives)
{
    for (QAction* action : m_driveActions) {
        removeAction(action);
        delete action;
    }
    m_driveActions.clear();
    const std::size_t count = std::min<std::size_t>(drives.size(), kMaxDriveButtons);
    for (std::size_t i = 0; i < count; ++i) {
        const Drive& drive = drives[i];
        const QIcon icon = m_icons.Icon(m_icons.DriveIconIndex(drive.network, drive.removable));
        const int id = cmd::kDriveButton0 + static_cast<int>(i);
        auto* action = new QAction(icon, FromBytes(drive.DisplayName()), this);
        action->setToolTip(FromBytes(drive.DisplayName()));
        action->setIconText(m_letters && drive.letter ? QString(QChar::fromLatin1(drive.letter)) : QStringLiteral(" "));
        connect(action, &QAction::triggered, this, [this, id] { m_run(id); });
        addAction(action);
        m_driveActions.push_back(action);
    }
    ApplyFlat(m_flat);
}

void DriveBar::SetToRoot(bool root)
{
    m_rootCurrent->setChecked(root);
}

void DriveBar::ApplyFlat(bool flat)
{
    // flat bars can be moved and their buttons rise only under the mouse
    m_flat = flat;
    setMovable(flat);
    for (QToolButton* button : findChildren<QToolButton*>())
        button->setAutoRaise(flat);
}

} // namespace bivora
