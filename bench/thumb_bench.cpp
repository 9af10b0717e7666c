// The thumbnail bar: how soon the picture of a large photograph shows once the focus
// lands on it, and whether moving the focus through many pictures, as a held arrow key
// does, ever holds up the GUI thread.
//
// Runs offscreen in a fresh folder under the temporary directory: one 6000 x 4000
// (24-megapixel) JPEG and BIVORA_BENCH_FILES pictures (default 200, 1600 x 1200 JPEGs).
// BIVORA_BENCH_RUNS runs (default 5); printed per run and as medians:
//   shown_ms   from the focus landing on the large JPEG to its picture in the view
//              (target: 300 ms, the focus's settle time included)
//   max_gap_ms the longest gap between ticks of a 5 ms GUI-thread timer while the focus
//              steps through every picture every 30 ms and the last one is shown
//              (target: no gap above 50 ms)
//   steps_ms   from the last step to the last picture shown

#include "base/settings_store.h"
#include "base/registry_keys.h"
#include "ui/jobs/job_registry.h"
#include "ui/thumbs/thumb_bar.h"

#include "bench_timing.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace bivora;

QImage Photo(int width, int height)
{
    // a gradient with detail, so the encoder has real work and the file a real size
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, Qt::darkBlue);
    gradient.setColorAt(1, Qt::yellow);
    painter.fillRect(image.rect(), gradient);
    for (int x = 0; x < width; x += 37)
        painter.drawLine(x, 0, width - x, height);
    return image;
}

int EnvInt(const char* name, int fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::max(1, std::atoi(text)) : fallback;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = EnvInt("BIVORA_BENCH_RUNS", 5);
    const int files = EnvInt("BIVORA_BENCH_FILES", 200);

    QTemporaryDir dir;
    const QString large = dir.filePath(QStringLiteral("large.jpg"));
    if (!Photo(6000, 4000).save(large, "jpg", 90))
        return 1;
    const QString first = dir.filePath(QStringLiteral("p0000.jpg"));
    if (!Photo(1600, 1200).save(first, "jpg", 90))
        return 1;
    std::vector<std::string> pictures{first.toStdString()};
    for (int i = 1; i < files; ++i) {
        const QString name = dir.filePath(QStringLiteral("p%1.jpg").arg(i, 4, 10, QLatin1Char('0')));
        QFile::copy(first, name);
        pictures.push_back(name.toStdString());
    }
    const auto size = [](const QString& name) { return std::uint64_t(QFileInfo(name).size()); };
    std::printf("large.jpg %llu bytes, pictures %llu bytes each\n", (unsigned long long)size(large),
                (unsigned long long)size(first));

    JobRegistry jobs;
    MemorySettingsStore store;
    store.WriteInt(registry::section::kMainFrameSettings, registry::value::kMaxFileSizeThumb, 0); // no limit
    std::optional<FocusedFile> focused;
    ThumbBar bar({jobs, store, [&] { return focused; }, {}});
    bar.resize(300, 300);
    bar.show();
    QTest::qWaitForWindowExposed(&bar);

    const auto fileOf = [](const std::string& path, int version) {
        // a new modification time each run, so the same file counts as a new one
        return FocusedFile{path, true, 1000, std::int64_t(version) * 1'000'000'000};
    };

    std::vector<double> shown, gaps, settles;
    for (int run = 0; run < runs; ++run) {
        // 1. the large JPEG
        QSignalSpy picture(&bar.View(), &ThumbView::PictureChanged);
        QElapsedTimer clock;
        clock.start();
        focused = fileOf(large.toStdString(), run + 1);
        bar.FocusMayHaveChanged();
        if (!picture.wait(10000) || bar.View().Picture().isNull())
            return 2;
        shown.push_back(double(clock.nsecsElapsed()) / 1e6);

        // 2. a held key through every picture
        double maxGap = 0;
        QElapsedTimer tick;
        tick.start();
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            maxGap = std::max(maxGap, double(tick.nsecsElapsed()) / 1e6);
            tick.restart();
        });
        ticker.start(5);
        for (const std::string& path : pictures) {
            focused = fileOf(path, run + 1);
            bar.FocusMayHaveChanged();
            QTest::qWait(30);
        }
        QSignalSpy last(&bar.View(), &ThumbView::PictureChanged);
        QElapsedTimer settle;
        settle.start();
        if (!last.wait(10000))
            return 3;
        settles.push_back(double(settle.nsecsElapsed()) / 1e6);
        QTest::qWait(50);
        ticker.stop();
        gaps.push_back(maxGap);
        std::printf("run %d: shown_ms %.1f max_gap_ms %.1f steps_ms %.1f\n", run + 1, shown.back(), gaps.back(),
                    settles.back());
    }
    std::printf("median: shown_ms %.1f max_gap_ms %.1f steps_ms %.1f\n", bench::Median(shown), bench::Median(gaps),
                bench::Median(settles));
    return 0;
}
