#pragma once

#include <QString>

#include <atomic>
#include <functional>

namespace bivora {

class StatusService;

// Runs a folder read on a worker thread while the GUI thread waits for it in a local
// event loop, so that a slow or dead mount never freezes the window: it keeps
// painting and its timers run, while key presses, clicks and close requests reach no
// window. Escape sets the cancel flag that work polls. After uiDelayMs without an end
// the wait cursor and a progress text "<text> (ESC to abort)" appear, so that fast
// reads do not flicker.
//
// work runs on the worker and must touch nothing that the GUI thread uses while the
// loop runs. With mayAbandon, a worker that has not ended a short while after Escape
// is left to finish on its own (work must then own everything it touches); without
// it the wait goes on until work returns.
//
// Returns true when work ran to its end and Escape was not pressed.
struct OffThreadOptions {
    StatusService* status = nullptr; // for the progress text; may be null
    QString text;
    int uiDelayMs = 300;
    bool mayAbandon = false;
};
bool RunOffGuiThread(const std::function<void(const std::atomic<bool>& cancel)>& work,
                     const OffThreadOptions& options);

} // namespace bivora
