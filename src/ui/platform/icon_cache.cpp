#include "ui/platform/icon_cache.h"

#include "shell/file_head.h"
#include "shell/shell_folder.h"
#include "shell/shell_item.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

#include <chrono>

namespace bivora {

namespace {

// as much of a file as the MIME magic rules look at
constexpr std::size_t kHeadBytes = 16 * 1024;
// a batch reports what it found at least this often, so the first rows change soon
constexpr auto kReportEvery = std::chrono::milliseconds(100);
constexpr int kFoundDelayMs = 100;

const QString& GenericType()
{
    static const QString name = QStringLiteral("application/octet-stream");
    return name;
}

// Worker side: the MIME type of what SniffFileHead found.
QString ContentType(const QMimeDatabase& mime, const FileHead& head)
{
    switch (head.kind) {
    case FileHead::Kind::Regular:
        return mime.mimeTypeForData(QByteArray::fromStdString(head.bytes)).name();
    case FileHead::Kind::Directory:
        return QStringLiteral("inode/directory");
    case FileHead::Kind::Fifo:
        return QStringLiteral("inode/fifo");
    case FileHead::Kind::Socket:
        return QStringLiteral("inode/socket");
    case FileHead::Kind::CharDevice:
        return QStringLiteral("inode/chardevice");
    case FileHead::Kind::BlockDevice:
        return QStringLiteral("inode/blockdevice");
    case FileHead::Kind::Unreadable:
        break;
    }
    return GenericType();
}

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

IconCache::IconCache(JobStarter& jobs, QObject* parent)
    : QObject(parent)
    , m_worker(jobs, this)
{
    m_foundTimer.setSingleShot(true);
    m_foundTimer.setInterval(kFoundDelayMs);
    connect(&m_foundTimer, &QTimer::timeout, this, &IconCache::IconsFound);
}

IconCache::~IconCache()
{
    // before any member goes: no reply reaches this object after this
    m_worker.Stop();
}

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

int IconCache::MimeIndex(const QMimeType& type)
{
    // the key is looked up before the icon is made
    if (auto it = m_index.constFind(type.name()); it != m_index.constEnd())
        return *it;
    return IndexFor(type.name(), MimeIcon(type));
}

void IconCache::QueueContentRead(std::string path)
{
    if (!m_reading.insert(path).second)
        return;
    m_toRead.push_back(std::move(path));
    // what one paint asks for goes to the worker as one batch
    if (m_toRead.size() == 1)
        QMetaObject::invokeMethod(this, &IconCache::StartContentReads, Qt::QueuedConnection);
}

void IconCache::StartContentReads()
{
    if (m_toRead.empty())
        return;
    // The batch owns its paths; its results reach this object through the reply
    // channel, which drops them once the object has gone.
    m_worker.Post([this, paths = std::move(m_toRead)](const std::atomic<bool>& stop, GuiChannel& reply) {
        const QMimeDatabase mime;
        Found found;
        auto reported = std::chrono::steady_clock::now();
        const auto report = [this, &reply, &found, &reported] {
            reply.Post([this, found = std::move(found)] { TakeFound(found); });
            found.clear();
            reported = std::chrono::steady_clock::now();
        };
        for (const std::string& path : paths) {
            if (stop.load())
                return;
            found.emplace_back(path, ContentType(mime, SniffFileHead(path, kHeadBytes)));
            if (std::chrono::steady_clock::now() - reported >= kReportEvery)
                report();
        }
        if (!found.empty())
            report();
    });
    m_toRead.clear();
}

void IconCache::TakeFound(const Found& found)
{
    for (const auto& [path, typeName] : found) {
        m_reading.erase(path);
        m_byContent[path] = MimeIndex(m_mime.mimeTypeForName(typeName));
    }
    if (!m_foundTimer.isActive())
        m_foundTimer.start();
}

int IconCache::IconIndex(ShellItem& item, bool* waiting)
{
    if (waiting)
        *waiting = false;
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
        index = DriveIconIndex(id.kind == ItemId::Kind::NetworkDrive, (item.Attributes() & attr::kRemovable) != 0);
    }
    if (index < 0 && item.IsFolder(false)) {
        index = indexOf(QStringLiteral("inode/directory"), [] { return Themed("folder", QStyle::SP_DirIcon); });
    }
    if (index < 0 && !item.IsFileSystem())
        index = MimeIndex(m_mime.mimeTypeForName(GenericType()));
    if (index < 0) {
        // By name only: painting never waits for a disk. The first of several
        // candidates will do where the content would have chosen.
        const QList<QMimeType> byName = m_mime.mimeTypesForFileName(QFile::decodeName(QByteArray::fromStdString(item.Name())));
        if (!byName.isEmpty()) {
            index = MimeIndex(byName.front());
        } else {
            std::string path = item.FullPath();
            if (const auto known = m_byContent.find(path); known != m_byContent.end()) {
                index = known->second;
            } else {
                // the generic icon until the worker has read the content
                QueueContentRead(std::move(path));
                if (waiting)
                    *waiting = true;
                return MimeIndex(m_mime.mimeTypeForName(GenericType()));
            }
        }
    }
    return index;
}

int IconCache::DriveIconIndex(bool network, bool removable)
{
    const QString key = network ? QStringLiteral("drive:network")
                        : removable ? QStringLiteral("drive:removable")
                                    : QStringLiteral("drive:fixed");
    if (auto it = m_index.constFind(key); it != m_index.constEnd())
        return *it;
    if (network)
        return IndexFor(key, Themed("folder-remote", QStyle::SP_DriveNetIcon));
    if (removable)
        return IndexFor(key, Themed("drive-removable-media", QStyle::SP_DriveFDIcon));
    return IndexFor(key, Themed("drive-harddisk", QStyle::SP_DriveHDIcon));
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
