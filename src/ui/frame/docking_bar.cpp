#include "ui/frame/docking_bar.h"

#include "base/settings_store.h"

#include <QMainWindow>
#include <QResizeEvent>
#include <QTimer>

#include <algorithm>

namespace bivora {

DockingBar::DockingBar(int barId, const QString& title, QMainWindow* frame)
    : QDockWidget(title, frame)
    , m_frame(*frame)
    , m_barId(barId)
{
    setObjectName(QStringLiteral("Bar%1").arg(barId, 0, 16));
    setFeatures(DockWidgetClosable | DockWidgetMovable | DockWidgetFloatable);
    setMinimumSize(BarSizes::kMinimum, BarSizes::kMinimum);
    // a new stand takes its own size
    connect(this, &QDockWidget::topLevelChanged, this, [this] { ApplyLater(); });
    connect(this, &QDockWidget::dockLocationChanged, this, [this] { ApplyLater(); });
    m_frame.installEventFilter(this);
}

bool DockingBar::eventFilter(QObject* watched, QEvent* event)
{
    // the frame's window is shown once the event returns
    if (watched == &m_frame && event->type() == QEvent::Show && !event->spontaneous())
        QTimer::singleShot(0, this, [this] { StandOverFrame(); });
    return QDockWidget::eventFilter(watched, event);
}

void DockingBar::StandOverFrame()
{
    if (!isFloating() || !isVisible() || !m_frame.isVisible())
        return;
    // The floating bar's window was shown with the frame's children, before the frame's
    // own: a window manager then knows no owner for it and keeps it below the frame
    // once the frame is clicked. Shown again, now that its owner is, it stays above.
    hide();
    show();
}

DockingBar::Stand DockingBar::CurrentStand() const
{
    if (isFloating())
        return Stand::Floating;
    const Qt::DockWidgetArea area = m_frame.dockWidgetArea(const_cast<DockingBar*>(this));
    return area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea ? Stand::Horizontal
                                                                               : Stand::Vertical;
}

BarSize& DockingBar::SizeOf(Stand stand)
{
    switch (stand) {
    case Stand::Floating:
        return m_sizes.floating;
    case Stand::Horizontal:
        return m_sizes.horizontal;
    case Stand::Vertical:
        break;
    }
    return m_sizes.vertical;
}

void DockingBar::SetSizes(const BarSizes& sizes)
{
    m_sizes = sizes;
    ApplyLater();
}

void DockingBar::LoadSizes(const SettingsStore& store, std::string_view section)
{
    if (const auto text = store.ReadString(section, SizeBarValueName(m_barId)))
        m_sizes = SizeBarFromText(m_sizes, *text);
}

void DockingBar::SaveSizes(SettingsStore& store, std::string_view section) const
{
    store.WriteString(section, SizeBarValueName(m_barId), SizeBarText(m_sizes));
}

void DockingBar::ApplySize()
{
    m_applyPending = false;
    const Stand stand = CurrentStand();
    const BarSize size = SizeOf(stand);
    m_settled = false; // the resizes this causes are the bar's own
    switch (stand) {
    case Stand::Floating:
        resize(size.width, size.height);
        break;
    case Stand::Horizontal:
        // thickness across the row, then the length along it among the row's bars
        m_frame.resizeDocks({this}, {size.height}, Qt::Vertical);
        m_frame.resizeDocks({this}, {size.width}, Qt::Horizontal);
        break;
    case Stand::Vertical:
        m_frame.resizeDocks({this}, {size.width}, Qt::Horizontal);
        m_frame.resizeDocks({this}, {size.height}, Qt::Vertical);
        break;
    }
    // the dock layout settles on its next pass; sizes after that are the user's
    QTimer::singleShot(0, this, [this] {
        if (!m_applyPending)
            m_settled = true;
    });
}

void DockingBar::ApplyLater()
{
    m_settled = false;
    if (m_applyPending)
        return;
    m_applyPending = true;
    QTimer::singleShot(0, this, [this] {
        if (m_applyPending && isVisible())
            ApplySize();
        else
            m_applyPending = false;
    });
}

void DockingBar::showEvent(QShowEvent* event)
{
    QDockWidget::showEvent(event);
    ApplyLater();
}

void DockingBar::resizeEvent(QResizeEvent* event)
{
    QDockWidget::resizeEvent(event);
    if (!m_settled || !isVisible() || !m_frame.isVisible())
        return;
    // a bar dragged by its title is a floating window the dock layout moves and sizes
    // (it bypasses the window manager): its sizes then are neither the user's nor a
    // floating bar's
    const Stand stand = CurrentStand();
    if (stand == Stand::Floating && (windowFlags() & Qt::X11BypassWindowManagerHint))
        return;
    const QSize now = event->size();
    BarSize& size = SizeOf(stand);
    size.width = std::max(now.width(), BarSizes::kMinimum);
    size.height = std::max(now.height(), BarSizes::kMinimum);
}

} // namespace bivora
