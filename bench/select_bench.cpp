// Selecting by rule in a large folder: Select group, Unselect group and Invert over
// scattered rows, the commands as the keys run them (Ctrl held: no dialog).
//
//   bivora_select_bench [ENTRIES]   makes a temporary folder of that many files (default
//                                   100,000; every other one "*.cpp", the rest "*.txt",
//                                   a folder every hundred) and shows it in a pane
//
// BIVORA_BENCH_RUNS runs are made (default 5) and the median of each figure printed, in
// milliseconds: "cmd" the command alone, "idle" until the event loop has nothing left
// (the status text counts the selection anew). Runs offscreen.
//   select-half      Select group "*.cpp" replacing an empty selection: half the rows,
//                    one range each
//   invert-half      Invert of that selection: the other half
//   unselect-half    Unselect group "*.cpp" of every row selected
//   invert-none      Invert of an empty selection: one range
//   select-all       Select All

#include "quiet_services.h"

#include "base/general_settings.h"
#include "base/settings_store.h"
#include "shell/environment.h"
#include "shell/shell_namespace.h"
#include "ui/commands/command_ids.h"
#include "ui/jobs/job_registry.h"
#include "ui/pane/pane_model.h"
#include "ui/pane/pane_view.h"
#include "ui/platform/icon_cache.h"
#include "ui/widgets/sort_list_ctrl.h"

#include "bench_timing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace bivora;
using bench::Ms;
using bench::Median;

class CtrlHeld final : public KeyboardState {
public:
    Qt::KeyboardModifiers Modifiers() const override { return Qt::ControlModifier; }
};

bool MakeFolder(const std::string& dir, int entries)
{
    char name[64];
    for (int i = 0; i < entries; ++i) {
        if (i % 100 == 99) {
            std::snprintf(name, sizeof name, "/folder%06d", i);
            if (::mkdir((dir + name).c_str(), 0755) != 0)
                return false;
            continue;
        }
        std::snprintf(name, sizeof name, "/file%06d.%s", i, i % 2 ? "cpp" : "txt");
        const int fd = ::open((dir + name).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        ::close(fd);
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int entries = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    const char* runsText = std::getenv("BIVORA_BENCH_RUNS");
    const int runs = std::max(1, runsText ? std::atoi(runsText) : 5);

    QTemporaryDir temp;
    const std::string dir = temp.path().toStdString();
    if (!temp.isValid() || !MakeFolder(dir, entries)) {
        std::fprintf(stderr, "cannot make the folder\n");
        return 1;
    }

    JobRegistry jobs;
    ShellNamespace ns(Environment::FromProcess());
    const std::optional<ItemIdList> id = ns.ParsePath(dir);
    MemorySettingsStore store;
    GeneralSettings general;
    general.saveSettings = false;
    general.selectAddOnTop = false;
    IconCache icons(jobs);
    bench::QuietStatus status;
    bench::NoPrompts prompts;
    CtrlHeld keys;
    bench::NoLauncher launcher;
    PaneSharedState shared;
    PaneContext context{store, general, ns, icons, status, prompts, keys, launcher, shared, jobs};

    PaneView pane(context, true);
    pane.resize(1000, 700);
    pane.show();
    if (!id || !pane.GoToFolder(*id)) {
        std::fprintf(stderr, "the folder could not be shown\n");
        return 1;
    }
    pane.List().OnCommand(cmd::kSortByName);
    pane.grab();
    shared.selectionPatternHistory.Add(general.historyItems, "*.cpp");

    struct Figure {
        const char* name;
        int command;
        std::vector<double> cmd, idle;
    };
    std::vector<Figure> figures{{"select-half", cmd::kSelectGroup, {}, {}},
                                {"invert-half", cmd::kInvertSelection, {}, {}},
                                {"select-all", cmd::kSelectAll, {}, {}},
                                {"unselect-half", cmd::kUnselectGroup, {}, {}},
                                {"invert-none", cmd::kInvertSelection, {}, {}}};
    std::size_t selectedAfter[5] = {};
    for (int run = 0; run < runs; ++run) {
        pane.List().SelectionModel()->clear();
        QCoreApplication::processEvents();
        for (std::size_t n = 0; n < figures.size(); ++n) {
            Figure& figure = figures[n];
            if (figure.command == cmd::kInvertSelection && n == 4)
                pane.List().SelectionModel()->clear();
            QCoreApplication::processEvents();
            double commandMs = 0;
            figure.idle.push_back(Ms([&] {
                commandMs = Ms([&] { pane.OnCommand(figure.command); });
                QCoreApplication::processEvents();
            }));
            figure.cmd.push_back(commandMs);
            selectedAfter[n] = pane.SelectedRows().size();
        }
    }
    // the parts: reading a scattered selection, clearing it, making it in one call
    std::vector<double> readMs, clearMs, makeMs;
    QItemSelectionModel* selectionModel = pane.List().SelectionModel();
    const QAbstractItemModel& model = pane.Model();
    QItemSelection half;
    for (int row = 1; row < model.rowCount(); row += 2)
        half.append(QItemSelectionRange(model.index(row, 0), model.index(row, model.columnCount() - 1)));
    for (int run = 0; run < runs; ++run) {
        selectionModel->clear();
        makeMs.push_back(Ms([&] { selectionModel->select(half, QItemSelectionModel::Select); }));
        readMs.push_back(Ms([&] { (void)pane.SelectedRows(); }));
        clearMs.push_back(Ms([&] { selectionModel->clearSelection(); }));
    }
    std::printf("parts: make_ms %.1f read_ms %.1f clear_ms %.1f\n", Median(makeMs), Median(readMs), Median(clearMs));
    std::printf("rows %d\n", pane.Model().rowCount());
    for (std::size_t n = 0; n < figures.size(); ++n)
        std::printf("%-14s cmd_ms %7.1f idle_ms %7.1f selected %zu\n", figures[n].name, Median(figures[n].cmd),
                    Median(figures[n].idle), selectedAfter[n]);
    return 0;
}
