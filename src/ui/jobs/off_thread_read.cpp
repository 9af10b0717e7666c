#include "ui/jobs/off_thread_read.h"

#include "ui/jobs/long_operation.h"
#include "ui/commands/status_service.h"
#include "ui/jobs/escape_guard.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <exception>
#include <memory>
#include <optional>
#include <thread>

namespace bivora {

namespace {

// How long a cancelled worker may take to notice before it is left to itself.
constexpr int kAbandonGraceMs = 250;

struct Job {
    std::function<void(const std::atomic<bool>&)> work;
    std::atomic<bool> cancel{false};
    // GUI thread only:
    bool done = false;
    QEventLoop* loop = nullptr;
};

} // namespace

bool RunOffGuiThread(const std::function<void(const std::atomic<bool>& cancel)>& work,
                     const OffThreadOptions& options)
{
    auto job = std::make_shared<Job>();
    job->work = work;

    QEventLoop loop;
    job->loop = &loop;

    std::thread worker([job] {
        try {
            job->work(job->cancel);
        } catch (...) {
            // a failed read is a failed read; exceptions do not cross threads
            job->cancel.store(true);
        }
        // The job travels with the posted call, so it lives until the GUI thread has
        // seen the end even when the waiter has gone.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [job] {
                job->done = true;
                if (job->loop)
                    job->loop->quit();
            },
            Qt::QueuedConnection);
    });

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

    QTimer abandonTimer;
    abandonTimer.setSingleShot(true);
    QObject::connect(&abandonTimer, &QTimer::timeout, &loop, &QEventLoop::quit);
    {
        EscapeGuard guard([&] {
            job->cancel.store(true);
            if (options.mayAbandon)
                abandonTimer.start(kAbandonGraceMs);
        });
        if (!job->done)
            loop.exec(); // input reaches the guard, which lets only Escape act
    }
    job->loop = nullptr;

    if (job->done)
        worker.join();
    else
        worker.detach(); // abandoned after Escape; it owns its job and ends on its own

    uiTimer.stop();
    if (progressShown)
        options.status->HideProgress();
    return job->done && !job->cancel.load();
}

} // namespace bivora
