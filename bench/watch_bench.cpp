// A burst of file creations in a folder a pane shows: how many refreshes the folder
// watcher causes and how long after the last creation the pane shows every file.
//
// Runs offscreen in a fresh folder under the temporary directory. Each of
// BIVORA_BENCH_RUNS runs (default 5) shows an empty folder, creates BIVORA_BENCH_FILES
// files (default 1000) as fast as it can, waits until the pane shows them all, and then
// another second for refreshes that come late. Printed per run and as medians:
//   refreshes   re-reads of the folder (target: at most 2)
//   rows        the rows the pane shows at the end (target: every file)
//   shown_ms    from the last creation to the last file shown
// Target: at most 2 refreshes and every file shown.

#include "quiet_services.h"

#include "base/general_settings.h"
#include "base/settings_store.h"
#include "shell/directory_reader.h"
#include "shell/environment.h"
#include "shell/shell_namespace.h"
#include "ui/jobs/job_registry.h"
#include "ui/pane/pane_model.h"
#include "ui/pane/pane_view.h"
#include "ui/platform/icon_cache.h"

#include "bench_timing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

using namespace bivora;
using bench::Median;
namespace fs = std::filesystem;

using bench::NoKeys;
using bench::NoLauncher;
using bench::NoPrompts;
using bench::QuietStatus;

int EnvInt(const char* name, int fallback)
{
    const char* text = std::getenv(name);
    return std::max(1, text ? std::atoi(text) : fallback);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = EnvInt("BIVORA_BENCH_RUNS", 5);
    const int files = EnvInt("BIVORA_BENCH_FILES", 1000);

    std::string pattern = (fs::temp_directory_path() / "bivora-watch-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string root = pattern;

    JobRegistry jobs;
    ShellNamespace ns(Environment::FromProcess());
    std::atomic<int> reads{0};
    ns.SetDirectoryReader([&](const std::string& path, std::uint32_t flags, const std::atomic<bool>* cancel,
                              const std::function<void(FindData&&)>& sink) {
        ++reads;
        return ReadDirectory(path, flags, cancel, sink);
    });
    MemorySettingsStore store;
    GeneralSettings general;
    general.saveSettings = false;
    IconCache icons(jobs);
    QuietStatus status;
    NoPrompts prompts;
    NoKeys keys;
    NoLauncher launcher;
    PaneSharedState shared;
    PaneContext context{store, general, ns, icons, status, prompts, keys, launcher, shared, jobs};

    std::vector<int> refreshes;
    std::vector<int> rows;
    std::vector<double> shown;
    {
        PaneView pane(context, true);
        pane.resize(1000, 700);
        pane.show();
        for (int run = 0; run < runs; ++run) {
            const std::string folder = root + "/run" + std::to_string(run);
            fs::create_directory(folder);
            const auto id = ns.ParsePath(folder);
            if (!id || !pane.GoToFolder(*id)) {
                std::fprintf(stderr, "cannot show %s\n", folder.c_str());
                return 1;
            }
            reads = 0;
            for (int i = 0; i < files; ++i) {
                const std::string name = folder + "/file" + std::to_string(i) + ".txt";
                const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
                if (fd >= 0)
                    ::close(fd);
            }
            QElapsedTimer timer;
            timer.start();
            if (!QTest::qWaitFor([&] { return pane.Model().rowCount() >= files; }, 30000))
                std::fprintf(stderr, "run %d: not every file was shown within 30 s\n", run);
            const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
            QTest::qWait(1000); // refreshes that come late count too
            refreshes.push_back(reads.load());
            rows.push_back(pane.Model().rowCount());
            shown.push_back(ms);
            std::printf("run %d: refreshes %d rows %d shown_ms %.1f\n", run, refreshes.back(), rows.back(), ms);
        }
        pane.GoToFolder(ItemIdList());
    }
    fs::remove_all(root);
    std::printf("files %d\nrefreshes_median %d refreshes_max %d\nrows_min %d\nshown_ms_median %.1f\n", files,
                Median(refreshes), *std::max_element(refreshes.begin(), refreshes.end()),
                *std::min_element(rows.begin(), rows.end()), Median(shown));
    return 0;
}
