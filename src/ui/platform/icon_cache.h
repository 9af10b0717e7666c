#pragma once

#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QString>
#include <QVector>

namespace bivora {

class ShellItem;

// One icon list for the whole program: a record's icon index points into it. Icons
// come from the icon theme by MIME type (by name, and by content for files whose name
// says nothing), with the style's standard icons as the bundled fallback. A link gets
// the link emblem drawn over its icon.
class IconCache {
public:
    IconCache();

    // The record's icon index; the caller keeps it (a pane keeps it in the record's row).
    int IconIndex(ShellItem& item);
    // The icon at index (an empty icon for an index out of range); with link, with the
    // link emblem drawn over it.
    QIcon Icon(int index, bool link = false);
    int Count() const { return m_icons.size(); }

    static constexpr int kSmallSize = 16;
    static constexpr int kLargeSize = 32;

private:
    int IndexFor(const QString& key, const QIcon& icon);
    QIcon MimeIcon(const QMimeType& type);
    QIcon WithLinkEmblem(const QIcon& icon) const;

    QMimeDatabase m_mime;
    QVector<QIcon> m_icons;
    QVector<QIcon> m_linkIcons; // made on demand, empty until then
    QHash<QString, int> m_index;
};

} // namespace bivora
