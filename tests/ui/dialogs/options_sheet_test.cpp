#include "base/general_settings.h"
#include "ui/dialogs/general_page.h"
#include "ui/dialogs/options_sheet.h"
#include "../test_services.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <stdexcept>

namespace bivora {
namespace {

using test::ScriptedPrompts;
using Kind = ScriptedPrompts::Kind;

template <typename T>
T& Control(QWidget& page, int id)
{
    T* control = page.findChild<T*>(GeneralPage::ControlName(id));
    if (!control)
        throw std::runtime_error("no control " + std::to_string(id));
    return *control;
}

// Settings unlike the defaults in every member of the block.
GeneralSettings EditedSettings()
{
    GeneralSettings settings;
    settings.saveSettings = false;
    settings.fileDateUzed = 2;
    settings.showHiddenFiles = false;
    settings.historyItems = 30;
    settings.uzeExternalEditor = true;
    settings.externalEditorName = "/usr/bin/editor";
    settings.drivebarLetters = true;
    settings.autoReSort = true;
    settings.flatToolbars = true;
    return settings;
}

// Records the reactions in order, each with the number of messages shown before it,
// so that the order against the drive-bar message shows too.
struct ReactionLog {
    explicit ReactionLog(ScriptedPrompts& shown) : prompts(shown) {}
    ScriptedPrompts& prompts;
    std::vector<std::string> entries;

    std::string Stamp(const std::string& what) const
    {
        return what + "@" + std::to_string(prompts.Texts(Kind::Message).size());
    }
    OptionsReactions Reactions()
    {
        return {[this] { entries.push_back(Stamp("reread")); },
                [this] { entries.push_back(Stamp("dates")); },
                [this](bool flat) { entries.push_back(Stamp(flat ? "flat" : "raised")); }};
    }
};

// Runs the sheet with a handler that works the page and then presses a button.
bool RunSheet(GeneralSettings& settings, ScriptedPrompts& prompts, const OptionsReactions& reactions,
              const std::function<void(OptionsSheet&, GeneralPage&)>& work)
{
    prompts.AnswerDialog([&](QDialog& dialog) {
        auto& sheet = dynamic_cast<OptionsSheet&>(dialog);
        sheet.show();
        work(sheet, sheet.Page());
        return sheet.result();
    });
    return RunOptionsSheet(settings, prompts, reactions, nullptr);
}

TEST(OptionsSheet, HasOneGeneralTabAndOkCancelButtonsFilledFromTheSettings)
{
    GeneralSettings settings = EditedSettings();
    ScriptedPrompts prompts;
    RunSheet(settings, prompts, {}, [](OptionsSheet& sheet, GeneralPage& page) {
        EXPECT_EQ(sheet.windowTitle(), "Program Options");
        ASSERT_EQ(sheet.Tabs().count(), 1);
        EXPECT_EQ(sheet.Tabs().tabText(0), "General");
        EXPECT_EQ(sheet.OkButton().text(), "Ok");
        EXPECT_EQ(sheet.CancelButton().text(), "Cancel");
        EXPECT_EQ(sheet.findChildren<QPushButton*>().size(), 3); // Ok, Cancel, Browse: no Apply

        EXPECT_TRUE(Control<QRadioButton>(page, GeneralPage::kLastAccessed).isChecked());
        EXPECT_TRUE(Control<QRadioButton>(page, GeneralPage::kExternalEditor).isChecked());
        EXPECT_EQ(Control<QLineEdit>(page, GeneralPage::kEditorName).text(), "/usr/bin/editor");
        EXPECT_EQ(Control<QLineEdit>(page, GeneralPage::kHistoryItems).text(), "30");
        EXPECT_FALSE(Control<QCheckBox>(page, GeneralPage::kSaveSettings).isChecked());
        EXPECT_FALSE(Control<QCheckBox>(page, GeneralPage::kShowHiddenFiles).isChecked());
        EXPECT_TRUE(Control<QCheckBox>(page, GeneralPage::kDrivebarLetters).isChecked());
        EXPECT_TRUE(Control<QCheckBox>(page, GeneralPage::kAutoReSort).isChecked());
        EXPECT_TRUE(Control<QCheckBox>(page, GeneralPage::kFlatToolbars).isChecked());
        EXPECT_EQ(Control<QCheckBox>(page, GeneralPage::kFlatToolbars).text(), "&Flat Toolbars");
        sheet.CancelButton().click();
    });
    EXPECT_EQ(prompts.Texts(Kind::Dialog), QStringList{"Program Options"});
}

TEST(OptionsSheet, CancelPutsBackTheBlockTheSheetWroteAndReactsToNothing)
{
    GeneralSettings settings;
    settings.askConfirmation = false;
    const GeneralSettings before = settings;
    ScriptedPrompts prompts;
    ReactionLog log{prompts};
    const bool ok = RunSheet(settings, prompts, log.Reactions(), [&](OptionsSheet& sheet, GeneralPage& page) {
        Control<QRadioButton>(page, GeneralPage::kOriginallyCreated).click();
        Control<QRadioButton>(page, GeneralPage::kExternalEditor).click();
        Control<QLineEdit>(page, GeneralPage::kEditorName).setText("vi");
        Control<QLineEdit>(page, GeneralPage::kHistoryItems).setText("40");
        for (int id : {GeneralPage::kSaveSettings, GeneralPage::kShowHiddenFiles, GeneralPage::kDrivebarLetters,
                       GeneralPage::kAutoReSort, GeneralPage::kFlatToolbars})
            Control<QCheckBox>(page, id).click();
        // The page writes into the bound settings when it stores its controls.
        ASSERT_TRUE(page.StoreControls());
        EXPECT_EQ(OptionsBlock::From(settings),
                  (OptionsBlock{false, 1, false, 40, true, "vi", true, true, true}));
        sheet.CancelButton().click();
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(settings, before);
    EXPECT_TRUE(log.entries.empty());
    EXPECT_TRUE(prompts.Texts(Kind::Message).isEmpty());
}

struct ChangeCase {
    const char* name;
    std::function<void(GeneralPage&)> edit;
    std::vector<std::string> reactions;
    bool driveBarMessage;
};

void PrintTo(const ChangeCase& change, std::ostream* out)
{
    *out << change.name;
}

class OptionsSheetOk : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(OptionsSheetOk, ReactsToEachChangeInOrder)
{
    GeneralSettings settings;
    ScriptedPrompts prompts;
    ReactionLog log{prompts};
    const bool ok = RunSheet(settings, prompts, log.Reactions(), [&](OptionsSheet& sheet, GeneralPage& page) {
        GetParam().edit(page);
        sheet.OkButton().click();
        EXPECT_FALSE(sheet.isVisible());
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(log.entries, GetParam().reactions);
    const QStringList messages = prompts.Texts(Kind::Message);
    if (GetParam().driveBarMessage)
        EXPECT_EQ(messages, QStringList{"The change in driveBar settings will take effect\nat the next time the "
                                        "program is started.\n(you may wish to quit/restart immediately)"});
    else
        EXPECT_TRUE(messages.isEmpty());
}

void Click(GeneralPage& page, int id)
{
    Control<QAbstractButton>(page, id).click();
}

INSTANTIATE_TEST_SUITE_P(
    Changes, OptionsSheetOk,
    ::testing::Values(
        ChangeCase{"Nothing", [](GeneralPage&) {}, {}, false},
        ChangeCase{"OnlyLaterUseOptions",
                   [](GeneralPage& page) {
                       Click(page, GeneralPage::kSaveSettings);
                       Click(page, GeneralPage::kAutoReSort);
                       Control<QLineEdit>(page, GeneralPage::kHistoryItems).setText("20");
                   },
                   {}, false},
        ChangeCase{"HiddenFiles", [](GeneralPage& page) { Click(page, GeneralPage::kShowHiddenFiles); },
                   {"reread@0"}, false},
        ChangeCase{"FileTime", [](GeneralPage& page) { Click(page, GeneralPage::kLastAccessed); }, {"dates@0"},
                   false},
        ChangeCase{"FileTimeClickedAwayAndBack",
                   [](GeneralPage& page) {
                       Click(page, GeneralPage::kLastAccessed);
                       Click(page, GeneralPage::kLastModified);
                   },
                   {}, false},
        ChangeCase{"DriveBarLetters", [](GeneralPage& page) { Click(page, GeneralPage::kDrivebarLetters); }, {},
                   true},
        ChangeCase{"FlatToolbars", [](GeneralPage& page) { Click(page, GeneralPage::kFlatToolbars); }, {"flat@0"},
                   false},
        ChangeCase{"AllFourAtOnce",
                   [](GeneralPage& page) {
                       Click(page, GeneralPage::kFlatToolbars);
                       Click(page, GeneralPage::kDrivebarLetters);
                       Click(page, GeneralPage::kOriginallyCreated);
                       Click(page, GeneralPage::kShowHiddenFiles);
                   },
                   {"reread@0", "dates@0", "flat@1"}, true}),
    [](const ::testing::TestParamInfo<ChangeCase>& info) { return std::string(info.param.name); });

TEST(OptionsSheet, OkTurningFlatToolbarsOffPassesTheNewStyle)
{
    GeneralSettings settings;
    settings.flatToolbars = true;
    ScriptedPrompts prompts;
    ReactionLog log{prompts};
    RunSheet(settings, prompts, log.Reactions(), [](OptionsSheet& sheet, GeneralPage& page) {
        Click(page, GeneralPage::kFlatToolbars);
        sheet.OkButton().click();
    });
    EXPECT_EQ(log.entries, std::vector<std::string>{"raised@0"});
    EXPECT_FALSE(settings.flatToolbars);
}

TEST(OptionsSheet, ExternalEditorNeedsANameAndLosesLeadingBlanks)
{
    GeneralSettings settings;
    ScriptedPrompts prompts;
    const bool ok = RunSheet(settings, prompts, {}, [&](OptionsSheet& sheet, GeneralPage& page) {
        auto& name = Control<QLineEdit>(page, GeneralPage::kEditorName);
        Click(page, GeneralPage::kExternalEditor);
        name.setText(" \t  ");
        Control<QLineEdit>(page, GeneralPage::kHistoryItems).setFocus();
        sheet.OkButton().click();
        EXPECT_EQ(prompts.Texts(Kind::Message), QStringList{"You must supply a name for the external editor"});
        EXPECT_TRUE(sheet.isVisible());
        EXPECT_NE(sheet.result(), QDialog::Accepted);
        EXPECT_EQ(sheet.focusWidget(), &name);
        EXPECT_FALSE(settings.uzeExternalEditor);

        name.setText("   /opt/my editor/ed ");
        sheet.OkButton().click();
        EXPECT_FALSE(sheet.isVisible());
    });
    EXPECT_TRUE(ok);
    EXPECT_TRUE(settings.uzeExternalEditor);
    EXPECT_EQ(settings.externalEditorName, "/opt/my editor/ed ");
}

TEST(OptionsSheet, InternalEditorTakesABlankNameAsItIs)
{
    GeneralSettings settings;
    ScriptedPrompts prompts;
    const bool ok = RunSheet(settings, prompts, {}, [](OptionsSheet& sheet, GeneralPage& page) {
        Control<QLineEdit>(page, GeneralPage::kEditorName).setText("  ");
        sheet.OkButton().click();
    });
    EXPECT_TRUE(ok);
    EXPECT_TRUE(prompts.Texts(Kind::Message).isEmpty());
    EXPECT_FALSE(settings.uzeExternalEditor);
    EXPECT_EQ(settings.externalEditorName, "  ");
}

TEST(OptionsSheet, HistoryItemsOutsideTwoToFiftyKeepTheSheetOpen)
{
    struct Row {
        const char* text;
        int stored; // 0: refused
        const char* message;
    };
    const Row rows[] = {
        {"1", 0, "Please enter an integer between 2 and 50."},
        {"51", 0, "Please enter an integer between 2 and 50."},
        {"", 0, "Please enter an integer."},
        {"99999999999", 0, "Please enter an integer."},
        {"2", 2, nullptr},
        {"50", 50, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        GeneralSettings settings;
        settings.historyItems = 15;
        settings.showHiddenFiles = true;
        ScriptedPrompts prompts;
        RunSheet(settings, prompts, {}, [&](OptionsSheet& sheet, GeneralPage& page) {
            auto& items = Control<QLineEdit>(page, GeneralPage::kHistoryItems);
            items.setText(QString::fromLatin1(row.text));
            Click(page, GeneralPage::kShowHiddenFiles);
            Control<QLineEdit>(page, GeneralPage::kEditorName).setFocus();
            sheet.OkButton().click();
            if (row.stored == 0) {
                EXPECT_EQ(prompts.Texts(Kind::Message), QStringList{QString::fromLatin1(row.message)});
                EXPECT_TRUE(sheet.isVisible());
                EXPECT_EQ(sheet.focusWidget(), &items);
                // nothing of a refused page reaches the settings
                EXPECT_EQ(settings.historyItems, 15);
                EXPECT_TRUE(settings.showHiddenFiles);
                sheet.CancelButton().click();
            } else {
                EXPECT_TRUE(prompts.Texts(Kind::Message).isEmpty());
                EXPECT_FALSE(sheet.isVisible());
            }
        });
        EXPECT_EQ(settings.historyItems, row.stored == 0 ? 15 : row.stored);
    }
}

TEST(GeneralPage, EditorNameAndBrowseFollowTheEditorChoice)
{
    ScriptedPrompts prompts;
    GeneralSettings internal;
    GeneralPage page(internal, prompts);
    auto& name = Control<QLineEdit>(page, GeneralPage::kEditorName);
    auto& browse = Control<QPushButton>(page, GeneralPage::kBrowse);
    EXPECT_FALSE(name.isEnabled());
    EXPECT_FALSE(browse.isEnabled());
    Click(page, GeneralPage::kExternalEditor);
    EXPECT_TRUE(name.isEnabled());
    EXPECT_TRUE(browse.isEnabled());
    Click(page, GeneralPage::kInternalEditor);
    EXPECT_FALSE(name.isEnabled());
    EXPECT_FALSE(browse.isEnabled());

    GeneralSettings external;
    external.uzeExternalEditor = true;
    external.externalEditorName = "ed";
    GeneralPage externalPage(external, prompts);
    EXPECT_TRUE(Control<QLineEdit>(externalPage, GeneralPage::kEditorName).isEnabled());
    EXPECT_TRUE(Control<QPushButton>(externalPage, GeneralPage::kBrowse).isEnabled());
}

TEST(GeneralPage, BrowseTakesOnlyAnExecutableFile)
{
    QTemporaryDir dir;
    const QString program = dir.filePath("editor");
    const QString text = dir.filePath("notes.txt");
    for (const QString& path : {program, text}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
    }
    QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);
    QFile::setPermissions(text, QFile::ReadOwner | QFile::WriteOwner);

    ScriptedPrompts prompts;
    GeneralSettings settings;
    settings.uzeExternalEditor = true;
    settings.externalEditorName = "old";
    GeneralPage page(settings, prompts);
    auto& name = Control<QLineEdit>(page, GeneralPage::kEditorName);
    auto& browse = Control<QPushButton>(page, GeneralPage::kBrowse);

    prompts.AnswerFile(text);
    browse.click();
    ASSERT_EQ(prompts.Texts(Kind::Message).size(), 1);
    EXPECT_TRUE(prompts.Texts(Kind::Message).front().contains(text));
    EXPECT_EQ(name.text(), "old");

    prompts.AnswerFile(dir.path()); // a folder is not a program either
    browse.click();
    EXPECT_EQ(prompts.Texts(Kind::Message).size(), 2);
    EXPECT_EQ(name.text(), "old");

    prompts.AnswerFile(std::nullopt);
    browse.click();
    EXPECT_EQ(name.text(), "old");

    prompts.AnswerFile(program);
    browse.click();
    EXPECT_EQ(prompts.Texts(Kind::Message).size(), 2);
    EXPECT_EQ(name.text(), program);
    EXPECT_EQ(prompts.Texts(Kind::OpenFile).size(), 4);
}

} // namespace
} // namespace bivora
