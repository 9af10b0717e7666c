// The find results window (a Qt program run offscreen), in one of two modes:
//
//   bivora_find_results_bench search FOLDER PATTERN
//     From Find (the worker started) to the last row painted in the list, the search
//     sorted at its end as the window does, beside find FOLDER -name PATTERN writing to a
//     file: BIVORA_BENCH_RUNS (default 7) paired rounds, the order alternating. Prints
//       rows, window_ms, find_ms (medians), ratio (median of the paired ratios)
//
//   bivora_find_results_bench rows [ROWS]
//     ROWS (default 1,000,000) rows handed over by a search in batches of
//     BIVORA_BENCH_BATCH (default 20,000) as fast as it can, until the last row is
//     painted (with BIVORA_BENCH_DIRECT set: each batch appended and painted on its own),
//     then scrolling to the bottom and painting, then a sort by each column of the
//     details view, by type, and descending. Once per view style (BIVORA_BENCH_STYLES,
//     default "details list small large"), each a new window. Prints, per style, the
//     milliseconds of each step and the GUI thread's longest stall while the rows came.
#include "quiet_services.h"

#include "base/general_settings.h"
#include "base/settings_store.h"
#include "shell/environment.h"
#include "shell/find_files.h"
#include "shell/shell_namespace.h"
#include "ui/commands/command_ids.h"
#include "ui/find/find_results_window.h"
#include "ui/jobs/job_registry.h"
#include "ui/widgets/sort_list_ctrl.h"
#include "ui/widgets/sortable_row_model.h"

#include "bench_timing.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace bivora;

int EnvInt(const char* name, int fallback)
{
    const char* value = std::getenv(name);
    return value ? std::max(1, std::atoi(value)) : fallback;
}

struct Services {
    JobRegistry jobs;
    MemorySettingsStore store;
    bench::NoPrompts prompts;
    bench::NoKeys keys;
    bench::NoLauncher launcher;
    GeneralSettings general;
    std::shared_ptr<ShellNamespace> ns = std::make_shared<ShellNamespace>(Environment::FromProcess());

    FindResultsWindow* Open(const FindCriteria& criteria, FindSearch search = {})
    {
        FindResultsServices services{jobs, store, prompts, keys, launcher, general, ns};
        services.search = std::move(search);
        services.autoCloseMs = 1000000;
        auto* window = new FindResultsWindow(criteria, std::move(services), nullptr);
        window->resize(800, 600);
        window->show();
        return window;
    }
};

// Paints whatever is pending, as the event loop would on its next turn.
void Paint(FindResultsWindow& window)
{
    QCoreApplication::processEvents();
    window.List().CurrentView()->viewport()->repaint();
}

int Search(const char* folder, const char* pattern)
{
    const int runs = EnvInt("BIVORA_BENCH_RUNS", 7);
    Services services;
    FindCriteria criteria;
    criteria.lookIn = folder;
    criteria.namePatterns = pattern;
    const QString found =
        QDir::temp().filePath(QStringLiteral("bivora-find-results-bench.%1").arg(QCoreApplication::applicationPid()));

    auto timeWindow = [&](int& rows) {
        FindResultsWindow* window = services.Open(criteria);
        QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        window->Start();
        if (!QTest::qWaitFor([&] { return !window->Searching(); }, 600000)) {
            std::fprintf(stderr, "the search did not end\n");
            std::exit(1);
        }
        Paint(*window);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        rows = window->RowCount();
        delete window;
        QCoreApplication::processEvents();
        return ms;
    };
    auto timeFind = [&] {
        QProcess find;
        find.setStandardOutputFile(found);
        QElapsedTimer timer;
        timer.start();
        find.start(QStringLiteral("find"), {QString::fromLocal8Bit(folder), QStringLiteral("-name"),
                                            QString::fromLocal8Bit(pattern)});
        find.waitForFinished(-1);
        return double(timer.nsecsElapsed()) / 1e6;
    };

    int rows = 0;
    timeWindow(rows); // warm the cache
    timeFind();
    std::vector<double> windowTimes, findTimes, ratios;
    for (int run = 0; run < runs; ++run) {
        double w = 0, f = 0;
        if (run % 2 == 0) {
            w = timeWindow(rows);
            f = timeFind();
        } else {
            f = timeFind();
            w = timeWindow(rows);
        }
        windowTimes.push_back(w);
        findTimes.push_back(f);
        ratios.push_back(w / f);
    }
    QFile file(found);
    file.open(QIODevice::ReadOnly);
    const int findRows = static_cast<int>(file.readAll().count('\n'));
    file.remove();
    std::printf("rows %d\nfind_rows %d\n", rows, findRows);
    std::printf("window_ms %.1f\nfind_ms %.1f\nratio %.2f\n", bench::Median(windowTimes), bench::Median(findTimes),
                bench::Median(ratios));
    std::printf("window_rounds");
    for (double t : windowTimes)
        std::printf(" %.0f", t);
    std::printf("\nfind_rounds");
    for (double t : findTimes)
        std::printf(" %.0f", t);
    std::printf("\n");
    return rows == findRows ? 0 : 1;
}

// count matches in folders of 100, names and sizes scattered so that no sort finds
// them in order, the times of a few days
std::vector<std::vector<FindMatch>> MakeBatches(int count, int batch)
{
    std::vector<std::vector<FindMatch>> batches;
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int i = 0; i < count; ++i) {
        if (i % batch == 0)
            batches.emplace_back().reserve(static_cast<std::size_t>(batch));
        FindMatch match;
        match.folder = "/data/tree/t" + std::to_string((i / 100) % 97) + "/s" + std::to_string(i / 100);
        match.data.name = "file" + std::to_string(next() % 1000000) + (i % 3 ? ".txt" : ".log");
        match.data.isDirectory = i % 50 == 0;
        match.data.size = next() % 10000000;
        match.data.modified = 1700000000 + static_cast<std::int64_t>(next() % 400000);
        batches.back().push_back(std::move(match));
    }
    return batches;
}

int Rows(int count)
{
    const int batch = EnvInt("BIVORA_BENCH_BATCH", 20000);
    const std::string styles = std::getenv("BIVORA_BENCH_STYLES") ? std::getenv("BIVORA_BENCH_STYLES")
                                                                   : "details list small large";
    const std::map<std::string, int> styleIds = {
        {"details", cmd::kDetails}, {"list", cmd::kList}, {"small", cmd::kSmallIcons}, {"large", cmd::kLargeIcons}};
    const std::vector<std::pair<const char*, int>> sorts = {{"sort_name_ms", cmd::kSortByName},
                                                             {"sort_folder_ms", cmd::kSortByFolder},
                                                             {"sort_size_ms", cmd::kSortBySize},
                                                             {"sort_date_ms", cmd::kSortByDate},
                                                             {"sort_type_ms", cmd::kSortByType},
                                                             {"sort_descending_ms", cmd::kAscending}};
    const bool direct = std::getenv("BIVORA_BENCH_DIRECT") != nullptr;
    Services services;
    std::printf("rows %d in batches of %d%s\n", count, batch, direct ? ", each appended and painted on its own" : "");
    std::size_t from = 0;
    while (from < styles.size()) {
        std::size_t end = styles.find(' ', from);
        if (end == std::string::npos)
            end = styles.size();
        const std::string style = styles.substr(from, end - from);
        from = end + 1;
        if (!styleIds.contains(style))
            continue;
        auto batches = std::make_shared<std::vector<std::vector<FindMatch>>>(MakeBatches(count, batch));
        FindCriteria criteria;
        criteria.lookIn = "/data/tree";
        // a search that hands its batches over as fast as it can (with BIVORA_BENCH_DIRECT
        // it hands over nothing, and the rows go straight into the window, each batch painted)
        FindResultsWindow* window = services.Open(
            criteria, [batches, direct](const FindCriteria&, const ShellNamespace&, const std::atomic<bool>&,
                                        const FindSink& sink) {
                if (!direct)
                    for (std::vector<FindMatch>& matches : *batches)
                        sink.matches(std::move(matches));
                return FindOutcome{};
            });
        SortListCtrl& list = window->List();
        list.OnCommand(cmd::kUnsorted);
        list.SetViewStyle(styleIds.at(style));
        QCoreApplication::processEvents();

        // the GUI thread's heartbeat: the longest gap between two ticks
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
        beat.start();
        last = clock.nsecsElapsed();
        const double append = bench::Ms([&] {
            window->Start();
            if (direct)
                for (std::vector<FindMatch>& matches : *batches) {
                    window->AddMatches(std::move(matches));
                    Paint(*window);
                }
            if (!QTest::qWaitFor([&] { return !window->Searching(); }, 600000))
                std::exit(1);
            Paint(*window);
        });
        worst = std::max(worst, clock.nsecsElapsed() - last);
        beat.stop();
        if (window->RowCount() != count) {
            std::fprintf(stderr, "%d rows, not %d\n", window->RowCount(), count);
            return 1;
        }
        std::printf("%s append_ms %.1f\n%s longest_stall_ms %.1f\n", style.c_str(), append, style.c_str(),
                    double(worst) / 1e6);
        const double scroll = bench::Ms([&] {
            list.CurrentView()->scrollToBottom();
            Paint(*window);
        });
        std::printf("%s scroll_bottom_ms %.1f\n", style.c_str(), scroll);
        for (const auto& [label, id] : sorts) {
            const double ms = bench::Ms([&] {
                list.OnCommand(id);
                Paint(*window);
            });
            std::printf("%s %s %.1f\n", style.c_str(), label, ms);
        }
        std::fflush(stdout);
        delete window;
        QCoreApplication::processEvents();
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "search" && argc == 4)
        return Search(argv[2], argv[3]);
    if (mode == "rows")
        return Rows(argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000000);
    std::fprintf(stderr, "usage: %s search FOLDER PATTERN | rows [ROWS]\n", argv[0]);
    return 2;
}
