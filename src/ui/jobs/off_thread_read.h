#pragma once

#include <QString>

#include <atomic>
#include <functional>

namespace bivora {

class JobRegistry;
class StatusService;

// Runs a folder read as a job of the registry while the GUI thread waits for it in a
// local event loop, so that a slow or dead mount never freezes the window: it keeps
// painting and its timers run, while key presses, clicks and close requests reach no
// window. Escape, and a close request, set the job's stop flag that work polls; a
// close request is handed on to its window once the wait is over. After uiDelayMs
// without an end the wait cursor and a progress text "<text> (ESC to abort)" appear,
// so that fast reads do not flicker.
//
// work runs on the worker and must own, or share in ownership, everything it touches:
// a worker that has not ended a short while after it was asked to stop is no longer
// waited for (it stays registered and ends on its own, or at shutdown).
//
// Returns true when work ran to its end and was not asked to stop.
struct OffThreadOptions {
    StatusService* status = nullptr; // for the progress text; may be null
    QString text;
    int uiDelayMs = 300;
};
bool RunOffGuiThread(JobRegistry& jobs, std::function<void(const std::atomic<bool>& cancel)> work,
                     const OffThreadOptions& options);

} // namespace bivora
