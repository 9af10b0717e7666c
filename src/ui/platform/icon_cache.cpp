#include "ui/platform/icon_cache.h"

#include "shell/shell_folder.h"
#include "shell/shell_item.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

namespace bivora {

namespace {

QIcon Themed(const char* name, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(QString::fromLatin1(name), QApplication::style()->standardIcon(fallback));
}

// A small curved arrow in the lower left corner, the classic mark of a link.
void DrawLinkArrow(QPainter& painter, int size)
{
    const qreal box = size / 2.0;
    const QRectF area(0, size - box, box, box);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawRect(area.adjusted(0.5, 0.5, -0.5, -0.5));
    QPainterPath arrow;
    arrow.moveTo(area.left() + box * 0.25, area.bottom() - box * 0.2);
    arrow.quadTo(area.left() + box * 0.25, area.top() + box * 0.35, area.left() + box * 0.7, area.top() + box * 0.35);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, qMax(1.0, box / 8)));
    painter.drawPath(arrow);
    QPolygonF head;
    head << QPointF(area.left() + box * 0.6, area.top() + box * 0.15) << QPointF(area.left() + box * 0.85, area.top() + box * 0.35)
         << QPointF(area.left() + box * 0.6, area.top() + box * 0.55);
    painter.setBrush(Qt::black);
    painter.drawPolygon(head);
}

} // namespace

IconCache::IconCache() = default;

int IconCache::IndexFor(const QString& key, const QIcon& icon)
{
    if (auto it = m_index.constFind(key); it != m_index.constEnd())
        return *it;
    const int index = m_icons.size();
    m_icons.push_back(icon);
    m_linkIcons.push_back(QIcon());
    m_index.insert(key, index);
    return index;
}

QIcon IconCache::MimeIcon(const QMimeType& type)
{
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    return icon;
}

int IconCache::IconIndex(ShellItem& item)
{
    // The key is looked up before the icon is made: making one loads and decodes image
    // files, far too slow to do for every row a view paints.
    const auto indexOf = [this](const QString& key, const auto& make) {
        if (auto it = m_index.constFind(key); it != m_index.constEnd())
            return *it;
        return IndexFor(key, make());
    };
    const ItemId& id = item.Id();
    int index = -1;
    if (id.kind == ItemId::Kind::Special) {
        if (id.key == "Computer")
            index = indexOf(QStringLiteral("special:computer"),
                            [] { return Themed("computer", QStyle::SP_ComputerIcon); });
        else if (id.key == "Home")
            index = indexOf(QStringLiteral("special:home"), [] { return Themed("user-home", QStyle::SP_DirHomeIcon); });
        else if (id.key == "Documents")
            index = indexOf(QStringLiteral("special:documents"),
                            [] { return Themed("folder-documents", QStyle::SP_DirIcon); });
        else if (id.key == "Network")
            index = indexOf(QStringLiteral("special:network"),
                            [] { return Themed("network-workgroup", QStyle::SP_DriveNetIcon); });
        else if (id.key == "Trash")
            index = indexOf(QStringLiteral("special:trash"), [] { return Themed("user-trash", QStyle::SP_TrashIcon); });
    } else if (id.kind == ItemId::Kind::Drive || id.kind == ItemId::Kind::NetworkDrive) {
        if (id.kind == ItemId::Kind::NetworkDrive)
            index = indexOf(QStringLiteral("drive:network"),
                            [] { return Themed("folder-remote", QStyle::SP_DriveNetIcon); });
        else if (item.Attributes() & attr::kRemovable)
            index = indexOf(QStringLiteral("drive:removable"),
                            [] { return Themed("drive-removable-media", QStyle::SP_DriveFDIcon); });
        else
            index = indexOf(QStringLiteral("drive:fixed"),
                            [] { return Themed("drive-harddisk", QStyle::SP_DriveHDIcon); });
    }
    if (index < 0 && item.IsFolder(false)) {
        index = indexOf(QStringLiteral("inode/directory"), [] { return Themed("folder", QStyle::SP_DirIcon); });
    }
    if (index < 0) {
        // By name first; the content is read only when the name says nothing.
        const QString path = QFile::decodeName(QByteArray::fromStdString(item.FullPath()));
        const QMimeType type = item.IsFileSystem() ? m_mime.mimeTypeForFile(path, QMimeDatabase::MatchDefault)
                                                   : m_mime.mimeTypeForName(QStringLiteral("application/octet-stream"));
        index = indexOf(type.name(), [this, &type] { return MimeIcon(type); });
    }
    return index;
}

QIcon IconCache::WithLinkEmblem(const QIcon& icon) const
{
    QIcon result;
    for (const int size : {kSmallSize, kLargeSize}) {
        QPixmap pixmap = icon.pixmap(size, size);
        if (pixmap.isNull()) {
            pixmap = QPixmap(size, size);
            pixmap.fill(Qt::transparent);
        }
        QPainter painter(&pixmap);
        const QIcon emblem = QIcon::fromTheme(QStringLiteral("emblem-symbolic-link"));
        if (!emblem.isNull())
            emblem.paint(&painter, QRect(0, size / 2, size / 2, size / 2));
        else
            DrawLinkArrow(painter, size);
        painter.end();
        result.addPixmap(pixmap);
    }
    return result;
}

QIcon IconCache::Icon(int index, bool link)
{
    if (index < 0 || index >= m_icons.size())
        return QIcon();
    if (!link)
        return m_icons[index];
    if (m_linkIcons[index].isNull())
        m_linkIcons[index] = WithLinkEmblem(m_icons[index]);
    return m_linkIcons[index];
}

} // namespace bivora
