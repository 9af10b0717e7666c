#include "ui/thumbs/thumb_view.h"

#include <QPainter>

namespace bivora {

QRect ThumbPlacement(QSizeF picture, QSize box)
{
    const double w = picture.width();
    const double h = picture.height();
    const int W = box.width();
    const int H = box.height();
    int drawnW = int(w);
    int drawnH = int(h);
    if ((w > W || h > H) && h > 0) {
        const double ratio = w / h;
        if (ratio * H > W) {
            drawnW = W;
            drawnH = int(W / ratio);
        } else {
            drawnW = int(ratio * H);
            drawnH = H;
        }
    }
    return QRect((W - drawnW) / 2, (H - drawnH) / 2, drawnW, drawnH);
}

ThumbView::ThumbView(JobStarter& jobs, Extractor extract, QWidget* parent)
    : QWidget(parent)
    , m_jobs(jobs)
    , m_extract(std::move(extract))
    , m_channel(std::make_shared<GuiChannel>(this))
{
    setObjectName(QStringLiteral("ThumbView"));
    setBackgroundRole(QPalette::Mid);
    setAutoFillBackground(true);
}

ThumbView::~ThumbView()
{
    m_channel->Close();
    if (m_job)
        m_jobs.Stop(m_job);
}

QSize ThumbView::WantedSize() const
{
    return size() * devicePixelRatioF();
}

void ThumbView::Show(ThumbnailRequest request)
{
    const std::uint64_t id = ++m_request;
    if (m_job)
        m_jobs.Stop(m_job); // its result would be thrown away
    m_job = m_jobs.Start([request = std::move(request), extract = m_extract, channel = m_channel, id,
                          view = this](const std::atomic<bool>& stop) {
        QImage image;
        try {
            image = extract(request, stop);
        } catch (...) {
            // a picture that cannot be made is no picture
        }
        if (stop.load())
            return;
        // runs only while the view lives (the channel closes before it goes)
        channel->Post([view, id, image = std::move(image)]() mutable { view->Finished(id, std::move(image)); });
    });
    if (m_job == 0)
        Clear();
}

void ThumbView::Clear()
{
    ++m_request;
    if (m_job)
        m_jobs.Stop(m_job);
    m_job = 0;
    m_picture = QImage();
    update();
    Q_EMIT PictureChanged();
}

void ThumbView::Finished(std::uint64_t request, QImage image)
{
    if (request != m_request)
        return;
    m_job = 0;
    image.setDevicePixelRatio(devicePixelRatioF());
    m_picture = std::move(image);
    update();
    Q_EMIT PictureChanged();
}

void ThumbView::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(ThumbPlacement(m_picture.deviceIndependentSize(), size()), m_picture);
}

} // namespace bivora
