// Expanding a folder of many sub-folders in the folder tree: the time from the expand
// to every row present, and the longest the GUI thread went without turning its event
// loop meanwhile (a timer ticking every millisecond notes the gaps).
//
// Runs offscreen on BIVORA_BENCH_DIR (a folder of sub-folders), BIVORA_BENCH_RUNS times
// (default 7): each run collapses the folder's node (freeing its rows) and expands it
// again. Printed as medians, and the worst stall of all runs:
//   rows        the rows the node shows
//   expand_ms   from the expand to every row present
//   stall_ms    the longest gap between two ticks of the GUI thread's timer

#include "quiet_services.h"

#include "shell/environment.h"
#include "shell/shell_namespace.h"
#include "ui/jobs/job_registry.h"
#include "ui/tree/folder_tree_model.h"
#include "ui/tree/tree_browser.h"

#include "bench_timing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    using namespace bivora;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const char* dir = std::getenv("BIVORA_BENCH_DIR");
    if (!dir) {
        std::fprintf(stderr, "BIVORA_BENCH_DIR names the folder to expand\n");
        return 1;
    }
    const int runs = std::max(1, std::getenv("BIVORA_BENCH_RUNS") ? std::atoi(std::getenv("BIVORA_BENCH_RUNS")) : 7);

    JobRegistry jobs;
    auto ns = std::make_shared<ShellNamespace>(Environment::FromProcess());
    bench::NoPrompts prompts;
    bench::NoKeys keys;
    TreeBrowser tree(TreeContext{*ns, jobs, nullptr, prompts, keys});
    tree.resize(400, 800);
    tree.show();
    const auto id = ns->ParsePath(dir);
    if (!id) {
        std::fprintf(stderr, "cannot parse %s\n", dir);
        return 1;
    }
    tree.SyncToFolder(*id);
    if (!QTest::qWaitFor([&] { return !tree.Syncing(); }, 60000) || !tree.currentIndex().isValid()) {
        std::fprintf(stderr, "cannot reach %s\n", dir);
        return 1;
    }
    const QPersistentModelIndex node = tree.currentIndex();
    FolderTreeModel& model = tree.Model();

    // the GUI thread's heartbeat
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 worst = 0;
    QTimer beat;
    beat.setInterval(1);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        worst = std::max(worst, now - last);
        last = now;
    });

    std::vector<double> times;
    std::vector<double> stalls;
    int rows = 0;
    for (int run = 0; run < runs; ++run) {
        tree.collapse(node);
        QCoreApplication::processEvents();
        beat.start();
        last = clock.nsecsElapsed();
        worst = 0;
        QElapsedTimer timer;
        timer.start();
        tree.expand(node);
        // the expand call itself counts as a stall
        worst = std::max(worst, clock.nsecsElapsed() - last);
        last = clock.nsecsElapsed();
        if (!QTest::qWaitFor([&] { return model.StateOf(node) == FolderTreeModel::NodeState::Loaded; }, 120000)) {
            std::fprintf(stderr, "run %d: the rows did not all arrive\n", run);
            return 1;
        }
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        // the last batch's layout is painted on the next turn
        QCoreApplication::processEvents();
        worst = std::max(worst, clock.nsecsElapsed() - last);
        beat.stop();
        stalls.push_back(double(worst) / 1e6);
        rows = model.rowCount(node);
    }
    std::printf("rows %d\n", rows);
    std::printf("expand_ms %.1f\n", bench::Median(times));
    std::printf("stall_ms %.1f\n", bench::Median(stalls));
    std::printf("worst_stall_ms %.1f\n", *std::max_element(stalls.begin(), stalls.end()));
    return 0;
}
