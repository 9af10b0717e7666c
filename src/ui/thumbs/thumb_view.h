#pragma once

#include "ui/commands/job_starter.h"
#include "ui/platform/thumbnail_source.h"

#include <QImage>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace bivora {

// Where a picture of width w and height h goes in a box: at its own size when it fits,
// else as large as the box allows keeping its aspect ratio; centred either way.
QRect ThumbPlacement(QSizeF picture, QSize box);

// The view of the thumbnail bar: shows one picture, made on a worker of the job
// registry per request. Only the result of the latest request is taken; an older one
// that comes back late is thrown away, and its worker was asked to stop.
class ThumbView final : public QWidget {
    Q_OBJECT
public:
    using Extractor = std::function<QImage(const ThumbnailRequest&, const std::atomic<bool>& stop)>;

    // jobs must outlive the view; extract runs on the workers (ExtractThumbnail by default).
    explicit ThumbView(JobStarter& jobs, Extractor extract = ExtractThumbnail, QWidget* parent = nullptr);
    ~ThumbView() override;

    // Starts making the picture of a file; the present picture stays until it comes.
    void Show(ThumbnailRequest request);
    // No picture, and no pending result taken.
    void Clear();

    const QImage& Picture() const { return m_picture; }
    // The pixel size a picture should fit: the view's size on its screen.
    QSize WantedSize() const;

Q_SIGNALS:
    // The picture was cleared, or the latest request came back (with a picture or without).
    void PictureChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Finished(std::uint64_t request, QImage image);

    JobStarter& m_jobs;
    Extractor m_extract;
    std::shared_ptr<GuiChannel> m_channel;
    JobStarter::JobId m_job = 0;
    std::uint64_t m_request = 0; // the latest request; results of others are discarded
    QImage m_picture;
};

} // namespace bivora
