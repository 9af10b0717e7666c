#include "ui/jobs/file_op_runner.h"

#include "ui/commands/byte_text.h"
#include "ui/commands/job_starter.h"
#include "ui/commands/services.h"
#include "ui/jobs/escape_guard.h"
#include "ui/jobs/file_op_progress.h"
#include "ui/jobs/job_registry.h"
#include "ui/jobs/long_operation.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace bivora {

namespace {

// About 30 updates of the dialog a second, however often the work reports.
constexpr int kUpdateIntervalMs = 33;
// How long a worker asked to stop may take before it is no longer waited for.
constexpr int kStopGraceMs = 2000;
// How many skipped items the closing message names.
constexpr std::size_t kSkippedListed = 20;

// What the worker and the GUI thread share; the worker may outlive the waiter.
struct Shared {
    std::mutex mutex;
    FileOpProgress progress; // the latest report
    bool progressFresh = false;
    std::vector<std::pair<std::string, std::string>> skipped;
    FileOpResult result;
};

// One question's answer, handed from the GUI thread to the waiting worker.
struct Answer {
    std::mutex mutex;
    std::condition_variable given;
    std::optional<int> value;
};

class WorkerCallbacks final : public FileOpCallbacks {
public:
    WorkerCallbacks(std::shared_ptr<Shared> shared, std::shared_ptr<GuiChannel> channel, const std::atomic<bool>& stop,
                    std::function<int(const QString&, const QStringList&, bool yesNo)> ask)
        : m_shared(std::move(shared)), m_channel(std::move(channel)), m_stop(stop), m_ask(std::move(ask))
    {
    }

    void Progress(const FileOpProgress& progress) override
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->progress = progress;
        m_shared->progressFresh = true;
    }

    CollisionAnswer AskReplace(const std::string& source, const std::string& target) override
    {
        const QString text = QStringLiteral("'%1' already exists.\n\nReplace it with '%2'?")
                                 .arg(FromBytes(target), FromBytes(source));
        switch (Ask(text, {QStringLiteral("&Yes"), QStringLiteral("Yes to &all"), QStringLiteral("&No"),
                           QStringLiteral("Cancel")})) {
        case 0:
            return CollisionAnswer::Yes;
        case 1:
            return CollisionAnswer::YesToAll;
        case 2:
            return CollisionAnswer::No;
        default:
            return CollisionAnswer::Cancel;
        }
    }

    ErrorAnswer AskError(const FileOpError& error) override
    {
        const QString text = QStringLiteral("%1 '%2' has failed:\n%3")
                                 .arg(StepText(error.step), FromBytes(error.path),
                                      QString::fromLocal8Bit(std::strerror(error.error)));
        switch (Ask(text, {QStringLiteral("&Retry"), QStringLiteral("&Skip"), QStringLiteral("Cancel")})) {
        case 0:
            return ErrorAnswer::Retry;
        case 1:
            return ErrorAnswer::Skip;
        default:
            return ErrorAnswer::Cancel;
        }
    }

    bool AskDeletePermanently(const std::string& path) override
    {
        const QString text =
            QStringLiteral("'%1' cannot be moved to the trash.\n\nDelete it permanently?").arg(FromBytes(path));
        return Ask(text, {}, true) == 0;
    }

    void Skipped(const std::string& path, const std::string& reason) override
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->skipped.emplace_back(path, reason);
    }

private:
    static QString StepText(FileOpError::Step step)
    {
        switch (step) {
        case FileOpError::Step::Read:
            return QStringLiteral("Reading");
        case FileOpError::Step::Write:
            return QStringLiteral("Writing");
        case FileOpError::Step::Create:
            return QStringLiteral("Creating");
        case FileOpError::Step::Remove:
            return QStringLiteral("Removing");
        case FileOpError::Step::Rename:
            return QStringLiteral("Renaming");
        case FileOpError::Step::Link:
            return QStringLiteral("Linking");
        case FileOpError::Step::Trash:
            return QStringLiteral("Moving to the trash");
        case FileOpError::Step::Other:
            break;
        }
        return QStringLiteral("Working on");
    }

    // Posts the question to the GUI thread and waits for its answer; -1 (cancel) when
    // the waiter has gone or the job is asked to stop meanwhile.
    int Ask(const QString& text, const QStringList& buttons, bool yesNo = false)
    {
        auto answer = std::make_shared<Answer>();
        const bool posted = m_channel->Post([answer, text, buttons, yesNo, ask = m_ask] {
            const int value = ask(text, buttons, yesNo);
            std::lock_guard lock(answer->mutex);
            answer->value = value;
            answer->given.notify_all();
        });
        if (!posted)
            return -1;
        std::unique_lock lock(answer->mutex);
        while (!answer->value) {
            if (m_stop.load())
                return -1;
            answer->given.wait_for(lock, std::chrono::milliseconds(50));
        }
        return *answer->value;
    }

    std::shared_ptr<Shared> m_shared;
    std::shared_ptr<GuiChannel> m_channel;
    const std::atomic<bool>& m_stop;
    std::function<int(const QString&, const QStringList&, bool)> m_ask;
};

QString SkippedText(const std::vector<std::pair<std::string, std::string>>& skipped)
{
    QString text = skipped.size() == 1 ? QStringLiteral("This item was left alone:\n")
                                       : QStringLiteral("These %1 items were left alone:\n").arg(skipped.size());
    for (std::size_t n = 0; n < skipped.size() && n < kSkippedListed; ++n)
        text += QStringLiteral("\n%1: %2").arg(FromBytes(skipped[n].first), FromBytes(skipped[n].second));
    if (skipped.size() > kSkippedListed)
        text += QStringLiteral("\n... and %1 more").arg(skipped.size() - kSkippedListed);
    return text;
}

} // namespace

FileOpResult RunFileOpJob(JobRegistry& jobs, Prompts& prompts, FileOpWork work, const FileOpRunOptions& options)
{
    QObject receiver; // the GUI thread's end of the worker's questions
    auto channel = std::make_shared<GuiChannel>(&receiver);
    auto shared = std::make_shared<Shared>();

    QPointer<QWidget> parent = options.parent;
    std::unique_ptr<FileOpProgressDialog> dialog;
    QTimer dialogTimer;
    dialogTimer.setSingleShot(true);
    // Questions go above the progress dialog once it shows. A question asked before it
    // shows holds its appearance back: a modal dialog that came up over an open question
    // would take its input and leave it unanswerable underneath.
    auto ask = [&prompts, &dialog, &dialogTimer, parent](const QString& text, const QStringList& buttons,
                                                         bool yesNo) {
        const bool dialogDue = dialogTimer.isActive();
        dialogTimer.stop();
        QWidget* owner = dialog && dialog->isVisible() ? dialog.get() : parent.data();
        const int answer = yesNo ? (prompts.AskYesNo(owner, text, Prompts::Icon::Question) ? 0 : 1)
                                 : prompts.AskChoice(owner, text, buttons, Prompts::Icon::Question);
        if (dialogDue)
            dialogTimer.start();
        return answer;
    };

    bool ended = false;
    QEventLoop loop;
    const JobRegistry::JobId id = jobs.Start(
        [shared, channel, ask, work = std::move(work)](const std::atomic<bool>& stop) {
            WorkerCallbacks callbacks(shared, channel, stop, ask);
            FileOpResult result = work(callbacks, stop);
            std::lock_guard lock(shared->mutex);
            shared->result = std::move(result);
        },
        [&ended, &loop, alive = std::weak_ptr<Shared>(shared)] {
            // the waiter may have stopped waiting: its locals are gone then
            if (alive.expired())
                return;
            ended = true;
            loop.quit();
        });
    FileOpResult nothing;
    nothing.cancelled = true;
    if (id == 0) {
        channel->Close();
        return nothing;
    }

    bool stopAsked = false;
    QTimer graceTimer;
    graceTimer.setSingleShot(true);
    QObject::connect(&graceTimer, &QTimer::timeout, &loop, &QEventLoop::quit);
    auto cancel = [&] {
        if (stopAsked)
            return;
        stopAsked = true;
        jobs.Stop(id);
        graceTimer.start(kStopGraceMs);
    };

    std::optional<WaitCursor> cursor;
    QTimer updateTimer;
    updateTimer.setInterval(kUpdateIntervalMs);
    auto update = [&] {
        if (!dialog)
            return;
        FileOpProgress progress;
        {
            std::lock_guard lock(shared->mutex);
            if (!shared->progressFresh)
                return;
            shared->progressFresh = false;
            progress = shared->progress;
        }
        dialog->ShowProgress(progress);
    };
    QObject::connect(&updateTimer, &QTimer::timeout, update);
    QObject::connect(&dialogTimer, &QTimer::timeout, [&] {
        cursor.emplace();
        dialog = std::make_unique<FileOpProgressDialog>(options.title, cancel, parent.data());
        dialog->setWindowModality(Qt::ApplicationModal);
        {
            std::lock_guard lock(shared->mutex);
            shared->progressFresh = true;
        }
        update();
        dialog->show();
        updateTimer.start();
    });
    dialogTimer.start(options.dialogDelayMs);

    {
        EscapeGuard guard(cancel);
        guard.LetModalWindowsThrough();
        if (!ended)
            loop.exec();
    }
    dialogTimer.stop();
    updateTimer.stop();
    graceTimer.stop();
    channel->Close();
    dialog.reset();
    cursor.reset();

    if (!ended) {
        // still busy after its grace, or the program quits: it ends on its own, or at shutdown
        jobs.Stop(id);
        return nothing;
    }
    FileOpResult result;
    std::vector<std::pair<std::string, std::string>> skipped;
    {
        std::lock_guard lock(shared->mutex);
        result = std::move(shared->result);
        skipped = std::move(shared->skipped);
    }
    if (stopAsked)
        result.cancelled = true;
    if (!skipped.empty())
        prompts.Message(parent.data(), SkippedText(skipped), Prompts::Icon::Information);
    return result;
}

} // namespace bivora
