#include "ui/editor/editor_window.h"

#include "base/grep_settings.h"
#include "base/hex_dump.h"
#include "base/settings_store.h"
#include "ui/editor/editor_command_ids.h"
#include "ui/editor/editor_context.h"
#include "ui/editor/editor_document.h"
#include "ui/editor/editor_windows.h"
#include "ui/jobs/job_registry.h"
#include "ui/widgets/main_status_bar.h"

#include "../../shell/temp_tree.h"
#include "../test_services.h"
#include "../wait_until.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>

namespace bivora::test {
namespace {

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class EditorWindowTest : public ::testing::Test {
protected:
    EditorWindowTest() { shared.jobs = &jobs; }

    // Opens a window on the file and waits for its load; null when it closed instead.
    EditorWindow* Open(const std::string& path, bool readOnly)
    {
        auto* window = new EditorWindow(shared, path, readOnly);
        QPointer<EditorWindow> alive(window);
        QSignalSpy loaded(window, &EditorWindow::loadFinished);
        window->show();
        window->Load();
        EXPECT_TRUE(loaded.wait(20000));
        if (loaded.isEmpty() || !loaded.first().first().toBool()) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return alive.isNull() || !alive->isVisible(); }, 5000));
            return nullptr;
        }
        m_windows.emplace_back(window);
        return window;
    }

    static void WaitIdle(EditorWindow& window)
    {
        WAIT_UNTIL(!window.Document().Busy(), 20000);
    }

    ~EditorWindowTest() override
    {
        for (const QPointer<EditorWindow>& window : m_windows)
            delete window.data();
    }

    TempTree tree;
    MemorySettingsStore store;
    ScriptedPrompts prompts;
    GrepSettings grep;
    JobRegistry jobs;
    EditorShared shared{store, prompts, grep};

private:
    std::vector<QPointer<EditorWindow>> m_windows;
};

TEST_F(EditorWindowTest, ViewAndEditModesShowTheFileWithItsCaption)
{
    const std::string path = tree.MakeFile("docs/readme.txt", "first line\nsecond line\n");
    for (const bool readOnly : {true, false}) {
        EditorWindow* window = Open(path, readOnly);
        ASSERT_TRUE(window);
        EXPECT_EQ(window->windowTitle(), QString::fromStdString("readme.txt @ " + tree.Path("docs") + "/"));
        EXPECT_EQ(window->Text().toPlainText(), QStringLiteral("first line\nsecond line\n"));
        EXPECT_EQ(window->Text().isReadOnly(), readOnly);
        EXPECT_FALSE(window->Text().document()->isModified());
        EXPECT_FALSE(window->Text().document()->isUndoAvailable()) << "the load cannot be undone";
        EXPECT_EQ(window->CommandStateOf(edcmd::kHexadecimal).enabled, readOnly);
        EXPECT_EQ(window->CommandStateOf(edcmd::kSaveAs).enabled, !readOnly);
        EXPECT_EQ(window->CommandStateOf(edcmd::kInsertFile).enabled, !readOnly);
        EXPECT_FALSE(window->CommandStateOf(edcmd::kSave).enabled);
        EXPECT_EQ(window->PositionText(), QStringLiteral("Ln 1, Col 1"));
    }
    EXPECT_TRUE(shared.settings.loaded);
}

TEST_F(EditorWindowTest, NonTextNoticeDependsOnTheMode)
{
    const std::string path = tree.MakeFile("binary", std::string("MZ\x01\x02 data", 9));
    const struct {
        bool readOnly;
        const char* notice;
    } rows[] = {
        {true, "The file is probably non-text; a switch to hex-view is suggested."},
        {false, "The file is probably non-text; editing it may render it unusable."},
    };
    for (const auto& row : rows) {
        EditorWindow* window = Open(path, row.readOnly);
        ASSERT_TRUE(window);
        WAIT_EQ(window->Status().MessageText(), QString::fromLatin1(row.notice), 5000);
    }
}

TEST_F(EditorWindowTest, FilesThatCannotBeShownAreRefusedWithTheReason)
{
    ASSERT_EQ(::mkfifo(tree.Path("fifo").c_str(), 0644), 0);
    tree.MakeDir("folder");
    const struct {
        std::string path;
        const char* says;
    } rows[] = {
        {tree.Path("missing.txt"), "Cannot find this file."},
        {tree.Path("fifo"), "is not a regular file"},
        {tree.Path("folder"), "is a folder."},
    };
    for (const auto& row : rows) {
        prompts.ClearLog();
        EXPECT_EQ(Open(row.path, true), nullptr) << row.path;
        ASSERT_EQ(prompts.Texts(ScriptedPrompts::Kind::Message).size(), 1) << row.path;
        EXPECT_TRUE(prompts.Texts(ScriptedPrompts::Kind::Message).first().contains(QString::fromLatin1(row.says)))
            << row.path;
    }
}

// The dump comes from the disk, not from the text shown, and so does the way back.
TEST_F(EditorWindowTest, HexadecimalToggleReadsTheFileOnDisk)
{
    const std::string path = tree.MakeFile("data.bin", "before");
    EditorWindow* window = Open(path, true);
    ASSERT_TRUE(window);
    const std::string changed = "0123456789ABCDEF\x01";
    tree.MakeFile("data.bin", changed);
    ASSERT_TRUE(window->ExecuteCommand(edcmd::kHexadecimal));
    WaitIdle(*window);
    EXPECT_TRUE(window->View().hex);
    EXPECT_TRUE(window->CommandStateOf(edcmd::kHexadecimal).checked);
    EXPECT_EQ(window->Text().toPlainText(), QString::fromLatin1(HexDump(changed)));
    window->Text().moveCursor(QTextCursor::Down);
    EXPECT_EQ(window->PositionText(), QStringLiteral("Off=0x000010"));

    tree.MakeFile("data.bin", "after");
    ASSERT_TRUE(window->ExecuteCommand(edcmd::kHexadecimal));
    WaitIdle(*window);
    EXPECT_FALSE(window->View().hex);
    EXPECT_EQ(window->Text().toPlainText(), QStringLiteral("after"));

    // an empty file gives no dump: the text stays
    tree.MakeFile("data.bin", "");
    window->ExecuteCommand(edcmd::kHexadecimal);
    WaitIdle(*window);
    EXPECT_FALSE(window->View().hex);
    EXPECT_EQ(window->Text().toPlainText(), QStringLiteral("after"));
}

// Escape while the dump is made, or while it is being shown, brings the text back.
TEST_F(EditorWindowTest, EscapeDuringTheDumpKeepsTheText)
{
    const std::string path = tree.MakeFile("big.txt", [] {
        std::string lines;
        for (int i = 0; i < 64 * 1024; ++i)
            lines += "a line of text that is sixty-four characters long, give or take\n";
        return lines;
    }());
    EditorWindow* window = Open(path, true);
    ASSERT_TRUE(window);
    const QTextDocument* text = window->Text().document();
    for (const auto stopIn : {EditorDocument::Work::Converting, EditorDocument::Work::Filling}) {
        ASSERT_TRUE(window->ExecuteCommand(edcmd::kHexadecimal));
        WAIT_UNTIL(window->Document().CurrentWork() == stopIn, 20000);
        window->ExecuteCommand(edcmd::kExit); // Escape
        EXPECT_FALSE(window->Document().Busy());
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(window->View().hex);
        EXPECT_FALSE(window->CommandStateOf(edcmd::kHexadecimal).checked);
        EXPECT_EQ(window->Text().document(), text);
        EXPECT_TRUE(window->Text().isReadOnly());
    }
}

TEST_F(EditorWindowTest, SaveWritesTheTextKeepingModeAndLineEnds)
{
    const std::string path = tree.MakeFile("dos.txt", "one\r\ntwo\r\n", 0640);
    EditorWindow* window = Open(path, false);
    ASSERT_TRUE(window);
    window->Text().moveCursor(QTextCursor::End);
    window->Text().insertPlainText(QStringLiteral("three\u00a0"));
    EXPECT_EQ(window->ModifiedText(), QStringLiteral("*"));
    ASSERT_TRUE(window->CommandStateOf(edcmd::kSave).enabled);
    window->ExecuteCommand(edcmd::kSave);
    EXPECT_EQ(Contents(path), "one\r\ntwo\r\nthree\xC2\xA0");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(window->Status().MessageText(), QStringLiteral("The file was saved Ok."));
    EXPECT_EQ(window->ModifiedText(), QString());
    EXPECT_FALSE(window->CommandStateOf(edcmd::kSave).enabled);
}

TEST_F(EditorWindowTest, KeysReachTheirCommandsAtOnce)
{
    const std::string path = tree.MakeFile("keys.txt", "one\ntwo\nthree\n");
    EditorWindow* window = Open(path, false);
    ASSERT_TRUE(window);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QPlainTextEdit& text = window->Text();
    text.setFocus();
    const auto line = [&](int n) { return text.document()->findBlockByNumber(n).text(); };

    // No event is processed between the keys: the commands' actions have not been
    // refreshed since the text or the history changed.
    QTest::keyClick(&text, Qt::Key_X);
    QTest::keyClick(&text, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Contents(path), "xone\ntwo\nthree\n");

    QTest::keyClick(&text, Qt::Key_Insert);
    EXPECT_EQ(window->OverwriteText(), QStringLiteral("OVR"));
    QTest::keyClick(&text, Qt::Key_Insert);
    EXPECT_EQ(window->OverwriteText(), QString());

    grep.findHistory.Add(shared.historyItems(), "two");
    QTest::keyClick(&text, Qt::Key_F3);
    EXPECT_EQ(text.textCursor().selectedText(), QStringLiteral("two"));
    QTest::keyClick(&text, Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(line(1), QStringLiteral("\ttwo"));
    QTest::keyClick(&text, Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(text.toPlainText(), QStringLiteral("xone\nthree\n"));
    const bool wrap = shared.settings.wordWrap;
    QTest::keyClick(&text, Qt::Key_F2);
    EXPECT_NE(shared.settings.wordWrap, wrap);

    prompts.ClearLog();
    QTest::keyClick(&text, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClick(&text, Qt::Key_R, Qt::ControlModifier);
    QTest::keyClick(&text, Qt::Key_G, Qt::ControlModifier);
    QTest::keyClick(&text, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(prompts.Texts(ScriptedPrompts::Kind::Dialog),
              (QStringList{"Find Text", "Replace Text", "Enter Line Number", "Print"}));
}

TEST_F(EditorWindowTest, InsertFilePutsItsTextInPlaceOfTheSelection)
{
    const std::string path = tree.MakeFile("main.txt", "head [old] tail");
    const std::string part = tree.MakeFile("part.txt", "new\nlines");
    EditorWindow* window = Open(path, false);
    ASSERT_TRUE(window);
    QTextCursor cursor = window->Text().textCursor();
    cursor.setPosition(5);
    cursor.setPosition(10, QTextCursor::KeepAnchor);
    window->Text().setTextCursor(cursor);
    prompts.AnswerFile(QString::fromStdString(part));
    ASSERT_TRUE(window->ExecuteCommand(edcmd::kInsertFile));
    EXPECT_EQ(window->Text().toPlainText(), QStringLiteral("head new\nlines tail"));
    EXPECT_TRUE(window->Text().document()->isModified());
    // a file that cannot be read changes nothing and says nothing
    prompts.AnswerFile(QString::fromStdString(tree.Path("missing")));
    window->ExecuteCommand(edcmd::kInsertFile);
    EXPECT_EQ(window->Text().toPlainText(), QStringLiteral("head new\nlines tail"));
    EXPECT_TRUE(prompts.Texts(ScriptedPrompts::Kind::Message).isEmpty());
}

TEST_F(EditorWindowTest, FailedSaveLeavesTheFileAndSaysWhy)
{
    const std::string path = tree.MakeFile("keep.txt", "keep me");
    EditorWindow* window = Open(path, false);
    ASSERT_TRUE(window);
    window->Text().insertPlainText(QString(20000, u'x'));
    // a disk that fills up: writes beyond the size limit fail
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &small);
    window->ExecuteCommand(edcmd::kSave);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(Contents(path), "keep me");
    ASSERT_EQ(prompts.Texts(ScriptedPrompts::Kind::Message).size(), 1);
    EXPECT_TRUE(prompts.Texts(ScriptedPrompts::Kind::Message).first().contains(QStringLiteral("could not be saved")));
    EXPECT_TRUE(window->Text().document()->isModified());
}

TEST_F(EditorWindowTest, FileChangedOnDiskIsOverwrittenOnlyWhenConfirmed)
{
    const std::string path = tree.MakeFile("shared.txt", "mine");
    EditorWindow* window = Open(path, false);
    ASSERT_TRUE(window);
    window->Text().insertPlainText(QStringLiteral("edited "));
    tree.MakeFile("shared.txt", "theirs, longer");
    prompts.AnswerYesNo(false);
    window->ExecuteCommand(edcmd::kSave);
    EXPECT_EQ(Contents(path), "theirs, longer");
    ASSERT_EQ(prompts.Texts(ScriptedPrompts::Kind::YesNo).size(), 1);
    EXPECT_TRUE(prompts.Texts(ScriptedPrompts::Kind::YesNo).first().contains(QStringLiteral("changed on disk")));
    prompts.AnswerYesNo(true);
    window->ExecuteCommand(edcmd::kSave);
    EXPECT_EQ(Contents(path), "edited mine");
    // saved now: the next save asks nothing
    window->Text().insertPlainText(QStringLiteral("again "));
    window->ExecuteCommand(edcmd::kSave);
    EXPECT_EQ(prompts.Texts(ScriptedPrompts::Kind::YesNo).size(), 2);
}

// Bytes that are not UTF-8 show one character a byte and are saved back the same; a
// character that cannot be written so is refused, never replaced.
TEST_F(EditorWindowTest, NonUtf8FileKeepsItsBytesAndRefusesWhatItCannotHold)
{
    const std::string bytes = "caf\xE9 \xFF\n";
    const std::string path = tree.MakeFile("latin.txt", bytes);
    EditorWindow* window = Open(path, false);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->Text().toPlainText(), QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())));
    window->Text().moveCursor(QTextCursor::End);
    window->Text().insertPlainText(QStringLiteral("ok"));
    window->ExecuteCommand(edcmd::kSave);
    EXPECT_EQ(Contents(path), bytes + "ok");
    window->Text().insertPlainText(QStringLiteral("\u20ac"));
    window->ExecuteCommand(edcmd::kSave);
    EXPECT_EQ(Contents(path), bytes + "ok");
    ASSERT_EQ(prompts.Texts(ScriptedPrompts::Kind::Message).size(), 1);
    EXPECT_TRUE(prompts.Texts(ScriptedPrompts::Kind::Message).first().contains(QStringLiteral("was not saved")));
}

TEST_F(EditorWindowTest, RtfShowsItsSourceWhenEditedAndHasNoDumpWhenViewed)
{
    const std::string path = tree.MakeFile("note.RTF", "{\\rtf1 hello}");
    EditorWindow* edited = Open(path, false);
    ASSERT_TRUE(edited);
    EXPECT_FALSE(edited->View().rich);
    EXPECT_EQ(edited->Text().toPlainText(), QStringLiteral("{\\rtf1 hello}"));
    EditorWindow* viewed = Open(path, true);
    ASSERT_TRUE(viewed);
    EXPECT_TRUE(viewed->View().rich);
    EXPECT_FALSE(viewed->CommandStateOf(edcmd::kHexadecimal).enabled);
}

TEST_F(EditorWindowTest, CloseAllAsksAboutUnsavedChanges)
{
    const std::string clean = tree.MakeFile("clean.txt", "clean");
    const std::string dirty = tree.MakeFile("dirty.txt", "dirty");
    EditorWindows windows(shared);
    ASSERT_TRUE(windows.Open(clean, false));
    ASSERT_TRUE(windows.Open(dirty, false));
    EXPECT_EQ(windows.Count(), 2);
    const auto loadedWindows = [] {
        QList<EditorWindow*> found;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<EditorWindow*>(widget);
            if (window && window->isVisible() && !window->Document().Busy())
                found.push_back(window);
        }
        return found;
    };
    WAIT_EQ(loadedWindows().size(), 2, 20000);
    const QList<EditorWindow*> open = loadedWindows();
    for (EditorWindow* window : open)
        if (window->View().path == dirty)
            window->Text().insertPlainText(QStringLiteral("more "));

    prompts.AnswerChoice(2); // Cancel
    EXPECT_FALSE(windows.CloseAll());
    EXPECT_EQ(windows.Count(), 1);
    ASSERT_EQ(prompts.Texts(ScriptedPrompts::Kind::Choice),
              QStringList{QStringLiteral("Save changes to %1?").arg(QString::fromStdString(dirty))});

    prompts.AnswerChoice(1); // No
    EXPECT_TRUE(windows.CloseAll());
    EXPECT_EQ(windows.Count(), 0);
    EXPECT_EQ(Contents(dirty), "dirty");
}

} // namespace
} // namespace bivora::test
