#pragma once

#include "ui/commands/status_service.h"

#include <QStatusBar>
#include <QTimer>

#include <functional>

class QLabel;
class QProgressBar;

namespace bivora {

class Prompts;

// The main window's status bar: the message pane (pane 0, stretching) and the active
// pane's text pane (id 59142), with a progress bar that long operations place over
// the message pane. "Visible" below means not hidden by the user's Status Bar toggle.
class MainStatusBar final : public QStatusBar, public StatusService {
    Q_OBJECT
public:
    static constexpr int kMessageTimeMs = 5000;

    MainStatusBar(Prompts& prompts, QWidget* parent = nullptr);

    void ShowStatusMessage(const QString& text, bool alert = false) override;
    void ShowProgress(const QString& text) override;
    void StepProgress() override;
    void HideProgress() override;
    void SetPaneStatusText(const QString& text) override;

    // A menu item's or button's prompt: the message pane spreads over the whole bar
    // (the pane of id 59142 goes out of view) until EndMenuPrompt puts back what was there.
    void ShowMenuPrompt(const QString& prompt);
    void EndMenuPrompt();
    bool IsMenuPromptShown() const { return m_promptShown; }

    QString MessageText() const;
    QString PaneStatusText() const;
    const QString& IdleText() const { return m_idleText; }
    int MessageTime() const { return m_messageTimeMs; }
    bool IsMessageTimerRunning() const { return m_messageTimer.isActive(); }
    // The message pane's rectangle in the bar's coordinates.
    QRect MessagePaneRect() const;
    QProgressBar* ProgressBar() const { return m_progress; }
    QLabel* PaneStatusLabel() const { return m_paneLabel; }

    // For tests: a shorter message time and a beep that can be counted.
    void SetMessageTime(int milliseconds) { m_messageTimeMs = milliseconds; }
    void SetBeep(std::function<void()> beep) { m_beep = std::move(beep); }

private:
    bool BarShown() const { return !isHidden(); }
    void SetMessagePaneText(const QString& text);
    void OnMessageTimer();

    Prompts& m_prompts;
    QLabel* m_messageLabel;
    QLabel* m_paneLabel;
    QProgressBar* m_progress;
    QTimer m_messageTimer;
    QString m_idleText = QStringLiteral("Ready");
    int m_messageTimeMs = kMessageTimeMs;
    std::function<void()> m_beep;
    // The message pane's text and the pane label's visibility, kept while a menu prompt shows.
    bool m_promptShown = false;
    QString m_savedMessage;
    bool m_paneWasVisible = true;
};

} // namespace bivora
