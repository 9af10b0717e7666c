#include "base/settings_store.h"
#include "shell/shell_namespace.h"
#include "ui/dialogs/about_dlg.h"
#include "ui/app/app_commands.h"
#include "ui/app/bivora_app.h"
#include "ui/platform/file_version.h"
#include "ui/dialogs/general_page.h"
#include "ui/commands/command_ids.h"
#include "../test_services.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace bivora {
namespace {

using test::ScriptedPrompts;
using Kind = ScriptedPrompts::Kind;

struct AppFixture : ::testing::Test {
    BivoraApp app{std::make_unique<MemorySettingsStore>(), Environment{}, CommandLine{"Bivora", {}, {}}};
    ScriptedPrompts prompts;
};

using AppCommandsTest = AppFixture;

TEST_F(AppCommandsTest, ClaimsOptionsAndAboutButLeavesTheHelpFilesDisabledWithoutAViewer)
{
    AppCommands commands(app, prompts, {});
    for (int id : {cmd::kOptions, cmd::kAbout}) {
        CommandState state;
        state.enabled = false;
        EXPECT_TRUE(commands.OnUpdateCommand(id, state)) << id;
        EXPECT_TRUE(state.enabled) << id;
    }
    for (int id = cmd::kHelpFeatures; id <= cmd::kHelpLicence; ++id) {
        CommandState state;
        EXPECT_FALSE(commands.OnUpdateCommand(id, state)) << id;
        EXPECT_FALSE(commands.OnCommand(id)) << id;
    }
    EXPECT_FALSE(commands.OnCommand(cmd::kView));
    EXPECT_TRUE(prompts.Log().empty());
}

TEST_F(AppCommandsTest, OptionsCommandEditsTheApplicationsSettingsAndTellsTheNamespaceBeforeTheReRead)
{
    app.AttachNamespace(std::make_unique<ShellNamespace>(Environment{}));
    ASSERT_TRUE(app.Namespace()->ShowHiddenFiles());
    std::vector<bool> hiddenAtReRead;
    OptionsReactions reactions;
    reactions.reReadPanes = [&] { hiddenAtReRead.push_back(app.Namespace()->ShowHiddenFiles()); };
    AppCommands commands(app, prompts, reactions);

    prompts.AnswerDialog([](QDialog& sheet) {
        sheet.findChild<QCheckBox*>(GeneralPage::ControlName(GeneralPage::kShowHiddenFiles))->click();
        sheet.accept();
        return sheet.result();
    });
    EXPECT_TRUE(commands.OnCommand(cmd::kOptions));
    EXPECT_EQ(prompts.Texts(Kind::Dialog), QStringList{"Program Options"});
    EXPECT_FALSE(app.Settings().showHiddenFiles);
    EXPECT_EQ(hiddenAtReRead, std::vector<bool>{false});

    // Cancelled, the sheet leaves the setting and the panes alone.
    prompts.AnswerDialog([](QDialog& sheet) {
        sheet.findChild<QCheckBox*>(GeneralPage::ControlName(GeneralPage::kShowHiddenFiles))->click();
        sheet.reject();
        return sheet.result();
    });
    EXPECT_TRUE(commands.OnCommand(cmd::kOptions));
    EXPECT_FALSE(app.Settings().showHiddenFiles);
    EXPECT_EQ(hiddenAtReRead.size(), 1u);
}

TEST_F(AppCommandsTest, AboutShowsTheBuildVersionAndABoldClosingNote)
{
    AppCommands commands(app, prompts, {});
    QString version;
    int noteWeight = 0;
    prompts.AnswerDialog([&](QDialog& dialog) {
        auto& about = dynamic_cast<AboutDlg&>(dialog);
        version = about.VersionLine().text();
        noteWeight = about.ClosingNote().font().weight();
        EXPECT_FALSE(about.ClosingNote().text().isEmpty());
        return int(QDialog::Accepted);
    });
    EXPECT_TRUE(commands.OnCommand(cmd::kAbout));
    EXPECT_EQ(prompts.Texts(Kind::Dialog), QStringList{"About Bivora"});
    EXPECT_EQ(version, "Product Build: " + QString::fromStdString(GetFileVersionString()));
    EXPECT_FALSE(version.contains("[unknown]")); // the build sets a version
    EXPECT_EQ(noteWeight, 700);
}

TEST_F(AppCommandsTest, HelpCommandsOpenTheirFileFromTheFirstFolderThatHasItOrSayWhichIsMissing)
{
    QTemporaryDir first, second;
    const struct {
        int id;
        const char* file;
    } rows[] = {
        {cmd::kHelpFeatures, "Torvenal.rtf"}, {cmd::kHelpWhatsNew, "Newest.txt"}, {cmd::kHelpKeyboard, "Keyboard.txt"},
        {cmd::kHelpFaq, "faq.txt"},           {cmd::kHelpLicence, "Licence.txt"},
    };
    for (const auto& row : rows) {
        QFile(second.filePath(row.file)).open(QIODevice::WriteOnly);
    }
    QFile(first.filePath("faq.txt")).open(QIODevice::WriteOnly);
    QDir(first.path()).mkdir("Licence.txt"); // a folder of that name is no help file

    AppCommands commands(app, prompts, {});
    std::vector<std::string> opened;
    commands.SetHelpViewer([&](const std::string& path) { opened.push_back(path); });
    commands.SetHelpFolders({first.filePath("absent"), first.path(), second.path()});
    for (const auto& row : rows) {
        CommandState state;
        state.enabled = false;
        EXPECT_TRUE(commands.OnUpdateCommand(row.id, state));
        EXPECT_TRUE(state.enabled);
        EXPECT_TRUE(commands.OnCommand(row.id));
        const QString folder = QString(row.file) == "faq.txt" ? first.path() : second.path();
        ASSERT_FALSE(opened.empty());
        EXPECT_EQ(opened.back(), QDir(folder).filePath(row.file).toStdString());
    }
    EXPECT_EQ(opened.size(), std::size(rows));
    EXPECT_TRUE(prompts.Log().empty());

    QFile::remove(second.filePath("Newest.txt"));
    EXPECT_TRUE(commands.OnCommand(cmd::kHelpWhatsNew));
    EXPECT_EQ(opened.size(), std::size(rows));
    ASSERT_EQ(prompts.Texts(Kind::Message).size(), 1);
    EXPECT_TRUE(prompts.Texts(Kind::Message)[0].contains("\"Newest.txt\" is missing"));
}

} // namespace
} // namespace bivora
