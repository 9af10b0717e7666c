#pragma once

#include "ui/platform/worker_queue.h"

#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVector>

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace bivora {

class ShellItem;

// One icon list for the whole program: a record's icon index points into it. Icons
// come from the icon theme by MIME type (by name, and by content for files whose name
// says nothing), with the style's standard icons as the bundled fallback. A link gets
// the link emblem drawn over its icon.
//
// GUI thread only. Asking for an index never reads a file: the MIME type comes from
// the name. The content of files whose name says nothing is read on the cache's own
// worker (a job of the registry), in batches; until it is known such a file has the generic icon, and
// IconsFound says when asking again gives the icon by content.
class IconCache final : public QObject {
    Q_OBJECT
public:
    // The content reads run as jobs of jobs, which must outlive the cache.
    explicit IconCache(JobStarter& jobs, QObject* parent = nullptr);
    // Stops the content reads; one stuck in a read is not waited for.
    ~IconCache() override;

    // The record's icon index; the caller keeps it (a pane keeps it in the record's
    // row). With waiting, tells whether the index is the generic one given while the
    // content is read: the caller asks again when IconsFound comes.
    int IconIndex(ShellItem& item, bool* waiting = nullptr);
    // The index of a drive's icon, for a drive that is not a record of a folder (the
    // drive bar's buttons, the drive dialog's entries).
    int DriveIconIndex(bool network, bool removable);
    // The icon at index (an empty icon for an index out of range); with link, with the
    // link emblem drawn over it.
    QIcon Icon(int index, bool link = false);
    int Count() const { return m_icons.size(); }

    static constexpr int kSmallSize = 16;
    static constexpr int kLargeSize = 32;

Q_SIGNALS:
    // Content types arrived for files that were waiting: rows shown with a waiting
    // index may ask again. Sent at most about ten times a second.
    void IconsFound();

private:
    // the MIME type name found for a path's content
    using Found = std::vector<std::pair<std::string, QString>>;

    int IndexFor(const QString& key, const QIcon& icon);
    int MimeIndex(const QMimeType& type);
    void QueueContentRead(std::string path);
    void StartContentReads();
    void TakeFound(const Found& found);
    QIcon MimeIcon(const QMimeType& type);
    QIcon WithLinkEmblem(const QIcon& icon) const;

    QMimeDatabase m_mime;
    QVector<QIcon> m_icons;
    QVector<QIcon> m_linkIcons; // made on demand, empty until then
    QHash<QString, int> m_index;

    std::unordered_map<std::string, int> m_byContent;  // path -> index, once its content is known
    std::unordered_set<std::string> m_reading;         // paths asked of the worker, not answered yet
    std::vector<std::string> m_toRead;                 // gathered for the next batch
    QTimer m_foundTimer;                               // merges arrivals into one IconsFound
    WorkerQueue m_worker;                              // last: stopped before the rest goes
};

} // namespace bivora
