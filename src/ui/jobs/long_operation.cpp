#include "ui/jobs/long_operation.h"

#include "ui/commands/status_service.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

namespace bivora {

WaitCursor::WaitCursor()
{
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

WaitCursor::~WaitCursor()
{
    QGuiApplication::restoreOverrideCursor();
}

LongOperation::LongOperation(StatusService& status, const QString& text, std::size_t itemCount)
    : m_status(status)
{
    if (itemCount > 0)
        m_stepPerItem = 100.0 / static_cast<double>(itemCount);
    m_status.ShowProgress(text);
}

LongOperation::~LongOperation()
{
    m_status.HideProgress();
}

void LongOperation::ItemDone()
{
    m_accumulator += m_stepPerItem;
    // A loop, not a single step: with fewer than ten items one item is worth several steps.
    while (m_accumulator >= 10.0) {
        m_status.StepProgress();
        m_accumulator -= 10.0;
    }
}

bool LongOperation::Cancelled()
{
    if (!m_guard.EscapePressed())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    return m_guard.EscapePressed();
}

} // namespace bivora
