// Start-up with a large start folder in both panes, as the program starts: the
// command line, the store, the window and its Start.
//
// Runs offscreen. The folder is BIVORA_BENCH_DIR (bench/startup.sh makes one). Prints
//   shown_ms    from the start of main to the first paint of the main window
//   settled_ms  from the start of main to the end of Start (both panes filled)

#include "base/settings_store.h"
#include "shell/environment.h"
#include "ui/app/app_window.h"
#include "ui/app/startup.h"
#include "ui/frame/main_frame.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

// Notes when a widget of the window is first painted.
class FirstPaint final : public QObject {
public:
    FirstPaint(const QElapsedTimer& clock, QWidget& window) : m_clock(clock), m_window(window) {}
    double shownMs = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (shownMs < 0 && event->type() == QEvent::Paint) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget && widget->window() == &m_window)
                shownMs = static_cast<double>(m_clock.nsecsElapsed()) / 1e6;
        }
        return false;
    }

private:
    const QElapsedTimer& m_clock;
    QWidget& m_window;
};

} // namespace

int main(int argc, char* argv[])
{
    QElapsedTimer clock;
    clock.start();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const char* dir = std::getenv("BIVORA_BENCH_DIR");
    if (!dir || !*dir) {
        std::fprintf(stderr, "set BIVORA_BENCH_DIR to the start folder\n");
        return 1;
    }
    QTemporaryDir home;
    bivora::Environment env = bivora::Environment::FromProcess();
    env.xdgConfigHome = home.path().toStdString();
    auto bivoraApp = bivora::Startup({dir, dir}, env, [](const bivora::Environment&, std::string_view) {
        return std::unique_ptr<bivora::SettingsStore>(std::make_unique<bivora::MemorySettingsStore>());
    });
    bivora::AppWindow window(*bivoraApp);
    FirstPaint paint(clock, window.Frame());
    app.installEventFilter(&paint);
    window.Start();
    const double settledMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    app.removeEventFilter(&paint);
    std::printf("shown_ms %.1f\nsettled_ms %.1f\n", paint.shownMs, settledMs);
    window.Frame().close();
    window.Shutdown();
    return 0;
}
