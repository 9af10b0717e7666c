// The runner of file operations, with work that stands in for the engine.
#include "ui/jobs/file_op_runner.h"

#include "ui/jobs/file_op_progress.h"
#include "ui/jobs/job_registry.h"

#include "../test_services.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace bivora::test {
namespace {

FileOpProgressDialog* ShownProgressDialog()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = dynamic_cast<FileOpProgressDialog*>(widget); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

// Every answer of the replace question, and a question closed without one, reaches the
// worker as the engine's answer; the error and delete questions name the path and the
// system's text.
TEST(FileOpRunnerTest, QuestionsAreAskedOnTheGuiThreadAndTheWorkerGetsTheAnswer)
{
    JobRegistry jobs;
    ScriptedPrompts prompts;
    const struct {
        int button;
        CollisionAnswer expected;
    } cases[] = {{0, CollisionAnswer::Yes},
                 {1, CollisionAnswer::YesToAll},
                 {2, CollisionAnswer::No},
                 {3, CollisionAnswer::Cancel},
                 {-1, CollisionAnswer::Cancel}};
    for (const auto& c : cases) {
        prompts.AnswerChoice(c.button);
        prompts.AnswerChoice(1);
        prompts.AnswerYesNo(true);
        CollisionAnswer replace{};
        ErrorAnswer error{};
        bool deleteForGood = false;
        std::thread::id asker;
        RunFileOpJob(
            jobs, prompts,
            [&](FileOpCallbacks& callbacks, const std::atomic<bool>&) {
                asker = std::this_thread::get_id();
                replace = callbacks.AskReplace("/from/a.txt", "/to/a.txt");
                error = callbacks.AskError({FileOpError::Step::Write, ENOSPC, "/to/b.bin"});
                deleteForGood = callbacks.AskDeletePermanently("/mnt/c");
                return FileOpResult{};
            },
            {});
        EXPECT_NE(asker, std::this_thread::get_id());
        EXPECT_EQ(replace, c.expected) << c.button;
        EXPECT_EQ(error, ErrorAnswer::Skip);
        EXPECT_TRUE(deleteForGood);
    }
    const QStringList choices = prompts.Texts(ScriptedPrompts::Kind::Choice);
    ASSERT_EQ(choices.size(), 10);
    EXPECT_TRUE(choices[0].contains(QStringLiteral("/to/a.txt")));
    EXPECT_TRUE(choices[1].contains(QStringLiteral("/to/b.bin")));
    EXPECT_TRUE(choices[1].contains(QString::fromLocal8Bit(std::strerror(ENOSPC))));
    EXPECT_TRUE(prompts.Texts(ScriptedPrompts::Kind::YesNo).front().contains(QStringLiteral("/mnt/c")));
}

// Quick work shows no dialog; slow work shows one with its progress after the delay,
// and its Cancel reaches the work through the flag it polls. What was skipped comes in
// one message at the end.
TEST(FileOpRunnerTest, ProgressDialogShowsOnlyForSlowWorkAndCancelStopsIt)
{
    JobRegistry jobs;
    ScriptedPrompts prompts;

    std::atomic<bool> looked{false};
    bool dialogEarly = true;
    QTimer::singleShot(50, [&] {
        dialogEarly = ShownProgressDialog() != nullptr;
        looked = true;
    });
    RunFileOpJob(
        jobs, prompts,
        [&](FileOpCallbacks&, const std::atomic<bool>&) {
            while (!looked.load())
                std::this_thread::yield();
            return FileOpResult{};
        },
        {nullptr, QStringLiteral("Copying"), 5000});
    EXPECT_FALSE(dialogEarly);

    QString bytesShown;
    QString currentShown;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(QTest::qWaitFor([] { return ShownProgressDialog() != nullptr; }, 5000));
        FileOpProgressDialog* dialog = ShownProgressDialog();
        const QLabel* bytes = dialog->findChild<QLabel*>(QStringLiteral("bytes"));
        (void)QTest::qWaitFor([&] { return bytes->text().startsWith(QStringLiteral("1,024")); }, 5000);
        bytesShown = bytes->text();
        currentShown = dialog->findChild<QLabel*>(QStringLiteral("current"))->text();
        dialog->findChild<QPushButton*>(QStringLiteral("cancel"))->click();
    });
    std::atomic<bool> sawCancel{false};
    const FileOpResult result = RunFileOpJob(
        jobs, prompts,
        [&](FileOpCallbacks& callbacks, const std::atomic<bool>& cancel) {
            FileOpProgress progress;
            progress.bytesTotal = 4096;
            progress.bytesDone = 1024;
            progress.current = "/from/big.iso";
            callbacks.Skipped("/from/fifo", "a named pipe");
            callbacks.Skipped("/from/socket", "a socket");
            while (!cancel.load()) {
                callbacks.Progress(progress);
                std::this_thread::yield();
            }
            sawCancel = true;
            FileOpResult partial;
            partial.cancelled = true;
            return partial;
        },
        {nullptr, QStringLiteral("Copying"), 0});
    EXPECT_TRUE(sawCancel);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(bytesShown, QStringLiteral("1,024 of 4,096 bytes"));
    EXPECT_TRUE(currentShown.contains(QStringLiteral("big.iso"))) << currentShown.toStdString();
    EXPECT_EQ(ShownProgressDialog(), nullptr);
    const QStringList messages = prompts.Texts(ScriptedPrompts::Kind::Message);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("/from/fifo")) && messages[0].contains(QStringLiteral("a socket")));
}

// A question asked before the progress dialog is due keeps it back while it is open: a
// modal progress dialog coming up over it would leave the question unanswerable.
TEST(FileOpRunnerTest, AQuestionOpenWhenTheDialogIsDueKeepsTheDialogBack)
{
    class SlowAnswer final : public Prompts {
    public:
        void Message(QWidget*, const QString&, Icon) override {}
        bool AskYesNo(QWidget*, const QString&, Icon) override { return false; }
        std::optional<QString> OpenFile(QWidget*, const QString&, const QString&, const QString&) override
        {
            return std::nullopt;
        }
        std::optional<QString> BrowseFolder(QWidget*, const QString&, const QString&) override { return std::nullopt; }
        int Exec(QDialog&) override { return 0; }
        int AskChoice(QWidget*, const QString&, const QStringList&, Icon) override
        {
            // the user thinks for longer than the dialog's delay
            QTest::qWait(300);
            dialogShownWhileAsked = ShownProgressDialog() != nullptr;
            return 2; // No
        }
        bool dialogShownWhileAsked = true;
    } prompts;
    JobRegistry jobs;
    FileOpRunOptions options;
    options.dialogDelayMs = 100;
    CollisionAnswer answer{};
    RunFileOpJob(
        jobs, prompts,
        [&](FileOpCallbacks& callbacks, const std::atomic<bool>&) {
            answer = callbacks.AskReplace("/from/a.txt", "/to/a.txt");
            return FileOpResult{};
        },
        options);
    EXPECT_EQ(answer, CollisionAnswer::No);
    EXPECT_FALSE(prompts.dialogShownWhileAsked);
}

} // namespace
} // namespace bivora::test
