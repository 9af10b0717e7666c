#include "base/registry_keys.h"
#include "base/settings_store.h"
#include "ui/jobs/job_registry.h"
#include "ui/thumbs/thumb_bar.h"
#include "ui/thumbs/thumb_view.h"
#include "../wait_until.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <vector>

namespace bivora {
namespace {

namespace value = registry::value;
constexpr std::string_view kSection = registry::section::kMainFrameSettings;

TEST(ThumbPlacementTest, SmallPicturesKeepTheirSizeLargeOnesFitKeepingTheirShape)
{
    struct Case {
        QSizeF picture;
        QRect expected;
    };
    const Case cases[] = {
        {{64, 48}, {68, 76, 64, 48}},
        {{200, 200}, {0, 0, 200, 200}},
        {{400, 100}, {0, 75, 200, 50}},
        {{100, 400}, {75, 0, 50, 200}},
        {{201, 50}, {0, 75, 200, 49}}, // truncated, not rounded
    };
    for (const Case& c : cases)
        EXPECT_EQ(ThumbPlacement(c.picture, QSize(200, 200)), c.expected) << c.picture.width() << "x" << c.picture.height();
}

// The bar with a focus the test moves and an extraction that records what it was asked,
// answers with a picture whose width tells the file apart, and can hold one file back.
class ThumbBarTest : public ::testing::Test {
protected:
    void Open()
    {
        ThumbBarServices services{jobs, store, [this] { return focused; }, {}};
        services.extract = [this](const ThumbnailRequest& request, const std::atomic<bool>& stop) {
            std::unique_lock lock(mutex);
            asked.push_back(request.path);
            changed.notify_all();
            (void)stop; // a held-back file comes back only when released, stopped or not
            changed.wait(lock, [&] { return request.path != heldBack; });
            QImage image(int(request.path.size()), 10, QImage::Format_RGB32);
            image.fill(Qt::red);
            return image;
        };
        bar = std::make_unique<ThumbBar>(std::move(services));
        bar->resize(220, 220);
        bar->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(bar.get()));
    }

    // Moves the focus and waits for the picture to follow.
    void FocusAndWait(std::optional<FocusedFile> file)
    {
        QSignalSpy spy(&bar->View(), &ThumbView::PictureChanged);
        focused = std::move(file);
        bar->FocusMayHaveChanged();
        ASSERT_TRUE(spy.wait(5000));
    }

    static FocusedFile File(std::string path, std::uint64_t size = 1000, bool isFile = true)
    {
        return {std::move(path), isFile, size, 1'700'000'000'000'000'000};
    }

    std::size_t Asked()
    {
        std::lock_guard lock(mutex);
        return asked.size();
    }

    void TearDown() override
    {
        {
            std::lock_guard lock(mutex);
            heldBack.clear();
            changed.notify_all();
        }
        bar.reset();
        jobs.Shutdown();
    }

    JobRegistry jobs;
    MemorySettingsStore store;
    std::optional<FocusedFile> focused;
    std::unique_ptr<ThumbBar> bar;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> asked;
    std::string heldBack;
};

TEST_F(ThumbBarTest, OnlyNonEmptyFilesUpToTheLimitAreTried)
{
    store.WriteInt(kSection, value::kMaxFileSizeThumb, 5000);
    Open();
    EXPECT_EQ(bar->SizeLimit(), 5000u);
    struct Case {
        const char* name;
        FocusedFile file;
        bool picture;
    };
    const Case cases[] = {
        {"exactly the limit", File("/p/limit.jpg", 5000), true},
        {"one byte more", File("/p/over.jpg", 5001), false},
        {"small again", File("/p/small.jpg", 10), true},
        {"empty file", File("/p/empty.jpg", 0), false},
        {"a folder", File("/p/folder", 4096, false), false},
    };
    std::size_t tried = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FocusAndWait(c.file);
        EXPECT_EQ(!bar->View().Picture().isNull(), c.picture);
        tried += c.picture ? 1 : 0;
        EXPECT_EQ(Asked(), tried); // nothing read for a file that is not tried
    }

    // No focused row: the last picture stays; the same file again: nothing new.
    FocusAndWait(File("/p/last.jpg"));
    focused.reset();
    bar->FocusMayHaveChanged();
    focused = File("/p/last.jpg");
    bar->FocusMayHaveChanged();
    QTest::qWait(300); // the settle time passes without a request
    EXPECT_EQ(Asked(), tried + 1);
    EXPECT_FALSE(bar->View().Picture().isNull());
}

TEST_F(ThumbBarTest, StoredLimitIsClampedAndWrittenBack)
{
    for (const auto& [stored, limit] : {std::pair{0, 0xFFFFFFFFu}, std::pair{50, 1000000u}}) {
        store.WriteInt(kSection, value::kMaxFileSizeThumb, stored);
        ThumbBar bar({jobs, store, {}, {}});
        EXPECT_EQ(bar.SizeLimit(), limit);
        EXPECT_EQ(std::uint32_t(store.GetInt(kSection, value::kMaxFileSizeThumb, 1)), limit);
    }
}

TEST_F(ThumbBarTest, AHiddenBarAndAHeldKeyStartNothing)
{
    Open();
    bar->hide();
    focused = File("/p/while-hidden.jpg");
    bar->FocusMayHaveChanged();
    QTest::qWait(300); // longer than the settle time
    EXPECT_EQ(Asked(), 0u);
    QSignalSpy shown(&bar->View(), &ThumbView::PictureChanged);
    bar->show();
    ASSERT_TRUE(shown.wait(5000));
    EXPECT_EQ(asked, std::vector<std::string>{"/p/while-hidden.jpg"});

    // a key held down moves the focus every 30 ms: only where it stops is read
    for (int row = 0; row < 15; ++row) {
        focused = File("/p/row" + std::to_string(row) + ".jpg");
        bar->FocusMayHaveChanged();
        QTest::qWait(30);
    }
    QSignalSpy settled(&bar->View(), &ThumbView::PictureChanged);
    ASSERT_TRUE(settled.wait(5000));
    EXPECT_EQ(asked, (std::vector<std::string>{"/p/while-hidden.jpg", "/p/row14.jpg"}));
}

TEST_F(ThumbBarTest, ALateResultForARowNoLongerFocusedIsThrownAway)
{
    Open();
    heldBack = "/p/slow.jpg";
    focused = File(heldBack);
    bar->FocusMayHaveChanged();
    WAIT_UNTIL(Asked() == 1, 5000);
    FocusAndWait(File("/p/quick-one.jpg"));
    const int quickWidth = int(std::string("/p/quick-one.jpg").size());
    EXPECT_EQ(bar->View().Picture().width(), quickWidth);
    // the slow file comes back late: once its worker has ended, the picture is still the quick one
    {
        std::lock_guard lock(mutex);
        heldBack.clear();
        changed.notify_all();
    }
    WAIT_EQ(jobs.Count(), std::size_t(0), 5000);
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->View().Picture().width(), quickWidth);
}

} // namespace
} // namespace bivora
