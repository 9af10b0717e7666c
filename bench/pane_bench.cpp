// Showing a large folder in a pane and re-sorting it, timed against the plain read.
//
// Runs offscreen. The folder is BIVORA_BENCH_DIR (bench/folder_read.sh makes one);
// BIVORA_BENCH_RUNS runs are made (default 5) and the median of each figure printed:
//   read      ShellFolder Open + Enumerate, what the pane's worker does
//   show      GoToFolder until the first frame of the pane has been painted
//   sort-*    a re-sort of the shown rows by name, size and date
//   sort-*-selected   the same with every row selected, and with every tenth row
//             selected (a selection of many ranges)
//   resort-paint      the first frame painted after a re-sort
//   select-tenth      selecting every tenth row (one range per row) with the view's
//             selection model

#include "quiet_services.h"

#include "base/general_settings.h"
#include "base/settings_store.h"
#include "shell/environment.h"
#include "shell/shell_folder.h"
#include "shell/shell_namespace.h"
#include "ui/widgets/sort_list_ctrl.h"
#include "ui/commands/command_ids.h"
#include "ui/pane/pane_model.h"
#include "ui/pane/pane_view.h"
#include "ui/platform/icon_cache.h"
#include "ui/jobs/job_registry.h"

#include "bench_timing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using namespace bivora;
using bench::Ms;
using bench::Median;

using bench::NoKeys;
using bench::NoLauncher;
using bench::NoPrompts;
using bench::QuietStatus;

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const char* dir = std::getenv("BIVORA_BENCH_DIR");
    if (!dir || !*dir) {
        std::fprintf(stderr, "set BIVORA_BENCH_DIR to the folder to show\n");
        return 1;
    }
    const char* runsText = std::getenv("BIVORA_BENCH_RUNS");
    const int runs = std::max(1, runsText ? std::atoi(runsText) : 5);

    JobRegistry jobs;
    ShellNamespace ns(Environment::FromProcess());
    const std::optional<ItemIdList> id = ns.ParsePath(dir);
    if (!id) {
        std::fprintf(stderr, "cannot parse %s\n", dir);
        return 1;
    }
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

    PaneView pane(context, true);
    pane.resize(1000, 700);
    pane.show();
    // a first folder, so that each timed run replaces a shown one as a user's would
    pane.GoToFolder(ItemIdList());
    pane.grab();

    std::vector<double> read, show, paint, byName, bySize, byDate, resortPaint, allName, allSize, tenthName,
        tenthSize, selectTenth;
    std::size_t items = 0;
    for (int run = 0; run < runs; ++run) {
        read.push_back(Ms([&] {
            ShellFolder folder(ns);
            folder.Open(*id, true);
            items = folder.Items().size();
        }));
        double painting = 0;
        show.push_back(Ms([&] {
            if (!pane.GoToFolder(*id))
                std::fprintf(stderr, "the folder could not be shown\n");
            painting = Ms([&] { pane.grab(); }); // lays the rows out and paints the first frame
        }));
        paint.push_back(painting);
        SortListCtrl& list = pane.List();
        byName.push_back(Ms([&] { list.OnCommand(cmd::kSortByName); }));
        bySize.push_back(Ms([&] { list.OnCommand(cmd::kSortBySize); }));
        byDate.push_back(Ms([&] { list.OnCommand(cmd::kSortByDate); }));
        resortPaint.push_back(Ms([&] { pane.grab(); }));

        const QAbstractItemModel& model = pane.Model();
        const int rows = model.rowCount();
        const int lastColumn = model.columnCount() - 1;
        list.SelectionModel()->select(QItemSelection(model.index(0, 0), model.index(rows - 1, lastColumn)),
                                      QItemSelectionModel::ClearAndSelect);
        allName.push_back(Ms([&] { list.OnCommand(cmd::kSortByName); }));
        allSize.push_back(Ms([&] { list.OnCommand(cmd::kSortBySize); }));
        QItemSelection tenth;
        for (int row = 0; row < rows; row += 10)
            tenth.select(model.index(row, 0), model.index(row, lastColumn));
        // cleared first: replacing a whole selection by a scattered one costs the selection
        // model time that grows with the square of the ranges, which is not what is timed here
        list.SelectionModel()->clear();
        selectTenth.push_back(Ms([&] { list.SelectionModel()->select(tenth, QItemSelectionModel::Select); }));
        tenthName.push_back(Ms([&] { list.OnCommand(cmd::kSortByName); }));
        tenthSize.push_back(Ms([&] { list.OnCommand(cmd::kSortBySize); }));
        list.SelectionModel()->clear();
        pane.GoToFolder(ItemIdList());
    }
    std::printf("entries %zu rows %d\n", items, pane.Model().rowCount());
    std::printf("paint_ms %.1f\n", Median(paint));
    std::printf("read_ms %.1f\nshow_ms %.1f\nsort_name_ms %.1f\nsort_size_ms %.1f\nsort_date_ms %.1f\n", Median(read),
                Median(show), Median(byName), Median(bySize), Median(byDate));
    std::printf("resort_paint_ms %.1f\n", Median(resortPaint));
    std::printf("sort_name_all_selected_ms %.1f\nsort_size_all_selected_ms %.1f\n", Median(allName), Median(allSize));
    std::printf("select_tenth_ms %.1f\n", Median(selectTenth));
    std::printf("sort_name_tenth_selected_ms %.1f\nsort_size_tenth_selected_ms %.1f\n", Median(tenthName),
                Median(tenthSize));
    return 0;
}
