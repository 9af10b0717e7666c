#include "ui/thumbs/thumb_bar.h"

#include "base/registry_keys.h"
#include "base/settings_store.h"
#include "base/thumb_limit.h"

#include <QResizeEvent>
#include <QVBoxLayout>

namespace bivora {

ThumbBar::ThumbBar(ThumbBarServices services, QWidget* parent)
    : QFrame(parent)
    , m_services(std::move(services))
{
    setObjectName(QStringLiteral("ThumbBar"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setBackgroundRole(QPalette::Mid);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kViewMargin, kViewMargin, kViewMargin, kViewMargin);
    m_view = new ThumbView(m_services.jobs, m_services.extract, this);
    layout->addWidget(m_view);

    const auto section = registry::section::kMainFrameSettings;
    m_sizeLimit = ThumbSizeLimit(m_services.store.ReadInt(section, registry::value::kMaxFileSizeThumb));
    m_services.store.WriteInt(section, registry::value::kMaxFileSizeThumb, static_cast<std::int32_t>(m_sizeLimit));

    m_settle.setSingleShot(true);
    m_settle.setInterval(m_services.settleMs);
    connect(&m_settle, &QTimer::timeout, this, &ThumbBar::FollowFocus);
}

void ThumbBar::FocusMayHaveChanged()
{
    // every step of a held key starts the wait again
    m_settle.start();
}

void ThumbBar::FollowFocus()
{
    // a hidden bar makes nothing; it looks again when it shows
    if (!m_view->isVisible() || !m_services.focusedFile)
        return;
    const std::optional<FocusedFile> focused = m_services.focusedFile();
    if (!focused || focused == m_shownLast)
        return; // with no focused row the last picture stays
    m_shownLast = focused;
    if (!focused->isFile || !ThumbSizeAllowed(focused->size, m_sizeLimit)) {
        m_view->Clear();
        return;
    }
    ThumbnailRequest request;
    request.path = focused->path;
    request.modifiedSeconds = focused->modifiedNs / 1'000'000'000;
    request.wanted = m_view->WantedSize();
    request.cacheDir = m_services.cacheDir;
    m_view->Show(std::move(request));
}

void ThumbBar::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    FocusMayHaveChanged();
}

void ThumbBar::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    // a picture read smaller than the view has become is made again at the new size
    const QImage& picture = m_view->Picture();
    const QSize wanted = m_view->WantedSize();
    if (!picture.isNull() && picture.width() < wanted.width() && picture.height() < wanted.height()) {
        m_shownLast.reset();
        FocusMayHaveChanged();
    }
}

} // namespace bivora
