#include "pane_fixture.h"

#include "base/registry_keys.h"
#include "ui/commands/command_ids.h"
#include "ui/widgets/sort_list_ctrl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>

namespace bivora::test {
namespace {

using Names = std::vector<std::string>;
namespace section = registry::section;
namespace value = registry::value;

class PaneGrepTest : public PaneFixture {
protected:
    struct Answer {
        QString text;
        QString types;
        bool nonText = false;
        bool matchCase = false;
        bool wholeWords = false;
    };
    // Answers the next "Find in files" with these fields, remembering what it showed first.
    void Answer(const Answer& answer)
    {
        prompts.AnswerDialog([this, answer](QDialog& dialog) {
            auto* find = dialog.findChild<QComboBox*>(QStringLiteral("findWhat"));
            auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypes"));
            shown = {find->currentText(), types->currentText(),
                     dialog.findChild<QCheckBox*>(QStringLiteral("searchNonText"))->isChecked(),
                     dialog.findChild<QCheckBox*>(QStringLiteral("matchCase"))->isChecked(),
                     dialog.findChild<QCheckBox*>(QStringLiteral("wholeWords"))->isChecked()};
            shownFolder = dialog.findChild<QLabel*>(QStringLiteral("folder"))->text();
            find->setEditText(answer.text);
            types->setEditText(answer.types);
            dialog.findChild<QCheckBox*>(QStringLiteral("searchNonText"))->setChecked(answer.nonText);
            dialog.findChild<QCheckBox*>(QStringLiteral("matchCase"))->setChecked(answer.matchCase);
            dialog.findChild<QCheckBox*>(QStringLiteral("wholeWords"))->setChecked(answer.wholeWords);
            dialog.accept();
            return dialog.result();
        });
    }
    struct Answer shown;
    QString shownFolder;
};

// The command through its dialog: the rows of the files holding the text are selected
// (and nothing else), under the options and types given, with the closing alert.
TEST_F(PaneGrepTest, SelectsTheFilesThatHoldTheTextAndSaysSo)
{
    tree.MakeFile("data/a.txt", "the cat sat");
    tree.MakeFile("data/b.txt", "concatenate");
    tree.MakeFile("data/c.txt", "The Cat");
    tree.MakeFile("data/d.log", "a cat");
    tree.MakeFile("data/e.bin", std::string("\0a cat", 6));
    tree.MakeDir("data/cat.txt"); // a folder is never searched
    ASSERT_EQ(::mkfifo(tree.Path("data/pipe.txt").c_str(), 0644), 0);
    store.WriteInt(section::kGrepSettings, value::kWordsOnly, 1); // stored options come back
    MakePanes(data, data);
    Select(*left, {"d.log"}); // unselected by the search

    struct Step {
        struct Answer answer;
        Names selected;
        QString message;
    };
    const Step steps[] = {
        {{"cat", "*.txt", false, false, true}, {"a.txt", "c.txt"}, "Files containing specified string selected for further action"},
        {{"cat", " -*.log ,*.*", false, true, false}, {"a.txt", "b.txt"}, "Files containing specified string selected for further action"},
        {{"cat", "*.bin", true, false, false}, {"e.bin"}, "Files containing specified string selected for further action"},
        {{"cat", "*.bin", false, false, false}, {}, "No matching file contains the specified string"},
        {{"dog", "*.*", false, false, false}, {}, "No matching file contains the specified string"},
        {{"cat", "*.c", false, false, false}, {}, "No files match the specified type filter"},
        {{"cat", " , ", false, false, false}, {}, "The specified file filter is invalid"},
        {{"cat", "   ", false, false, false}, {"a.txt", "b.txt", "c.txt", "d.log"}, "Files containing specified string selected for further action"},
    };
    bool first = true;
    for (const Step& step : steps) {
        Answer(step.answer);
        ASSERT_TRUE(router.Execute(cmd::kContainingText));
        if (first) {
            EXPECT_EQ(shown.types, QStringLiteral("*.*"));
            EXPECT_TRUE(shown.wholeWords);
            EXPECT_EQ(shownFolder.toStdString(), left->Folder()->Title());
            first = false;
        }
        SCOPED_TRACE(step.answer.text.toStdString() + " in " + step.answer.types.toStdString());
        EXPECT_EQ(status.Last(), step.message);
        EXPECT_TRUE(status.LastIsAlert());
        Names selected = SelectedNames(*left);
        if (!selected.empty()) { // the first of them in row order has the focus
            EXPECT_EQ(left->List().FocusedRow(), left->RowOf(ItemNamed(*left, selected.front())));
        }
        std::sort(selected.begin(), selected.end());
        if (step.message != QStringLiteral("The specified file filter is invalid")) {
            EXPECT_EQ(selected, step.selected);
        }
    }
    // The options of the last search and both histories, newest first, are the shared state.
    EXPECT_FALSE(shared.grep.matchCase || shared.grep.wordsOnly || shared.grep.searchBinFiles);
    EXPECT_EQ(shared.grep.findHistory.Entries(), (Names{"cat", "dog"}));
    EXPECT_EQ(*shared.grep.fileTypesHistory.First(), "*.*");
    EXPECT_TRUE(shared.grep.loaded);

    // An empty text is refused with the dialog left open; Cancel then ends the command.
    prompts.AnswerDialog([](QDialog& dialog) {
        dialog.findChild<QComboBox*>(QStringLiteral("findWhat"))->setEditText(QString());
        dialog.accept();
        EXPECT_FALSE(dialog.result() == QDialog::Accepted);
        dialog.reject();
        return dialog.result();
    });
    status.messages.clear();
    ASSERT_TRUE(router.Execute(cmd::kContainingText));
    EXPECT_EQ(prompts.Texts(ScriptedPrompts::Kind::Message), QStringList{QStringLiteral("Find text is not specified")});
    EXPECT_TRUE(status.messages.empty());
}

} // namespace
} // namespace bivora::test
