#include "../../shell/temp_tree.h"
#include "qt_printers.h"
#include "thread_recording_launcher.h"
#include "ui/platform/detached_start.h"
#include "ui/platform/execute_item.h"
#include "ui/platform/qt_launcher.h"

#include <QCoreApplication>
#include <QObject>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace bivora {
namespace {

using test::ThreadRecordingLauncher;

class ExecuteItemTest : public ::testing::Test {
protected:
    std::string Dir() const { return m_dir.Path(); }
    std::string Make(const std::string& name, const std::string& content, mode_t mode)
    {
        return m_dir.MakeFile(name, content, mode);
    }
    test::TempTree m_dir;
    ThreadRecordingLauncher m_launcher;
};

TEST_F(ExecuteItemTest, FolderIsBrowsedWithoutStartingAnything)
{
    const ExecuteResult result = ExecuteItem(Dir(), m_launcher);
    EXPECT_EQ(result.kind, ExecuteResult::Kind::Browse);
    EXPECT_TRUE(m_launcher.opened.isEmpty());
    EXPECT_TRUE(m_launcher.starts.empty());
}

TEST_F(ExecuteItemTest, ExecutableStartsDetachedInItsOwnFolder)
{
    const std::string script = Make("run me.sh", "#!/bin/sh\n", 0755);
    const ExecuteResult result = ExecuteItem(script, m_launcher);
    EXPECT_EQ(result.kind, ExecuteResult::Kind::Started);
    ASSERT_EQ(m_launcher.starts.size(), 1u);
    EXPECT_EQ(m_launcher.starts[0].program, QString::fromStdString(script));
    EXPECT_TRUE(m_launcher.starts[0].arguments.isEmpty());
    EXPECT_EQ(m_launcher.starts[0].workingDirectory, QString::fromStdString(Dir()));
    EXPECT_TRUE(m_launcher.opened.isEmpty());
}

TEST_F(ExecuteItemTest, OtherFilesGoToTheDefaultApplicationAndItsFailureIsReported)
{
    const std::string text = Make("notes.txt", "x bit but no magic\n", 0755);
    EXPECT_EQ(ExecuteItem(text, m_launcher).kind, ExecuteResult::Kind::Opened);
    EXPECT_EQ(m_launcher.opened, QStringList{QString::fromStdString(text)});
    EXPECT_TRUE(m_launcher.starts.empty());

    m_launcher.openResult = false;
    const ExecuteResult failed = ExecuteItem(text, m_launcher);
    EXPECT_EQ(failed.kind, ExecuteResult::Kind::Failed);
    EXPECT_TRUE(failed.message.contains(QStringLiteral("notes.txt"))) << failed.message.toStdString();

    m_launcher.startResult = false;
    EXPECT_EQ(ExecuteItem(Make("tool", "#!/bin/sh\n", 0755), m_launcher).kind, ExecuteResult::Kind::Failed);
    EXPECT_EQ(ExecuteItem(Dir() + "/vanished", m_launcher).kind, ExecuteResult::Kind::Failed);
}

// A name that is not UTF-8 would reach the opener mangled through a QString: it goes
// as bytes, and a failure to start the opener is a failure, not "opened".
TEST_F(ExecuteItemTest, NameThatIsNotUtf8ReachesTheOpenerWithItsBytes)
{
    const std::string name = "caf\xe9 \"q\" 'x'\n.txt";
    const std::string path = Make(name, "text", 0644);
    EXPECT_EQ(ExecuteItem(path, m_launcher).kind, ExecuteResult::Kind::Opened);
    EXPECT_TRUE(m_launcher.opened.isEmpty());
    EXPECT_TRUE(m_launcher.starts.empty());
    ASSERT_EQ(m_launcher.exactStarts.size(), 1u);
    EXPECT_EQ(m_launcher.exactStarts[0].program, "xdg-open");
    EXPECT_EQ(m_launcher.exactStarts[0].arguments, std::vector<std::string>{path});
    EXPECT_EQ(m_launcher.exactStarts[0].workingDirectory, Dir());

    m_launcher.startResult = false;
    const ExecuteResult failed = ExecuteItem(path, m_launcher);
    EXPECT_EQ(failed.kind, ExecuteResult::Kind::Failed);
    EXPECT_TRUE(failed.message.contains(QStringLiteral("xdg-open"))) << failed.message.toStdString();
}

// With the real launcher: the opener is a program on PATH, started without a shell.
class RealOpenerTest : public ExecuteItemTest {
protected:
    void SetUp() override
    {
        const char* path = std::getenv("PATH");
        m_savedPath = path ? path : "";
        m_bin = m_dir.MakeDir("bin");
        ::setenv("PATH", m_bin.c_str(), 1);
    }
    void TearDown() override { ::setenv("PATH", m_savedPath.c_str(), 1); }

    std::string m_savedPath;
    std::string m_bin;
    QtLauncher m_real;
};

TEST_F(RealOpenerTest, MissingOpenerIsReportedAsFailure)
{
    const std::string path = Make("caf\xe9.txt", "text", 0644);
    const ExecuteResult result = ExecuteItem(path, m_real);
    EXPECT_EQ(result.kind, ExecuteResult::Kind::Failed);
    EXPECT_TRUE(result.message.contains(QString::fromLocal8Bit(std::strerror(ENOENT)))) << result.message.toStdString();
}

TEST_F(RealOpenerTest, OpenerGetsTheNameByteExactInTheFilesFolder)
{
    // an opener that writes down its argument and its working folder
    m_dir.MakeFile("bin/xdg-open", "#!/bin/sh\nPATH=/usr/bin:/bin\nprintf '%s' \"$1\" > \"$0.arg\"\npwd -P > \"$0.cwd.tmp\"\nmv \"$0.cwd.tmp\" \"$0.cwd\"\n", 0755);
    const std::string folder = m_dir.MakeDir("d\xff\xfe r");
    const std::string path = m_dir.MakeFile("d\xff\xfe r/caf\xe9 $x `y` \"q\".txt", "text", 0644);
    ASSERT_EQ(ExecuteItem(path, m_real).kind, ExecuteResult::Kind::Opened);

    struct stat st {};
    const std::string done = m_bin + "/xdg-open.cwd";
    ASSERT_TRUE(QTest::qWaitFor([&] { return ::stat(done.c_str(), &st) == 0; }, 20000)) << "the opener never ran";
    std::ifstream argument(m_bin + "/xdg-open.arg", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(argument), {}), path);
    std::ifstream cwd(done, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(cwd), {}), folder + "\n");
}

TEST(DetachedStartTest, Utf8Validity)
{
    EXPECT_TRUE(IsValidUtf8("plain ascii"));
    EXPECT_TRUE(IsValidUtf8("caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"));
    EXPECT_FALSE(IsValidUtf8("caf\xe9"));
    EXPECT_FALSE(IsValidUtf8("\xc3"));             // cut short
    EXPECT_FALSE(IsValidUtf8("\xc0\xaf"));         // overlong "/"
    EXPECT_FALSE(IsValidUtf8("\xed\xa0\x80"));     // a surrogate
    EXPECT_FALSE(IsValidUtf8("\xf4\x90\x80\x80")); // past U+10FFFF
}

TEST(DetachedStartTest, OtherBytesGoToTheExactStart)
{
    const std::string odd = "a\xff\xfe b'\"$x`\\%d\n";
    ThreadRecordingLauncher launcher;
    ASSERT_TRUE(StartDetachedBytes(launcher, "touch", {odd, "plain"}, "/w\xffrk"));
    EXPECT_TRUE(launcher.starts.empty());
    ASSERT_EQ(launcher.exactStarts.size(), 1u);
    EXPECT_EQ(launcher.exactStarts[0].program, "touch");
    EXPECT_EQ(launcher.exactStarts[0].arguments, (std::vector<std::string>{odd, "plain"}));
    EXPECT_EQ(launcher.exactStarts[0].workingDirectory, "/w\xffrk");
    launcher.startResult = false;
    EXPECT_FALSE(StartDetachedBytes(launcher, "touch", {odd}, "/"));
}

TEST(DetachedStartTest, Utf8NamesGoStraightToTheLauncher)
{
    ThreadRecordingLauncher launcher;
    ASSERT_TRUE(StartDetachedBytes(launcher, "app", {"caf\xc3\xa9 \"x\"", "--flag"}, "/tmp"));
    ASSERT_EQ(launcher.starts.size(), 1u);
    EXPECT_EQ(launcher.starts[0].program, QStringLiteral("app"));
    EXPECT_EQ(launcher.starts[0].arguments, (QStringList{QString::fromUtf8("caf\xc3\xa9 \"x\""), "--flag"}));
    EXPECT_EQ(launcher.starts[0].workingDirectory, QStringLiteral("/tmp"));
}

} // namespace
} // namespace bivora
