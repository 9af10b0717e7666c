// Generate batch: the template dialog with its history, the script window, Execute and Save As.
#include "pane_fixture.h"

#include "base/registry_keys.h"
#include "shell/small_file.h"
#include "ui/commands/command_actions.h"
#include "ui/commands/byte_text.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/edit_text.h"
#include "ui/pane/pane_batch.h"

#include <QAction>
#include <QComboBox>
#include <QPlainTextEdit>

#include <sys/stat.h>

namespace bivora::test {
namespace {

namespace reg = registry;

class PaneBatchTest : public PaneFixture {
protected:
    PaneBatchTest()
    {
        store.WriteString(reg::section::kBatchTemplateHistory, "0", "echo old");
        store.WriteString(reg::section::kMainFrameSettings, reg::value::kDosCmdPreample, "/bin/true");
        shared.batchTemplateHistoryLoadedHook = [this] { ++historyLoads; };
        for (const char* name : {"a.txt", "b c.txt", "d"})
            tree.MakeFile(std::string("data/src/") + name, name);
        MakePanes(src, dst);
    }

    // Answers the template dialog with text, as the Create button would.
    void AnswerTemplate(const QString& text)
    {
        prompts.AnswerDialog([text](QDialog& dialog) {
            auto& dlg = dynamic_cast<BatchTemplateDlg&>(dialog);
            dlg.Combo()->setEditText(text);
            dlg.accept();
            return dlg.result();
        });
    }

    BatchScriptServices Services(std::string tmpDir)
    {
        return {prompts, launcher, jobs, status, shared, std::move(tmpDir), "/bin/true", src};
    }

    static unsigned ModeOf(const std::string& path)
    {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
    }

    std::string src = tree.MakeDir("data/src");
    std::string dst = tree.MakeDir("data/dst");
    int historyLoads = 0;
};

TEST_F(PaneBatchTest, CtrlBExpandsTheTemplateForTheSelectionIntoAnEditableScript)
{
    EXPECT_EQ(left->CommandEnabled(cmd::kGenerateBatch), std::optional<bool>(false));
    Select(*left, {"a.txt", "b c.txt"});
    EXPECT_EQ(left->CommandEnabled(cmd::kGenerateBatch), std::optional<bool>(true));

    // the history starts the combo; the template is trimmed at its end only
    QString offered;
    prompts.AnswerDialog([&offered](QDialog& dialog) {
        auto& dlg = dynamic_cast<BatchTemplateDlg&>(dialog);
        offered = dlg.Combo()->currentText();
        dlg.Combo()->setEditText(QStringLiteral(" mv $N $R/$B.old , echo $01  "));
        dlg.accept();
        return dlg.result();
    });
    QString title;
    std::string script;
    prompts.AnswerDialog([&](QDialog& dialog) {
        auto& dlg = dynamic_cast<BatchScriptDlg&>(dialog);
        title = dlg.windowTitle();
        script = dlg.Script();
        return int(QDialog::Rejected);
    });
    CommandActions actions(*window, router);
    QAction* action = actions.Action(cmd::kGenerateBatch);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->shortcut(), QKeySequence(QStringLiteral("Ctrl+B")));
    action->trigger();

    EXPECT_EQ(offered, QStringLiteral("echo old"));
    EXPECT_EQ(title, QStringLiteral("Untitled - Batch script"));
    EXPECT_EQ(script, "#!/bin/sh\n# Created automatically by Torvenal\n"
                      "mv a.txt " + dst + "/a.old\necho 01\n"
                      "mv 'b c.txt' " + dst + "/'b c'.old\necho 02\n");
    EXPECT_EQ(shared.batchTemplateHistory.Entries(),
              (std::vector<std::string>{" mv $N $R/$B.old , echo $01", "echo old"}));
    EXPECT_EQ(historyLoads, 1);
}

TEST_F(PaneBatchTest, EmptyAndEntrylessTemplatesAreRefused)
{
    Select(*left, {"d"});
    prompts.AnswerDialog([](QDialog& dialog) {
        auto& dlg = dynamic_cast<BatchTemplateDlg&>(dialog);
        dlg.Combo()->setEditText(QStringLiteral("   "));
        dlg.accept();
        EXPECT_EQ(dlg.result(), int(QDialog::Rejected)); // still open
        dlg.Combo()->setEditText(QStringLiteral(" , ,"));
        dlg.accept();
        return dlg.result();
    });
    router.Execute(cmd::kGenerateBatch);
    EXPECT_EQ(prompts.Texts(ScriptedPrompts::Kind::Message),
              QStringList{QStringLiteral("Template should not be empty")});
    EXPECT_EQ(status.Last(), QStringLiteral("The specified template is invalid"));
    EXPECT_TRUE(status.LastIsAlert());
    EXPECT_EQ(prompts.Texts(ScriptedPrompts::Kind::Dialog).size(), 1); // no script window
}

TEST_F(PaneBatchTest, ExecuteRunsTheEditedScriptFromTheTemporaryFileInATerminal)
{
    Select(*left, {"b c.txt"});
    AnswerTemplate(QStringLiteral("echo $N"));
    prompts.AnswerDialog([](QDialog& dialog) {
        auto& dlg = dynamic_cast<BatchScriptDlg&>(dialog);
        dlg.Editor()->moveCursor(QTextCursor::End);
        dlg.Editor()->insertPlainText(QStringLiteral("echo edited\n"));
        dlg.Execute();
        return dlg.result();
    });
    router.Execute(cmd::kGenerateBatch);

    const std::string temporary = env.tmpDir + "/BivoraTmpBatch.sh";
    EXPECT_EQ(ReadSmallFile(temporary).ValueOr("?"),
              "#!/bin/sh\n# Created automatically by Torvenal\necho 'b c.txt'\necho edited\n");
    EXPECT_EQ(ModeOf(temporary), 0700u);
    ASSERT_EQ(launcher.Log().size(), 1u);
    const RecordingLauncher::Started& started = launcher.Log().front();
    EXPECT_EQ(started.program, QStringLiteral("/bin/true"));
    EXPECT_EQ(started.workingDirectory, QString::fromStdString(src));
    // the terminal runs the script's path as the shell's text, in the pane's folder
    EXPECT_TRUE(started.arguments.contains(QString::fromStdString(temporary)))
        << started.arguments.join(u' ').toStdString();
    EXPECT_TRUE(prompts.Texts(ScriptedPrompts::Kind::Message).isEmpty());

    // a terminal that cannot start is reported and the window stays; a folder that
    // cannot take the temporary file is reported before anything starts
    launcher.SetSucceeds(false);
    BatchScriptDlg failing(window.get(), Services(env.tmpDir), "x", "echo x\n");
    failing.Execute();
    EXPECT_EQ(shared.batchTemporaryPath, temporary); // the same file on every Execute
    shared.batchTemporaryPath.clear();
    BatchScriptDlg noTemp(window.get(), Services(tree.Path("missing")), "x", "echo x\n");
    noTemp.Execute();
    EXPECT_EQ(prompts.Texts(ScriptedPrompts::Kind::Message),
              (QStringList{QStringLiteral("The batch file could not be executed"),
                           QStringLiteral("Unable to access the TEMP folder")}));
    EXPECT_EQ(failing.result(), int(QDialog::Rejected));
    EXPECT_EQ(launcher.Log().size(), 2u);
}

TEST_F(PaneBatchTest, SaveAsWritesAnExecutableScriptAndRetitlesTheWindow)
{
    const std::string name = "bytes \xff script.sh";
    BatchScriptDlg dlg(window.get(), Services(env.tmpDir), "t", "echo '\xfe'\n");
    prompts.AnswerFile(BytesToEditText(src + "/" + name));
    dlg.SaveAs();
    EXPECT_EQ(ReadSmallFile(src + "/" + name).ValueOr("?"), "echo '\xfe'\n");
    EXPECT_EQ(ModeOf(src + "/" + name) & 0100, 0100u);
    EXPECT_EQ(prompts.Texts(ScriptedPrompts::Kind::SaveFile),
              QStringList{QStringLiteral("Save As|Shell scripts (*.sh)")});
    EXPECT_EQ(prompts.LastSaveName(), QStringLiteral("Untitled"));
    EXPECT_EQ(shared.batchFileName, name);
    EXPECT_EQ(dlg.windowTitle(), FromBytes(name) + QStringLiteral(" - Batch script"));

    // a place that cannot be written keeps the name and says so
    prompts.AnswerFile(QString::fromStdString(tree.Path("missing/x.sh")));
    dlg.SaveAs();
    EXPECT_EQ(prompts.Texts(ScriptedPrompts::Kind::Message),
              QStringList{QStringLiteral("That batch file won't be saved")});
    EXPECT_EQ(prompts.Log().back().icon, Prompts::Icon::Critical);
    EXPECT_EQ(shared.batchFileName, name);
}

} // namespace
} // namespace bivora::test
