#include "byte_temp_dir.h"
#include "qt_printers.h"
#include "thread_recording_launcher.h"
#include "ui/platform/detached_start.h"
#include "ui/platform/execute_item.h"

#include <QCoreApplication>
#include <QObject>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
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
    test::ByteTempDir m_dir;
    ThreadRecordingLauncher m_launcher;
};

TEST_F(ExecuteItemTest, ExecutableNeedsTheXBitAndAnElfHeaderOrAScriptLine)
{
    struct Case {
        const char* name;
        std::string content;
        mode_t mode;
        bool executable;
    };
    const Case cases[] = {
        {"elf", std::string("\x7f" "ELF\x02\x01\x01", 7), 0755, true},
        {"script.sh", "#!/bin/sh\necho hi\n", 0700, true},
        {"x-bit-text", "just text\n", 0755, false},
        {"elf-no-x", std::string("\x7f" "ELF\x02\x01\x01", 7), 0644, false},
        {"script-no-x", "#!/bin/sh\n", 0644, false},
        {"short", "#", 0755, false},
        {"empty", "", 0755, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsExecutableFile(Make(c.name, c.content, c.mode)), c.executable) << c.name;
    EXPECT_FALSE(IsExecutableFile(Dir())) << "a folder is never an executable file";
    EXPECT_FALSE(IsExecutableFile(Dir() + "/missing"));
}

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

// A name that is not UTF-8 would reach the opener mangled through a QString.
TEST_F(ExecuteItemTest, NameThatIsNotUtf8ReachesTheOpenerWithItsBytes)
{
    const std::string name = "caf\xe9 \"q\" 'x'\n.txt";
    const std::string path = Make(name, "text", 0644);
    EXPECT_EQ(ExecuteItem(path, m_launcher).kind, ExecuteResult::Kind::Opened);
    EXPECT_TRUE(m_launcher.opened.isEmpty());
    ASSERT_EQ(m_launcher.starts.size(), 1u);
    EXPECT_EQ(m_launcher.starts[0].program, QStringLiteral("/bin/sh"));
    const std::string script = m_launcher.starts[0].arguments.value(1).toStdString();
    EXPECT_EQ(script, ByteExactStartScript("xdg-open", {path}, Dir()));
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

// The script really rebuilds every byte: run it with a program that leaves a trace.
TEST(DetachedStartTest, ScriptHandsTheExactBytesToTheProgram)
{
    test::ByteTempDir dir;
    const std::string folder = dir.MakeDir("w\xff rk");
    const std::string odd = "a\xff\xfe b'\"$x`\\%d\n";
    ThreadRecordingLauncher launcher;
    ASSERT_TRUE(StartDetachedBytes(launcher, "touch", {odd, "plain"}, folder));
    ASSERT_EQ(launcher.starts.size(), 1u);
    const auto& start = launcher.starts[0];
    ASSERT_EQ(start.program, QStringLiteral("/bin/sh"));
    EXPECT_EQ(QProcess::execute(start.program, start.arguments), 0);
    struct stat st {};
    EXPECT_EQ(::stat((folder + "/" + odd).c_str(), &st), 0) << "file with the exact name in the working folder";
    EXPECT_EQ(::stat((folder + "/plain").c_str(), &st), 0);
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
