#include "ui/pane/pane_caption.h"

#include "ui/commands/byte_text.h"

#include "base/pane_texts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <qdrawutil.h>

namespace bivora {

namespace {

constexpr int kTextLeft = 4;
constexpr int kTextTop = 3;
constexpr int kExtraHeight = 6;

} // namespace

PaneCaption::PaneCaption(QWidget* parent)
    : QWidget(parent)
{
    setFont(QFontDatabase::systemFont(QFontDatabase::TitleFont));
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PaneCaption::SetContent(const std::string& title, const std::string& filterText, bool shortenable)
{
    m_title = title;
    m_filterText = filterText;
    m_shortenable = shortenable;
    update();
}

void PaneCaption::SetActive(bool active)
{
    m_active = active;
    update();
}

QString PaneCaption::DisplayedText() const
{
    std::string text = m_title;
    const bool filterShown = m_filterText != "*";
    if (filterShown)
        text += " [" + m_filterText + "]";
    if (m_shortenable) {
        const QFontMetrics metrics(font());
        text = ShortenCaption(text, filterShown, width(),
                              [&metrics](std::string_view part) { return metrics.horizontalAdvance(FromBytes(part)); });
    }
    return FromBytes(text);
}

QSize PaneCaption::sizeHint() const
{
    return {QFontMetrics(font()).horizontalAdvance(DisplayedText()) + 2 * kTextLeft, minimumSizeHint().height()};
}

QSize PaneCaption::minimumSizeHint() const
{
    return {0, QFontMetrics(font()).height() + kExtraHeight};
}

void PaneCaption::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& colours = palette();
    const QColor background = colours.color(m_active ? QPalette::Highlight : QPalette::Mid);
    const QColor foreground = colours.color(m_active ? QPalette::HighlightedText : QPalette::WindowText);
    painter.fillRect(rect(), background);
    painter.setPen(foreground);
    painter.setFont(font());
    const QFontMetrics metrics(font());
    painter.drawText(kTextLeft, kTextTop + metrics.ascent(), DisplayedText());
    qDrawShadePanel(&painter, rect(), colours, false, 1);
}

void PaneCaption::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        Q_EMIT Pressed();
    QWidget::mousePressEvent(event);
}

void PaneCaption::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Q_EMIT DoubleClicked();
    else
        QWidget::mouseDoubleClickEvent(event);
}

} // namespace bivora
