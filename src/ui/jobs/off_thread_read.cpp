#include "ui/jobs/off_thread_read.h"

#include "ui/commands/status_service.h"
#include "ui/jobs/escape_guard.h"
#include "ui/jobs/job_registry.h"
#include "ui/jobs/long_operation.h"

#include <QEventLoop>
#include <QTimer>

#include <memory>
#include <optional>

namespace bivora {

namespace {

// How long a worker asked to stop may take to notice before it is no longer waited for.
constexpr int kStopGraceMs = 250;

// The waiter's side, shared with the job's end handler, which may run after the
// waiter has gone.
struct Wait {
    bool ended = false;
    QEventLoop* loop = nullptr;
};

} // namespace

bool RunOffGuiThread(JobRegistry& jobs, std::function<void(const std::atomic<bool>& cancel)> work,
                     const OffThreadOptions& options)
{
    auto wait = std::make_shared<Wait>();
    const JobRegistry::JobId id = jobs.Start(std::move(work), [wait] {
        wait->ended = true;
        if (wait->loop)
            wait->loop->quit();
    });
    if (id == 0)
        return false; // the program is shutting down

    QEventLoop loop;
    wait->loop = &loop;

    std::optional<WaitCursor> cursor;
    bool progressShown = false;
    QTimer uiTimer;
    uiTimer.setSingleShot(true);
    QObject::connect(&uiTimer, &QTimer::timeout, [&] {
        cursor.emplace();
        if (options.status) {
            options.status->ShowProgress(options.text + QStringLiteral(" (ESC to abort)"));
            progressShown = true;
        }
    });
    uiTimer.start(options.uiDelayMs);

    bool stopAsked = false;
    QTimer graceTimer;
    graceTimer.setSingleShot(true);
    QObject::connect(&graceTimer, &QTimer::timeout, &loop, &QEventLoop::quit);
    {
        EscapeGuard guard([&] {
            stopAsked = true;
            jobs.Stop(id);
            graceTimer.start(kStopGraceMs);
        });
        if (!wait->ended)
            loop.exec(); // input reaches the guard, which lets only Escape and close requests act
    }
    wait->loop = nullptr;

    uiTimer.stop();
    if (progressShown)
        options.status->HideProgress();
    return wait->ended && !stopAsked;
}

} // namespace bivora
