// The editor window with a large file, run offscreen: from the load's start to the first
// painted text and to the whole text, scrolling to the end, the longest pause of the
// event loop meanwhile (other windows keep painting only if it stays short), and the
// hexadecimal view of a binary file. Prints "name value" lines for editor.sh.
#include "base/grep_settings.h"
#include "base/settings_store.h"
#include "ui/editor/editor_command_ids.h"
#include "ui/editor/editor_context.h"
#include "ui/editor/editor_document.h"
#include "ui/editor/editor_window.h"
#include "ui/jobs/job_registry.h"

#include "bench_timing.h"
#include "quiet_services.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <cstdio>

namespace {

using namespace bivora;

// The time of the first paint of the text area that shows some text.
class FirstPaint final : public QObject {
public:
    FirstPaint(QPlainTextEdit& text, QElapsedTimer& clock) : m_text(text), m_clock(clock) {}
    double ms = -1;
    void Reset() { ms = -1; }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && ms < 0 && m_text.document()->characterCount() > 1)
            ms = static_cast<double>(m_clock.nsecsElapsed()) / 1e6;
        return false;
    }

private:
    QPlainTextEdit& m_text;
    QElapsedTimer& m_clock;
};

// The longest gap between the ticks of a 5 ms timer: how long the event loop stood still.
class StallMeter final : public QObject {
public:
    StallMeter()
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const double now = static_cast<double>(m_clock.nsecsElapsed()) / 1e6;
            longest = std::max(longest, now - m_last);
            m_last = now;
        });
    }
    void Start()
    {
        longest = 0;
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    void Stop() { m_timer.stop(); }
    double longest = 0;

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_last = 0;
};

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QByteArray textFile = qgetenv("BIVORA_BENCH_TEXT");
    const QByteArray binaryFile = qgetenv("BIVORA_BENCH_BINARY");

    MemorySettingsStore store;
    bench::NoPrompts prompts;
    GrepSettings grep;
    JobRegistry jobs;
    EditorShared shared{store, prompts, grep};
    shared.jobs = &jobs;
    StallMeter stall;

    if (!textFile.isEmpty()) {
        auto* window = new EditorWindow(shared, textFile.toStdString(), true);
        window->resize(1000, 700);
        window->show();
        QTest::qWaitForWindowExposed(window);
        QElapsedTimer clock;
        FirstPaint paint(window->Text(), clock);
        window->Text().viewport()->installEventFilter(&paint);
        QSignalSpy loaded(window, &EditorWindow::loadFinished);
        stall.Start();
        clock.start();
        window->Load();
        loaded.wait(600000);
        const double wholeMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        stall.Stop();
        std::printf("first_paint_ms %.1f\n", paint.ms);
        std::printf("whole_text_ms %.1f\n", wholeMs);
        std::printf("longest_stall_ms %.1f\n", stall.longest);
        std::printf("lines %d\n", window->Text().document()->blockCount());
        QScrollBar* bar = window->Text().verticalScrollBar();
        const double scrollMs = bench::Ms([&] {
            bar->setValue(bar->maximum());
            window->Text().viewport()->repaint();
        });
        std::printf("scroll_end_ms %.1f\n", scrollMs);
        delete window;
    }

    if (!binaryFile.isEmpty()) {
        auto* window = new EditorWindow(shared, binaryFile.toStdString(), true);
        window->resize(1000, 700);
        window->show();
        QTest::qWaitForWindowExposed(window);
        QSignalSpy loaded(window, &EditorWindow::loadFinished);
        window->Load();
        loaded.wait(600000);
        QElapsedTimer clock;
        FirstPaint paint(window->Text(), clock);
        window->Text().viewport()->installEventFilter(&paint);
        double dumpReadyMs = -1;
        QObject::connect(&window->Document(), &EditorDocument::workChanged, [&] {
            if (window->Document().CurrentWork() == EditorDocument::Work::Filling && dumpReadyMs < 0)
                dumpReadyMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        });
        stall.Start();
        clock.start();
        window->ExecuteCommand(edcmd::kHexadecimal);
        QTest::qWaitFor([&] { return !window->Document().Busy(); }, 600000);
        const double wholeMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        stall.Stop();
        std::printf("hex_dump_made_ms %.1f\n", dumpReadyMs);
        std::printf("hex_first_paint_ms %.1f\n", paint.ms);
        std::printf("hex_whole_ms %.1f\n", wholeMs);
        std::printf("hex_longest_stall_ms %.1f\n", stall.longest);
        std::printf("hex_shown %d\n", window->View().hex ? 1 : 0);
        delete window;
    }
    return 0;
}
