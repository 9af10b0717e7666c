#pragma once

#include "ui/jobs/escape_guard.h"

#include <QString>

#include <cstddef>

namespace bivora {

class StatusService;

// Holds the wait cursor for as long as it lives.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// A long operation that runs on the GUI thread in steps: wait cursor, the status
// bar's progress bar with a text such as "Comparing contents... (ESC to abort)",
// one step of 10 per tenth of the work, and an Escape key that cancels. While it
// lives, key presses, clicks and close requests reach no window (Escape only sets
// the cancel flag); paint and timer events go on, so the window keeps painting.
// The destructor hides the progress bar and restores the cursor; the caller then
// reports the outcome with ShowStatusMessage.
class LongOperation final {
public:
    LongOperation(StatusService& status, const QString& text, std::size_t itemCount);
    ~LongOperation();
    LongOperation(const LongOperation&) = delete;
    LongOperation& operator=(const LongOperation&) = delete;

    // One work item is done: advances the progress bar by a step for each full 10 percent.
    void ItemDone();
    // Lets pending events through (painting) and tells whether Escape was pressed.
    bool Cancelled();
    bool IsCancelled() const { return m_guard.EscapePressed(); }

private:
    StatusService& m_status;
    WaitCursor m_cursor;
    double m_stepPerItem = 0.0;
    double m_accumulator = 0.0;
    EscapeGuard m_guard{nullptr};
};

} // namespace bivora
