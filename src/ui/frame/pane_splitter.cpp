#include "ui/frame/pane_splitter.h"

#include <QMouseEvent>

#include <algorithm>

namespace bivora {

PaneSplitter::PaneSplitter(QWidget* parent)
    : QSplitter(Qt::Horizontal, parent)
{
    setObjectName(QStringLiteral("PaneSplitter"));
    setChildrenCollapsible(true);
    setOpaqueResize(true);
}

void PaneSplitter::SetPanes(QWidget* left, QWidget* right, int leftWidth)
{
    addWidget(left);
    addWidget(right);
    for (QWidget* pane : {left, right})
        pane->setMinimumWidth(kMinimumWidth);
    setStretchFactor(0, 0);
    setStretchFactor(1, 1);
    m_pendingLeftWidth = std::max(0, leftWidth);
    if (isVisible()) {
        SetLeftWidth(m_pendingLeftWidth);
        m_pendingLeftWidth = -1;
    }
}

void PaneSplitter::showEvent(QShowEvent* event)
{
    QSplitter::showEvent(event);
    if (m_pendingLeftWidth >= 0 && count() == 2) {
        SetLeftWidth(m_pendingLeftWidth);
        m_pendingLeftWidth = -1;
    }
}

int PaneSplitter::ColumnWidth(int column) const
{
    if (m_pendingLeftWidth >= 0 && column == 0)
        return m_pendingLeftWidth;
    const QList<int> widths = sizes();
    return column < widths.size() ? widths[column] : 0;
}

int PaneSplitter::TotalWidth() const
{
    const QList<int> widths = sizes();
    int total = 0;
    for (int width : widths)
        total += width;
    if (total == 0 && count() == 2) {
        // Before the first layout the widths are not known yet: use the geometry.
        total = std::max(0, width() - handleWidth());
    }
    return total;
}

void PaneSplitter::SetLeftWidth(int width)
{
    if (count() != 2)
        return;
    if (!isVisible()) {
        m_pendingLeftWidth = std::max(0, width);
        return;
    }
    const int total = TotalWidth();
    int left = std::clamp(width, 0, total);
    if (left < MinimumColumnWidth(0))
        left = 0;
    int right = total - left;
    if (right < MinimumColumnWidth(1) && right > 0) {
        // The right column would be narrower than its minimum: it collapses instead.
        left = total;
        right = 0;
    }
    setSizes({left, right});
}

void PaneSplitter::EqualPanes()
{
    const int total = TotalWidth();
    SetLeftWidth(total / 2);
}

void PaneSplitter::OnePane()
{
    const int total = TotalWidth();
    SetLeftWidth(m_activeColumn == 0 ? total : 0);
}

void PaneSplitter::OnBarDoubleClick()
{
    const int cur0 = ColumnWidth(0);
    const int cur1 = ColumnWidth(1);
    if (MinimumColumnWidth(0) >= cur0 || MinimumColumnWidth(1) >= cur1)
        EqualPanes();
    else
        OnePane();
}

QSplitterHandle* PaneSplitter::createHandle()
{
    return new PaneSplitterHandle(orientation(), this);
}

PaneSplitterHandle::PaneSplitterHandle(Qt::Orientation orientation, PaneSplitter* parent)
    : QSplitterHandle(orientation, parent)
{
}

void PaneSplitterHandle::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        static_cast<PaneSplitter*>(splitter())->OnBarDoubleClick();
        event->accept();
        return;
    }
    QSplitterHandle::mouseDoubleClickEvent(event);
}

} // namespace bivora
