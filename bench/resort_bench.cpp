// Re-sorting a large folder as a user does it, in the whole program's window.
//
//   bivora_resort_bench make FOLDER ENTRIES   makes a folder of that many entries
//   bivora_resort_bench FOLDER [STYLES [SELECTIONS]]
//                                             shows it in the left pane and times re-sorts
//
// The folder holds names as people have them: camera numbers (IMG_01234.JPG), long
// names sharing a prefix, mixed-case documents with numbers, some folders; sizes and
// times vary (the files are sparse, so they take no room). Entries are made in a
// shuffled order.
//
// For each view style (STYLES: letters d details, l list, s small icons, i large icons;
// default "dli") and each selection (SELECTIONS: n none, a all by Ctrl+A, s a scattered
// one: the newest third of the rows, selected while they run by date; default "nas")
// it times, from the event to the first frame the view paints ("paint") and to the
// moment the event loop has nothing left to do ("idle": batched layouts, the status bar):
//   click-name   a click on the Name header (details only): descending, then ascending
//   cmd-*        the sort commands through the frame's command router
//   select-*, ctrl-down, clear   making the selection, moving the cursor over a
//                scattered one (the status bar counts the selection anew; left out when
//                BIVORA_BENCH_NO_CURSOR is set), clearing it
// One line per figure: "STYLE SELECTION ACTION paint_ms idle_ms cpu_ms", the last the
// GUI thread's processor time to idle, which other programs on the machine barely
// change. Runs offscreen
// unless QT_QPA_PLATFORM says otherwise (xvfb-run works too).

#include "base/registry_keys.h"
#include "base/settings_store.h"
#include "shell/environment.h"
#include "ui/app/app_window.h"
#include "ui/app/bivora_app.h"
#include "ui/app/startup.h"
#include "ui/commands/command_ids.h"
#include "ui/frame/main_frame.h"
#include "ui/pane/pane_model.h"
#include "ui/pane/pane_view.h"
#include "ui/widgets/sort_list_ctrl.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <fcntl.h>
#include <time.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace bivora;

std::vector<std::string> MakeNames(int entries)
{
    static const char* const kWords[] = {"Report", "invoice", "Budget", "meeting Notes", "Scan", "draft",
                                         "Contract", "letter", "Summary", "notes", "Thesis", "backup"};
    static const char* const kTypes[] = {".pdf", ".docx", ".txt", ".PNG", ".xlsx", ".md", ".odt", ".TXT"};
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(entries));
    char buffer[160];
    for (int i = 0; i < entries; ++i) {
        const int kind = i % 50;
        if (kind == 0)
            std::snprintf(buffer, sizeof buffer, "%s %05d", (i / 50) % 2 ? "Folder" : "photos", i / 50);
        else if (kind < 17)
            std::snprintf(buffer, sizeof buffer, "IMG_%06d.JPG", i);
        else if (kind < 32)
            std::snprintf(buffer, sizeof buffer, "2023-08-14 Family holiday in the mountains - day %d - photo %06d.jpeg",
                          i % 14 + 1, i);
        else if (kind < 45)
            std::snprintf(buffer, sizeof buffer, "%s %d%s", kWords[i % 12], i, kTypes[(i / 12) % 8]);
        else
            std::snprintf(buffer, sizeof buffer, "track %02d - Artist Name %d.mp3", i % 20 + 1, i);
        names.emplace_back(buffer);
    }
    return names;
}

int Make(const std::string& folder, int entries)
{
    if (::mkdir(folder.c_str(), 0755) != 0) {
        std::perror(folder.c_str());
        return 1;
    }
    std::vector<std::string> names = MakeNames(entries);
    std::mt19937 random(12345);
    std::shuffle(names.begin(), names.end(), random);
    const std::int64_t now = 1700000000;
    for (const std::string& name : names) {
        const std::string path = folder + "/" + name;
        const std::int64_t time = now - static_cast<std::int64_t>(random() % (5u * 365 * 86400));
        const struct timespec times[2] = {{time, 0}, {time, 0}};
        if (name.rfind("Folder ", 0) == 0 || name.rfind("photos ", 0) == 0) {
            if (::mkdir(path.c_str(), 0755) != 0) {
                std::perror(path.c_str());
                return 1;
            }
        } else {
            const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
            if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(random() % (8u << 20))) != 0) {
                std::perror(path.c_str());
                return 1;
            }
            ::close(fd);
        }
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
    return 0;
}

// Runs the event loop until done() holds; false after the time is up.
bool Until(const std::function<bool()>& done, int milliseconds = 600000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

double ThreadCpuMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Times an action to the view's next painted frame and to the loop's next idle moment.
class FrameClock : public QObject {
public:
    struct Figures {
        double paint = -1;
        double idle = -1;
        double cpu = -1; // of the GUI thread, from the action to idle: other programs add nothing
    };

    // Runs the loop until a pass over it finds nothing to do (no posted event, no due timer).
    void Settle()
    {
        QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
        int quiet = 0;
        while (quiet < 2) {
            QCoreApplication::sendPostedEvents();
            quiet = dispatcher->processEvents(QEventLoop::AllEvents) ? 0 : quiet + 1;
        }
        m_idleNs = m_clock.nsecsElapsed();
    }

    FrameClock() { m_clock.start(); }

    // The action, then the loop until it is idle; a view that paints nothing has no paint figure.
    Figures Measure(QAbstractItemView* view, const std::function<void()>& action)
    {
        Settle();
        m_painted = false;
        view->viewport()->installEventFilter(this);
        m_startNs = m_clock.nsecsElapsed();
        const double cpuStart = ThreadCpuMs();
        action();
        Settle();
        const double cpuEnd = ThreadCpuMs();
        view->viewport()->removeEventFilter(this);
        Figures figures;
        if (m_painted)
            figures.paint = static_cast<double>(m_paintedNs - m_startNs) / 1e6;
        figures.idle = static_cast<double>(m_idleNs - m_startNs) / 1e6;
        figures.cpu = cpuEnd - cpuStart;
        return figures;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_painted) {
            // the frame counts once the view has painted it
            watched->removeEventFilter(this);
            QCoreApplication::sendEvent(watched, event);
            m_painted = true;
            m_paintedNs = m_clock.nsecsElapsed();
            watched->installEventFilter(this);
            return true;
        }
        return false;
    }

private:
    QElapsedTimer m_clock;
    bool m_painted = false;
    qint64 m_startNs = 0;
    qint64 m_paintedNs = 0;
    qint64 m_idleNs = 0;
};

int Run(const std::string& folder, const std::string& styles, const std::string& selections, int argc, char* argv[])
{
    QApplication qtApp(argc, argv);
    QTemporaryDir home;
    Environment env = Environment::FromProcess();
    env.home = home.path().toStdString();
    env.xdgConfigHome = env.home + "/config";
    env.xdgDataHome = env.home + "/data";
    std::unique_ptr<BivoraApp> app =
        Startup({folder, env.home}, env, [](const Environment&, std::string_view) {
            auto store = std::make_unique<MemorySettingsStore>();
            store->WriteInt(registry::section::kLeftPaneSettings, registry::value::kSortBy, cmd::kSortByName);
            store->WriteInt(registry::section::kLeftPaneSettings, registry::value::kSortAscending, 1);
            return std::unique_ptr<SettingsStore>(std::move(store));
        });
    app->Settings().saveSettings = false;
    AppWindow window(*app);
    window.Start();
    window.Frame().resize(1280, 800);
    PaneView& pane = *window.LeftPane();
    if (!Until([&] { return !pane.IsBusy() && pane.Model().rowCount() > 0; })) {
        std::fprintf(stderr, "the folder did not show\n");
        return 1;
    }
    const int rows = pane.Model().rowCount();
    std::printf("rows %d\n", rows);
    std::fflush(stdout);
    window.Frame().activateWindow();
    pane.Activate();

    SortListCtrl& list = pane.List();
    QItemSelectionModel& selection = *list.SelectionModel();
    PaneModel& model = pane.Model();
    FrameClock clock;
    const auto report = [](const char* style, const char* selected, const char* action, FrameClock::Figures f) {
        std::printf("%-7s %-9s %-16s %10.1f %10.1f %10.1f\n", style, selected, action, f.paint, f.idle, f.cpu);
        std::fflush(stdout);
    };
    const auto route = [&](int id) { window.Frame().ExecuteCommand(id); };

    for (const char letter : styles) {
        int style = cmd::kDetails;
        const char* styleName = "details";
        switch (letter) {
        case 'l': style = cmd::kList; styleName = "list"; break;
        case 's': style = cmd::kSmallIcons; styleName = "small"; break;
        case 'i': style = cmd::kLargeIcons; styleName = "large"; break;
        default: break;
        }
        route(style);
        QAbstractItemView* view = list.CurrentView();
        view->setFocus();
        for (const char* selected : {"none", "all", "scattered"}) {
            if (selections.find(selected[0]) == std::string::npos)
                continue;
            // name ascending, nothing selected, the first row focused
            if (list.SortKey() != cmd::kSortByName || !list.Ascending()) {
                list.OnCommand(cmd::kSortByName);
                if (!list.Ascending())
                    list.OnCommand(cmd::kAscending);
            }
            clock.Measure(view, [&] { selection.clear(); });
            if (std::string(selected) == "all") {
                report(styleName, selected, "select-all", clock.Measure(view, [&] {
                    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
                }));
            } else if (std::string(selected) == "scattered") {
                route(cmd::kSortByDate);
                // the newest third, one range by date, is scattered over the rows by name
                report(styleName, selected, "select-newest", clock.Measure(view, [&] {
                    selection.select(QItemSelection(model.index(0, 0), model.index(rows / 3 - 1, 0)),
                                     QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
                }));
                report(styleName, selected, "cmd-name-setup", clock.Measure(view, [&] { route(cmd::kSortByName); }));
                // minutes with a status bar that asks every range about every row
                if (qEnvironmentVariableIsEmpty("BIVORA_BENCH_NO_CURSOR"))
                    report(styleName, selected, "ctrl-down", clock.Measure(view, [&] {
                        QTest::keyClick(view, Qt::Key_Down, Qt::ControlModifier);
                    }));
            }
            {
                // a copy of the selection holds persistent indexes a sort would have to move
                long long selectedRows = 0;
                const QItemSelection ranges = selection.selection();
                for (const QItemSelectionRange& range : ranges)
                    selectedRows += range.height();
                std::printf("# %s %s: %lld rows selected in %lld ranges\n", styleName, selected, selectedRows,
                            static_cast<long long>(ranges.size()));
            }
            if (style == cmd::kDetails) {
                QHeaderView* header = list.DetailsView()->header();
                const QPoint name(header->sectionViewportPosition(0) + header->sectionSize(0) / 2,
                                  header->height() / 2);
                report(styleName, selected, "click-name-desc", clock.Measure(view, [&] {
                    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, name);
                }));
                report(styleName, selected, "click-name-asc", clock.Measure(view, [&] {
                    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, name);
                }));
            }
            report(styleName, selected, "cmd-size", clock.Measure(view, [&] { route(cmd::kSortBySize); }));
            report(styleName, selected, "cmd-date", clock.Measure(view, [&] { route(cmd::kSortByDate); }));
            report(styleName, selected, "cmd-name", clock.Measure(view, [&] { route(cmd::kSortByName); }));
            report(styleName, selected, "cmd-descending", clock.Measure(view, [&] { route(cmd::kAscending); }));
            if (std::string(selected) != "none")
                report(styleName, selected, "clear", clock.Measure(view, [&] { selection.clear(); }));
        }
    }
    window.Shutdown();
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc >= 4 && std::string(argv[1]) == "make")
        return Make(argv[2], std::atoi(argv[3]));
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s make FOLDER ENTRIES | %s FOLDER [STYLES]\n", argv[0], argv[0]);
        return 1;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return Run(argv[1], argc > 2 ? argv[2] : "dli", argc > 3 ? argv[3] : "nas", argc, argv);
}
