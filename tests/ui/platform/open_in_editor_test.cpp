#include "ui/platform/open_in_editor.h"

#include "base/general_settings.h"

#include "../test_services.h"

#include <gtest/gtest.h>

#include <vector>

namespace bivora::test {
namespace {

// Which editor a View or Edit ends in: the external one unless Ctrl forces the program's
// own, and the program's own when the external one cannot start and the user agrees.
TEST(OpenInEditorTest, InternalEditorOpensWithoutExternalOneOrWithCtrl)
{
    const struct {
        const char* name;
        bool external;
        bool forceInternal;
        bool launchWorks;
        bool answerYes;
        bool internalOpens;
        bool externalStillChosen;
    } rows[] = {
        {"no external editor", false, false, true, false, true, false},
        {"external editor", true, false, true, false, false, true},
        {"Ctrl forces ours", true, true, true, false, true, true},
        {"external fails, Yes", true, false, false, true, true, false},
        {"external fails, No", true, false, false, false, false, true},
    };
    for (const auto& row : rows) {
        GeneralSettings settings;
        settings.uzeExternalEditor = row.external;
        settings.externalEditorName = "/usr/bin/some-editor";
        RecordingLauncher launcher;
        launcher.SetSucceeds(row.launchWorks);
        ScriptedPrompts prompts;
        prompts.AnswerYesNo(row.answerYes);
        std::vector<std::pair<std::string, bool>> opened;
        const QString failure =
            OpenInEditor("/data/notes.txt", false, row.forceInternal, settings, launcher, prompts, nullptr,
                         [&](const std::string& path, bool readOnly) {
                             opened.emplace_back(path, readOnly);
                             return true;
                         });
        EXPECT_TRUE(failure.isEmpty()) << row.name;
        EXPECT_EQ(opened.size(), row.internalOpens ? 1u : 0u) << row.name;
        if (!opened.empty()) {
            EXPECT_EQ(opened.front(), std::make_pair(std::string("/data/notes.txt"), false)) << row.name;
        }
        EXPECT_EQ(settings.uzeExternalEditor, row.externalStillChosen) << row.name;
        EXPECT_FALSE(launcher.Log().size() > 0 && row.forceInternal) << row.name;
    }
}

} // namespace
} // namespace bivora::test
