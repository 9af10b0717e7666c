#include "../../shell/temp_tree.h"
#include "../platform/qt_printers.h"
#include "ui/dialogs/properties_dialog.h"
#include "ui/commands/services.h"
#include "ui/jobs/job_registry.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QMimeDatabase>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace bivora {
namespace {

// Records the messages; the dialogs' questions are never asked here.
class RecordingPrompts : public Prompts {
public:
    void Message(QWidget*, const QString& text, Icon) override { messages << text; }
    bool AskYesNo(QWidget*, const QString&, Icon) override { return false; }
    std::optional<QString> OpenFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    std::optional<QString> BrowseFolder(QWidget*, const QString&, const QString&) override { return {}; }
    int Exec(QDialog&) override { return QDialog::Rejected; }
    QStringList messages;
};

QString Text(const QDialog& dialog, const char* name)
{
    const auto* label = dialog.findChild<QLabel*>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

QCheckBox* Box(const QDialog& dialog, const char* name)
{
    return dialog.findChild<QCheckBox*>(QLatin1String(name));
}

mode_t ModeOf(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

class PropertiesDialogTest : public ::testing::Test {
protected:
    test::TempTree m_dir;
    RecordingPrompts m_prompts;
    JobRegistry m_jobs; // gone before the tree: the walks are joined first
};

TEST_F(PropertiesDialogTest, OneFileShowsItsFields)
{
    const std::string path = m_dir.MakeFile("notes \xff.txt", std::string(1234, 'a'), 0640);
    const struct timespec times[2] = {{978350400, 0}, {978350400, 0}}; // 2001-01-01 12:00 UTC
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);

    PropertiesDialog dialog({path}, m_prompts, m_jobs);
    EXPECT_EQ(Text(dialog, "name"), QString::fromUtf8("notes \xef\xbf\xbd.txt"));
    EXPECT_EQ(Text(dialog, "size"), "1,234 bytes");
    EXPECT_EQ(Text(dialog, "location"), QString::fromStdString(m_dir.Path()));
    EXPECT_EQ(Text(dialog, "type"), QMimeDatabase().mimeTypeForName("text/plain").comment());
    EXPECT_TRUE(Text(dialog, "modified").contains("2001")) << Text(dialog, "modified").toStdString();
    EXPECT_FALSE(Text(dialog, "created").isEmpty());
    EXPECT_FALSE(Text(dialog, "accessed").isEmpty());
    EXPECT_EQ(Text(dialog, "owner"), QString::fromLocal8Bit(::getpwuid(::getuid())->pw_name));
    EXPECT_EQ(Text(dialog, "group"), QString::fromLocal8Bit(::getgrgid(::getgid())->gr_name));
    EXPECT_FALSE(dialog.IsComputing()) << "a file's size needs no worker";

    const std::pair<const char*, bool> boxes[] = {
        {"ownerRead", true},    {"ownerWrite", true},   {"ownerExecute", false},
        {"groupRead", true},    {"groupWrite", false},  {"groupExecute", false},
        {"othersRead", false},  {"othersWrite", false}, {"othersExecute", false},
    };
    for (const auto& [name, checked] : boxes) {
        ASSERT_TRUE(Box(dialog, name)) << name;
        EXPECT_EQ(Box(dialog, name)->isChecked(), checked) << name;
    }
}

TEST_F(PropertiesDialogTest, OkAppliesChangedPermissionsKeepingSpecialBits)
{
    const std::string path = m_dir.MakeFile("tool", "x", 0644);
    ASSERT_EQ(::chmod(path.c_str(), 01644), 0);
    PropertiesDialog dialog({path}, m_prompts, m_jobs);
    Box(dialog, "ownerExecute")->setChecked(true);
    Box(dialog, "groupWrite")->setChecked(true);
    Box(dialog, "othersRead")->setChecked(false);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(ModeOf(path), mode_t(01760));
    EXPECT_TRUE(m_prompts.messages.isEmpty());

    PropertiesDialog cancelled({path}, m_prompts, m_jobs);
    Box(cancelled, "othersExecute")->setChecked(true);
    cancelled.reject();
    EXPECT_EQ(ModeOf(path), mode_t(01760)) << "Cancel changes nothing";
}

TEST_F(PropertiesDialogTest, FailedChmodIsReportedAndTheDialogStaysOpen)
{
    const std::string path = m_dir.MakeFile("brief", "x", 0644);
    PropertiesDialog dialog({path}, m_prompts, m_jobs);
    dialog.show();
    Box(dialog, "othersWrite")->setChecked(true);
    ASSERT_EQ(::unlink(path.c_str()), 0);
    dialog.accept();
    ASSERT_EQ(m_prompts.messages.size(), 1);
    EXPECT_TRUE(m_prompts.messages[0].contains("brief")) << m_prompts.messages[0].toStdString();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
}

TEST_F(PropertiesDialogTest, FolderTotalArrivesFromTheWorker)
{
    m_dir.MakeDir("top/a/b");
    m_dir.MakeFile("top/one", std::string(1000, 'x'));
    m_dir.MakeFile("top/a/two", std::string(200, 'x'));
    m_dir.MakeFile("top/a/b/three", std::string(34, 'x'));
    ASSERT_EQ(::symlink("/nonexistent/target", (m_dir.Path() + "/top/a/link").c_str()), 0);
    const std::string top = m_dir.Path() + "/top";

    PropertiesDialog dialog({top}, m_prompts, m_jobs);
    QSignalSpy computed(&dialog, &PropertiesDialog::SizeComputed);
    EXPECT_EQ(Text(dialog, "type"), QMimeDatabase().mimeTypeForName("inode/directory").comment());
    ASSERT_TRUE(computed.wait(10000));
    EXPECT_EQ(Text(dialog, "size"), "1,253 bytes");
    EXPECT_EQ(Text(dialog, "contents"), "4 files, 2 folders");
}

TEST_F(PropertiesDialogTest, SeveralItemsShowCountAndTotal)
{
    m_dir.MakeDir("sub");
    const std::string a = m_dir.MakeFile("a", std::string(1500, 'x'));
    const std::string b = m_dir.MakeFile("sub/b", std::string(500, 'x'));
    PropertiesDialog dialog({a, m_dir.Path() + "/sub"}, m_prompts, m_jobs);
    QSignalSpy computed(&dialog, &PropertiesDialog::SizeComputed);
    EXPECT_EQ(Text(dialog, "name"), "2 items");
    EXPECT_EQ(Text(dialog, "location"), QString::fromStdString(m_dir.Path()));
    ASSERT_TRUE(computed.wait(10000));
    EXPECT_EQ(Text(dialog, "size"), "2,000 bytes");
    EXPECT_EQ(Text(dialog, "contents"), "2 files, 1 folder");
    EXPECT_EQ(dialog.findChild<QCheckBox*>(), nullptr) << "permissions are edited one item at a time";
}

// Closing the dialog while the walk runs stops the worker without waiting for it; a
// walk stuck in a call that does not look at the flag (a dead mount) holds neither
// the dialog's going nor the GUI thread, is reported by the registry's shutdown, and
// when it comes back its figures go nowhere.
TEST_F(PropertiesDialogTest, ClosingEarlyStopsTheWorkerAndNeverWaitsForAStuckOne)
{
    struct Walk {
        std::mutex mutex;
        std::condition_variable changed;
        bool started = false, sawStop = false, returned = false;
        bool stuck = false, released = false, gaveUp = false;
        void Set(bool Walk::*flag)
        {
            std::lock_guard lock(mutex);
            this->*flag = true;
            changed.notify_all();
        }
        bool Is(bool Walk::*flag)
        {
            std::lock_guard lock(mutex);
            return this->*flag;
        }
    };
    const auto walk = std::make_shared<Walk>();
    const auto slowWalk = [walk](const std::vector<std::string>&, const std::atomic<bool>& stop,
                                 const PropertiesDialog::Progress& progress) {
        walk->Set(&Walk::started);
        FolderTotal soFar;
        soFar.bytes = 1000;
        soFar.files = 3;
        soFar.folders = 2;
        if (walk->Is(&Walk::stuck)) {
            // blocked without looking at the flag; gives up only so that a failure ends
            std::unique_lock lock(walk->mutex);
            walk->gaveUp = !walk->changed.wait_for(lock, std::chrono::seconds(30), [&] { return walk->released; });
        } else {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (!stop && std::chrono::steady_clock::now() < deadline) {
                progress(soFar); // the dialog shows this a few times a second at most
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        progress(soFar);
        FolderTotal total;
        total.stopped = stop.load();
        if (stop.load())
            walk->Set(&Walk::sawStop);
        walk->Set(&Walk::returned);
        return total;
    };
    const std::string folder = m_dir.MakeDir("big");
    {
        PropertiesDialog dialog({folder}, m_prompts, m_jobs, nullptr, slowWalk);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return walk->Is(&Walk::started); }, 5000));
        EXPECT_TRUE(dialog.IsComputing());
        // the figures so far, marked as not yet the total
        EXPECT_TRUE(QTest::qWaitFor([&] { return Text(dialog, "size") == "1,000 bytes..."; }, 10000))
            << Text(dialog, "size").toStdString();
        EXPECT_EQ(Text(dialog, "contents"), "3 files, 1 folder...");
        dialog.reject();
        EXPECT_TRUE(QTest::qWaitFor([&] { return walk->Is(&Walk::returned); }, 10000));
        EXPECT_TRUE(walk->Is(&Walk::sawStop));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_jobs.Count() == 0; }, 10000)) << "the ended walk is joined";

    {
        std::lock_guard lock(walk->mutex);
        walk->started = walk->sawStop = walk->returned = false;
        walk->stuck = true;
    }
    auto dialog = std::make_unique<PropertiesDialog>(std::vector<std::string>{folder}, m_prompts, m_jobs, nullptr,
                                                     slowWalk);
    ASSERT_TRUE(QTest::qWaitFor([&] { return walk->Is(&Walk::started); }, 5000));
    dialog.reset();
    EXPECT_FALSE(walk->Is(&Walk::gaveUp)) << "the dialog waited for its stuck walk";
    EXPECT_FALSE(m_jobs.Shutdown(std::chrono::milliseconds(50))) << "the stuck walk is reported";
    walk->Set(&Walk::released);
    EXPECT_TRUE(m_jobs.Shutdown(std::chrono::seconds(10)));
    EXPECT_TRUE(walk->Is(&Walk::sawStop));
    QCoreApplication::processEvents(); // its last figures were dropped with the dialog
}

TEST_F(PropertiesDialogTest, NothingSelectedShowsNoDialog)
{
    EXPECT_FALSE(ShowProperties({}, m_prompts, m_jobs, nullptr));
}

} // namespace
} // namespace bivora
