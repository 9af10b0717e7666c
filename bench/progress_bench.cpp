// The progress dialog of a file operation while one large file is copied, as a paste
// does it: RunFileOpJob with the real engine, the dialog shown at once.
//
// Runs offscreen in a fresh folder under $BENCH_DIR (else the temporary directory),
// which it removes at the end. It writes one file of BIVORA_BENCH_MB MiB (default 1024)
// and then, in each of BIVORA_BENCH_RUNS rounds (default 3):
//   copy     copies it into an empty folder while a 1 ms timer watches the dialog's
//            byte and file figures; every change of their text is one update:
//              updates    changes seen while the dialog was up
//              rate       updates a second, from the second to the last (the first is
//                         the figures the dialog comes up with, seen only once it shows)
//              min_gap_ms the shortest time between two of those updates (the watch
//                         itself may err by a millisecond)
//              max_gap_ms the longest: a dialog that stalls shows here
//   cancel   copies it again and clicks the dialog's Cancel once its bar has passed
//            BIVORA_BENCH_CANCEL_AT percent (default 40):
//              cancel_ms  from the click until RunFileOpJob has returned
//            and checks that the copy says it was cancelled and left nothing in the
//            folder, neither the final name nor a temporary file.
// Targets: at most about 30 updates a second, and a cancel that ends within 100 ms.
// The dialog is shown at once because a copy out of the page cache can end before the
// program's usual delay. Most of cancel_ms goes on removing the partial copy, so it
// grows with how much has been written (BIVORA_BENCH_MB makes the file larger).
// The load average is printed before and after, since the disk is shared.

#include "shell/environment.h"
#include "shell/file_operation.h"
#include "ui/commands/services.h"
#include "ui/jobs/file_op_progress.h"
#include "ui/jobs/file_op_runner.h"
#include "ui/jobs/job_registry.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

using namespace bivora;
namespace fs = std::filesystem;

class NoPrompts final : public Prompts {
public:
    void Message(QWidget*, const QString& text, Icon) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool AskYesNo(QWidget*, const QString&, Icon) override { return false; }
    std::optional<QString> OpenFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    std::optional<QString> BrowseFolder(QWidget*, const QString&, const QString&) override { return {}; }
    int Exec(QDialog&) override { return 0; }
};

int EnvInt(const char* name, int fallback)
{
    const char* text = std::getenv(name);
    return std::max(1, text ? std::atoi(text) : fallback);
}

template <typename T>
T Median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename T>
T Max(const std::vector<T>& values)
{
    return *std::max_element(values.begin(), values.end());
}

std::string LoadAverage()
{
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// Writes size bytes of data that no file system can compress or leave out, and puts
// them on the disk, so that the copies read real data and share no write-back with it.
bool MakeSource(const std::string& path, std::uint64_t size)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    std::vector<std::uint64_t> block((8u << 20) / sizeof(std::uint64_t));
    std::mt19937_64 random(12345);
    bool ok = true;
    for (std::uint64_t done = 0; ok && done < size;) {
        for (auto& word : block)
            word = random();
        const std::size_t count = std::min<std::uint64_t>(block.size() * sizeof(std::uint64_t), size - done);
        ok = ::write(fd, block.data(), count) == static_cast<ssize_t>(count);
        done += count;
    }
    ok = ::fsync(fd) == 0 && ok;
    return ::close(fd) == 0 && ok;
}

FileOpProgressDialog* ShownProgressDialog()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = dynamic_cast<FileOpProgressDialog*>(widget); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

// Empties the folder and puts its data on the disk, so that one round's write-back
// does not fall into the next.
void ClearFolder(const std::string& folder)
{
    for (const auto& entry : fs::directory_iterator(folder))
        fs::remove_all(entry.path());
    ::sync();
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = EnvInt("BIVORA_BENCH_RUNS", 3);
    const std::uint64_t size = std::uint64_t(EnvInt("BIVORA_BENCH_MB", 1024)) << 20;
    const int cancelAt = std::min(EnvInt("BIVORA_BENCH_CANCEL_AT", 40), 99);

    const char* benchDir = std::getenv("BENCH_DIR");
    const fs::path base = benchDir && *benchDir ? fs::path(benchDir) : fs::temp_directory_path();
    std::string pattern = (base / "bivora-progress-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string root = pattern;
    const std::string source = root + "/big.bin";
    const std::string target = root + "/to";
    fs::create_directory(target);
    std::printf("folder %s\nload_before %s\n", root.c_str(), LoadAverage().c_str());
    std::fflush(stdout);
    if (!MakeSource(source, size)) {
        std::perror("writing the source");
        fs::remove_all(root);
        return 1;
    }

    JobRegistry jobs;
    NoPrompts prompts;
    const Environment env = Environment::FromProcess();
    FileOpRequest request;
    request.kind = FileOpKind::Copy;
    request.sources = {source};
    request.targetFolder = target;
    FileOpRunOptions options;
    options.title = QStringLiteral("Copying");
    options.dialogDelayMs = 0;
    auto copy = [&] {
        return RunFileOpJob(
            jobs, prompts,
            [request, env](FileOpCallbacks& callbacks, const std::atomic<bool>& cancel) {
                return RunFileOperation(request, callbacks, RealFileSystem(), env, &cancel);
            },
            options);
    };

    bool failed = false;
    std::vector<double> rates, minGaps, maxGaps, cancels;
    for (int run = 0; run < runs; ++run) {
        // The copy, its dialog watched for changes of the figures it shows.
        {
            std::vector<qint64> changes; // ns since the start, one per change seen
            QString shown;
            QElapsedTimer clock;
            QTimer watch;
            watch.setTimerType(Qt::PreciseTimer);
            watch.setInterval(1);
            QObject::connect(&watch, &QTimer::timeout, [&] {
                const FileOpProgressDialog* dialog = ShownProgressDialog();
                if (!dialog)
                    return;
                const QString text = dialog->findChild<QLabel*>(QStringLiteral("bytes"))->text() + '|' +
                                     dialog->findChild<QLabel*>(QStringLiteral("files"))->text();
                if (text != shown) {
                    shown = text;
                    changes.push_back(clock.nsecsElapsed());
                }
            });
            clock.start();
            watch.start();
            const FileOpResult result = copy();
            const qint64 total = clock.nsecsElapsed();
            watch.stop();
            std::error_code error;
            if (result.cancelled || result.itemsDone != 1 || fs::file_size(target + "/big.bin", error) != size) {
                std::fprintf(stderr, "run %d: the copy did not complete\n", run);
                failed = true;
            }
            qint64 minGap = total, maxGap = 0;
            for (std::size_t n = 2; n < changes.size(); ++n) {
                minGap = std::min(minGap, changes[n] - changes[n - 1]);
                maxGap = std::max(maxGap, changes[n] - changes[n - 1]);
            }
            const double rate =
                changes.size() > 2 ? double(changes.size() - 2) * 1e9 / double(changes.back() - changes[1]) : 0.0;
            rates.push_back(rate);
            minGaps.push_back(double(minGap) / 1e6);
            maxGaps.push_back(double(maxGap) / 1e6);
            std::printf("run %d copy: seconds %.2f updates %zu rate %.1f min_gap_ms %.1f max_gap_ms %.1f\n", run,
                        double(total) / 1e9, changes.size(), rate, minGaps.back(), maxGaps.back());
            std::fflush(stdout);
            ClearFolder(target);
        }
        // The copy again, cancelled part of the way through by a click on Cancel.
        {
            QElapsedTimer pressed;
            int pressedAt = -1;
            QTimer watch;
            watch.setTimerType(Qt::PreciseTimer);
            watch.setInterval(1);
            QObject::connect(&watch, &QTimer::timeout, [&] {
                FileOpProgressDialog* dialog = ShownProgressDialog();
                if (!dialog)
                    return;
                const auto* bar = dialog->findChild<QProgressBar*>();
                if (bar->value() < bar->maximum() * cancelAt / 100)
                    return;
                watch.stop();
                pressedAt = bar->value() / 10;
                pressed.start();
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cancel")), Qt::LeftButton);
            });
            watch.start();
            const FileOpResult result = copy();
            const double ms = pressed.isValid() ? double(pressed.nsecsElapsed()) / 1e6 : -1.0;
            watch.stop();
            const bool empty = fs::is_empty(target);
            if (!pressed.isValid()) {
                std::fprintf(stderr, "run %d: the copy ended before Cancel could be clicked\n", run);
                failed = true;
            } else {
                cancels.push_back(ms);
                if (!result.cancelled || !empty) {
                    std::fprintf(stderr, "run %d: the cancelled copy %s\n", run,
                                 result.cancelled ? "left something in the folder" : "was not reported as cancelled");
                    failed = true;
                }
            }
            std::printf("run %d cancel: at %d%% cancel_ms %.1f cancelled %d folder_empty %d\n", run, pressedAt, ms,
                        int(result.cancelled), int(empty));
            std::fflush(stdout);
            ClearFolder(target);
        }
    }
    fs::remove_all(root);

    std::printf("size_mib %llu\n", static_cast<unsigned long long>(size >> 20));
    std::printf("rate_median %.1f rate_max %.1f\n", Median(rates), Max(rates));
    std::printf("min_gap_ms_min %.1f max_gap_ms_max %.1f\n", *std::min_element(minGaps.begin(), minGaps.end()),
                Max(maxGaps));
    if (!cancels.empty())
        std::printf("cancel_ms_median %.1f cancel_ms_max %.1f\n", Median(cancels), Max(cancels));
    std::printf("load_after %s\n", LoadAverage().c_str());
    return failed ? 1 : 0;
}
