#include "ui/widgets/main_status_bar.h"

#include "ui/commands/command_ids.h"
#include "ui/commands/services.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>

#include <algorithm>

namespace bivora {

namespace {
// The longest text the active pane puts in its status pane.
const char* const kPaneSizingText = "Selected object: 9,999,999,999 bytes, Modified 99/99/99 99:99:99";
} // namespace

MainStatusBar::MainStatusBar(Prompts& prompts, QWidget* parent)
    : QStatusBar(parent)
    , m_prompts(prompts)
    , m_messageLabel(new QLabel(this))
    , m_paneLabel(new QLabel(this))
    , m_progress(new QProgressBar(this))
    , m_beep([] { QApplication::beep(); })
{
    setObjectName(QStringLiteral("StatusBar"));
    setSizeGripEnabled(true);
    m_messageLabel->setObjectName(QStringLiteral("MessagePane"));
    m_messageLabel->setText(m_idleText);
    m_messageLabel->setMinimumWidth(1);
    m_paneLabel->setObjectName(QStringLiteral("Pane%1").arg(cmd::kPaneStatusId));
    m_paneLabel->setFrameShape(QFrame::StyledPanel);
    m_paneLabel->setFrameShadow(QFrame::Sunken);
    m_paneLabel->setMinimumWidth(m_paneLabel->fontMetrics().horizontalAdvance(QString::fromLatin1(kPaneSizingText)) + 8);
    addWidget(m_messageLabel, 1);
    addPermanentWidget(m_paneLabel);

    // The progress bar floats over the message pane outside the bar's layout.
    m_progress->setRange(0, 100);
    m_progress->setTextVisible(false);
    m_progress->hide();

    m_messageTimer.setSingleShot(true);
    connect(&m_messageTimer, &QTimer::timeout, this, &MainStatusBar::OnMessageTimer);
}

QString MainStatusBar::MessageText() const
{
    return m_messageLabel->text();
}

QString MainStatusBar::PaneStatusText() const
{
    return m_paneLabel->text();
}

QRect MainStatusBar::MessagePaneRect() const
{
    return m_messageLabel->geometry();
}

void MainStatusBar::SetMessagePaneText(const QString& text)
{
    if (m_promptShown)
        m_savedMessage = text;
    else
        m_messageLabel->setText(text);
}

void MainStatusBar::ShowStatusMessage(const QString& text, bool alert)
{
    m_messageTimer.stop();
    const QString shown = text.isEmpty() ? m_idleText : text;
    if (!BarShown()) {
        if (alert)
            m_prompts.Message(window(), shown, Prompts::Icon::Exclamation);
        return;
    }
    m_messageTimer.start(m_messageTimeMs);
    SetMessagePaneText(shown);
    m_messageLabel->repaint();
    if (alert && m_beep)
        m_beep();
}

void MainStatusBar::OnMessageTimer()
{
    m_messageTimer.stop();
    SetMessagePaneText(m_idleText);
}

void MainStatusBar::ShowProgress(const QString& text)
{
    if (!BarShown())
        return;
    SetMessagePaneText(text);
    m_messageLabel->repaint();
    const int textWidth = text.isEmpty() ? 0 : fontMetrics().horizontalAdvance(text) + 10;
    const QRect pane = MessagePaneRect();
    QRect bar = pane.adjusted(0, 1, 0, -1);
    bar.setWidth(pane.width() * 40 / 100);
    bar.translate(textWidth, 0);
    if (bar.right() > pane.right())
        bar.setRight(pane.right());
    if (m_progress->geometry() != bar)
        m_progress->setGeometry(bar);
    m_progress->setValue(0);
    m_progress->raise();
    m_progress->show();
}

void MainStatusBar::StepProgress()
{
    if (!m_progress->isHidden())
        m_progress->setValue(std::min(m_progress->maximum(), m_progress->value() + 10));
}

void MainStatusBar::HideProgress()
{
    if (!BarShown())
        return;
    m_progress->hide();
    SetMessagePaneText(m_idleText);
}

void MainStatusBar::SetPaneStatusText(const QString& text)
{
    m_paneLabel->setText(text);
}

void MainStatusBar::ShowMenuPrompt(const QString& prompt)
{
    if (!m_promptShown) {
        m_savedMessage = m_messageLabel->text();
        m_paneWasVisible = !m_paneLabel->isHidden();
        m_promptShown = true;
    }
    m_paneLabel->hide();
    m_messageLabel->setText(prompt);
}

void MainStatusBar::EndMenuPrompt()
{
    if (!m_promptShown)
        return;
    m_promptShown = false;
    m_messageLabel->setText(m_savedMessage);
    m_paneLabel->setVisible(m_paneWasVisible);
}

} // namespace bivora
