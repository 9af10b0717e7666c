#pragma once

#include <QString>

namespace bivora {

// The status bar's message and progress services that every part of the program uses.
class StatusService {
public:
    virtual ~StatusService() = default;
    // Shows text in the message pane for 5 seconds, then "Ready"; an empty text shows
    // "Ready". With alert the warning beep sounds, or, when the status bar is hidden,
    // the text comes in a message box; a quiet message on a hidden bar is lost.
    virtual void ShowStatusMessage(const QString& text, bool alert = false) = 0;
    // The progress bar of long operations (only while the status bar is visible).
    virtual void ShowProgress(const QString& text) = 0;
    virtual void StepProgress() = 0;
    virtual void HideProgress() = 0;
    // The text of the active pane's status pane (id 59142).
    virtual void SetPaneStatusText(const QString& text) = 0;
};

} // namespace bivora
