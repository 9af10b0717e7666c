#include "ui/editor/editor_text_commands.h"

#include "base/grep_settings.h"
#include "base/registry_keys.h"
#include "base/settings_store.h"
#include "ui/commands/status_service.h"
#include "ui/editor/editor_command_ids.h"
#include "ui/editor/editor_context.h"
#include "ui/widgets/input_dlg.h"
#include "../test_services.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

namespace bivora {
namespace {

using test::ScriptedPrompts;

const QString kWarped = QStringLiteral("Cursor warped round the file");
const QString kNotFound = QStringLiteral("The specified text cannot be located.");

class AlertLog final : public StatusService {
public:
    void ShowStatusMessage(const QString& text, bool alert) override { alerts << (alert ? text : "quiet: " + text); }
    void ShowProgress(const QString&) override {}
    void StepProgress() override {}
    void HideProgress() override {}
    void SetPaneStatusText(const QString&) override {}
    QStringList alerts;
};

// One editor view over a bare text control, with its text commands.
struct Editor {
    explicit Editor(const QString& content, bool readOnly = false)
    {
        text->setPlainText(content);
        state.readOnly = readOnly;
        text->setReadOnly(readOnly);
        shared.settings.cyclicSearch = false;
        commands = std::make_unique<EditorTextCommands>(shared, state);
    }
    void Select(int start, int end)
    {
        QTextCursor cursor(text->document());
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        text->setTextCursor(cursor);
    }
    std::pair<int, int> Selection() const
    {
        return {text->textCursor().selectionStart(), text->textCursor().selectionEnd()};
    }
    bool Run(int id) { return CommandRouter([this] { return std::vector<CommandTarget*>{commands.get()}; }).Execute(id); }
    bool Enabled(int id)
    {
        return CommandRouter([this] { return std::vector<CommandTarget*>{commands.get()}; }).Update(id).enabled;
    }

    MemorySettingsStore store;
    ScriptedPrompts prompts;
    GrepSettings grep;
    EditorShared shared{.store = store, .prompts = prompts, .grep = grep, .settings = {}, .replaceHistory = {}};
    QWidget window;
    QPlainTextEdit* text = new QPlainTextEdit(&window);
    AlertLog status;
    EditorViewState state{.window = window, .text = *text, .status = status, .path = {}};
    std::unique_ptr<EditorTextCommands> commands;
};

template <typename T>
T* Child(QDialog& dialog, const char* name)
{
    T* child = dialog.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

TEST(EditorFindTest, FindsFromTheSelectionWithTheOptions)
{
    const QString straddling = QString(1020, 'x') + "needle" + QString(1020, 'x') + "needle" + QString(3, 'x');
    struct Case {
        const char* name;
        QString text;
        int selStart, selEnd;
        QString pattern;
        bool matchCase, wholeWords, backwards, cyclic;
        int limit;
        int foundStart, foundEnd; // the selection afterwards
        QString message;          // the alert, if any
    };
    const Case cases[] = {
        {"a selection moves the search one past its start", "aaaa", 0, 2, "aa", false, false, false, false, -1, 1, 3, ""},
        {"from the caret", "abc abc", 1, 1, "abc", false, false, false, false, -1, 4, 7, ""},
        {"case ignored", "xFoo foo", 0, 0, "FOO", false, false, false, false, -1, 1, 4, ""},
        {"case matched", "xFoo foo", 0, 0, "foo", true, false, false, false, -1, 5, 8, ""},
        {"whole words skip a part of a word", "foobar foo_ foo.", 0, 0, "foo", false, true, false, false, -1, 12, 15, ""},
        {"no word bound at a non-word edge", "x-y x-", 0, 0, "-", false, true, false, false, -1, 1, 2, ""},
        {"cyclic search wraps", "abc xyz", 4, 4, "abc", false, false, false, true, -1, 0, 3, kWarped},
        {"without cyclic search nothing is found", "abc xyz", 4, 4, "abc", false, false, false, false, -1, 4, 4, kNotFound},
        {"a limit stops the search", "ab ab ab", 1, 1, "ab", false, false, false, false, 5, 3, 5, ""},
        {"a limit also stops the wrap", "ab ab ab", 4, 4, "ab", false, false, false, true, 7, 4, 4, kNotFound},
        {"backwards from the end finds the last", "ab ab ab", 8, 8, "ab", false, false, true, false, -1, 6, 8, ""},
        {"backwards from a match moves on", "ab ab ab", 6, 8, "ab", false, false, true, false, -1, 3, 5, ""},
        {"backwards wraps to the end", "ab xx ab", 1, 1, "ab", false, false, true, true, -1, 6, 8, kWarped},
        {"backwards whole words", "ab abc ab_ x", 12, 12, "ab", false, true, true, false, -1, 0, 2, ""},
        {"backwards over a 1024 window edge", straddling, int(straddling.size()), int(straddling.size()), "needle",
         false, false, true, false, -1, 2046, 2052, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Editor editor(c.text);
        editor.grep.matchCase = c.matchCase;
        editor.grep.wordsOnly = c.wholeWords;
        editor.shared.settings.searchBackwards = c.backwards;
        editor.shared.settings.cyclicSearch = c.cyclic;
        editor.Select(c.selStart, c.selEnd);
        const int found = editor.commands->Search().FindNext(c.pattern, c.limit, true);
        EXPECT_EQ(editor.Selection(), std::make_pair(c.foundStart, c.foundEnd));
        EXPECT_EQ(found, c.message == kNotFound ? -1 : c.foundStart);
        EXPECT_EQ(editor.status.alerts, c.message.isEmpty() ? QStringList() : QStringList{c.message});
    }
}

TEST(EditorFindTest, AVeryLongSearchTextThatNearlyMatchesEverywhereEnds)
{
    // a quadratic search would compare 10^11 characters here
    const QString text(1'000'000, 'a');
    const QString pattern = QString(100'000, 'a') + 'b';
    for (bool backwards : {false, true}) {
        EXPECT_EQ(FindInRange(text, pattern, 0, int(text.size()), {false, false, backwards}), -1);
        EXPECT_EQ(FindInRange(text + pattern, pattern, 0, int(text.size() + pattern.size()), {true, false, backwards}),
                  1'000'000);
    }
}

TEST(EditorFindTest, FindDialogRefusesAnEmptyTextThenStoresTheOptionsAndSearches)
{
    Editor editor("one two one");
    editor.Select(4, 7);
    editor.prompts.AnswerDialog([&](QDialog& dialog) {
        auto* find = Child<QComboBox>(dialog, "findWhat");
        EXPECT_EQ(find->currentText(), "two"); // the selection
        find->setEditText("");
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(editor.prompts.Texts(ScriptedPrompts::Kind::Message),
                  QStringList{"Search string should not be empty"});
        find->setEditText("ONE");
        Child<QCheckBox>(dialog, "cyclicSearch")->setChecked(true);
        Child<QCheckBox>(dialog, "wholeWords")->setChecked(true);
        dialog.accept();
        return dialog.result();
    });
    ASSERT_TRUE(editor.Run(edcmd::kFind));
    EXPECT_TRUE(editor.shared.settings.cyclicSearch);
    EXPECT_TRUE(editor.grep.wordsOnly);
    ASSERT_NE(editor.grep.findHistory.First(), nullptr);
    EXPECT_EQ(*editor.grep.findHistory.First(), "ONE");
    EXPECT_EQ(editor.Selection(), std::make_pair(8, 11));
    // Repeat Find looks for the history's first entry and wraps round
    EXPECT_TRUE(editor.Run(edcmd::kRepeatFind));
    EXPECT_EQ(editor.Selection(), std::make_pair(0, 3));
    EXPECT_EQ(editor.status.alerts, QStringList{kWarped});
    // Find selection puts the selection at the front of the history
    editor.Select(4, 7);
    editor.Run(edcmd::kFindSelection);
    EXPECT_EQ(*editor.grep.findHistory.First(), "two");
}

// Runs the Replace command, clicking the named buttons in order (each while enabled,
// "replace*" repeated until the buttons turn off).
void RunReplace(Editor& editor, const QString& pattern, const QString& replacement, const QString& button)
{
    editor.prompts.AnswerDialog([&](QDialog& dialog) {
        Child<QComboBox>(dialog, "findWhat")->setEditText(pattern);
        Child<QComboBox>(dialog, "replaceWith")->setEditText(replacement);
        auto* press = Child<QPushButton>(dialog, button.toLatin1().constData());
        for (int i = 0; i < 1000 && press->isEnabled(); ++i)
            press->click();
        EXPECT_FALSE(press->isEnabled());
        return int(QDialog::Rejected);
    });
    editor.Run(edcmd::kReplace);
}

TEST(EditorReplaceTest, ReplaceAllCountsAndMatchesReplacingOneByOne)
{
    struct Case {
        const char* name;
        QString text;
        int selStart, selEnd;
        QString pattern, replacement;
        bool backwards, wholeWords;
        QString result;
        int count;
    };
    const Case cases[] = {
        {"a replacement holding the search text, forwards", "a a a", 0, 0, "a", "ba", false, false, "ba ba ba", 3},
        {"the same backwards", "a a a", 5, 5, "a", "ba", true, false, "ba ba ba", 3},
        {"an occurrence in a replacement is not searched", "aaa", 0, 0, "a", "aa", false, false, "aaaaaa", 3},
        {"one replacement", "xAy", 0, 0, "a", "b", false, false, "xby", 1},
        {"none", "xyz", 0, 0, "a", "b", false, false, "xyz", 0},
        {"only after the caret, no wrap", "a a a", 2, 2, "a", "b", false, false, "a b b", 2},
        {"the selected occurrence counts", "aXa", 2, 3, "a", "b", false, false, "aXb", 1},
        {"a replacement next to an occurrence ends its word", "a-a-", 0, 0, "a-", "b", false, true, "ba-", 1},
        {"a blank replacement keeps it a word", "a-a-", 0, 0, "a-", "-", false, true, "--", 2},
        {"backwards, the replacement before an occurrence", "-a-a", 4, 4, "-a", "b", true, true, "-ab", 1},
        {"an empty replacement deletes", "abcabc", 0, 0, "b", "", false, false, "acac", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Editor all(c.text);
        all.grep.wordsOnly = c.wholeWords;
        all.shared.settings.searchBackwards = c.backwards;
        all.shared.settings.cyclicSearch = true; // Replace All never wraps
        all.Select(c.selStart, c.selEnd);
        RunReplace(all, c.pattern, c.replacement, "replaceAll");
        EXPECT_EQ(all.text->toPlainText(), c.result);
        const QStringList expected = c.count == 0 ? QStringList()
                                   : c.count == 1 ? QStringList{"1 occurence have been replaced."}
                                                  : QStringList{QString("%1 occurences have been replaced.").arg(c.count)};
        EXPECT_EQ(all.prompts.Texts(ScriptedPrompts::Kind::Message), expected);

        Editor one(c.text);
        one.grep.wordsOnly = c.wholeWords;
        one.shared.settings.searchBackwards = c.backwards;
        one.Select(c.selStart, c.selEnd);
        RunReplace(one, c.pattern, c.replacement, "replace");
        EXPECT_EQ(one.text->toPlainText(), c.result);
        EXPECT_EQ(one.status.alerts.back(), kNotFound);
    }
}

TEST(EditorReplaceTest, AMultiLineSelectionIsTheRangeAndIsSelectedAgainOnClose)
{
    for (const char* button : {"replaceAll", "replace"}) {
        SCOPED_TRACE(button);
        Editor editor("a\na\na\na");
        editor.shared.settings.searchBackwards = true; // switched off by the range
        editor.Select(2, 5);
        RunReplace(editor, "a", "bb", button);
        EXPECT_EQ(editor.text->toPlainText(), "a\nbb\nbb\na");
        EXPECT_EQ(editor.Selection(), std::make_pair(2, 7));
        EXPECT_FALSE(editor.shared.settings.searchBackwards);
        EXPECT_TRUE(editor.text->document()->isUndoAvailable());
    }
    // Replace All is one undo step
    Editor editor("x a a a");
    RunReplace(editor, "a", "b", "replaceAll");
    editor.text->undo();
    EXPECT_EQ(editor.text->toPlainText(), "x a a a");
}

TEST(EditorReplaceTest, HistoryLoadsWithTheFirstDialogAndIsSavedOnlyThen)
{
    Editor editor("text");
    SaveReplaceHistory(editor.shared);
    EXPECT_TRUE(editor.store.Writes().empty());
    editor.store.WriteString(registry::section::kReplaceTextHistory, "0", "stored");
    editor.store.ClearWriteLog();
    editor.prompts.AnswerDialog([&](QDialog& dialog) {
        EXPECT_EQ(Child<QComboBox>(dialog, "replaceWith")->currentText(), "stored");
        EXPECT_FALSE(Child<QCheckBox>(dialog, "selectionOnly")->isEnabled());
        Child<QComboBox>(dialog, "findWhat")->setEditText("");
        Child<QPushButton>(dialog, "findNext")->click();
        Child<QComboBox>(dialog, "findWhat")->setEditText("ex");
        Child<QComboBox>(dialog, "replaceWith")->setEditText("new");
        Child<QPushButton>(dialog, "findNext")->click();
        return int(QDialog::Rejected);
    });
    editor.Run(edcmd::kReplace);
    EXPECT_EQ(editor.prompts.Texts(ScriptedPrompts::Kind::Message), QStringList{"Search string should not be empty"});
    EXPECT_EQ(editor.Selection(), std::make_pair(1, 3));
    SaveReplaceHistory(editor.shared);
    EXPECT_EQ(editor.store.ReadString(registry::section::kReplaceTextHistory, "0"), "new");
    EXPECT_EQ(editor.store.ReadString(registry::section::kReplaceTextHistory, "1"), "stored");
}

TEST(EditorTextCommandsTest, MatchBrace)
{
    const QString noBrace = "No single brace character is selected.";
    const QString unbalanced = "The matching brace cannot be found (unbalanced ?)";
    struct Case {
        const char* name;
        QString text;
        int selStart, selEnd;
        int match; // -1: the message
        QString message;
    };
    const Case cases[] = {
        {"an opener finds its closer past nested pairs", "(a(b)c)", 0, 1, 6, ""},
        {"a closer finds its opener backwards", "[[x]]", 4, 5, 0, ""},
        {"blanks round the brace are stripped", "x ( y )", 1, 4, 6, ""},
        {"other kinds of braces do not count", "<(>)", 0, 1, 2, ""},
        {"a closer with no opener", "a]b", 1, 2, -1, unbalanced},
        {"an opener never closed", "((a)", 0, 1, -1, unbalanced},
        {"two characters", "(a)", 0, 2, -1, noBrace},
        {"not a brace", "abc", 1, 2, -1, noBrace},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Editor editor(c.text);
        editor.Select(c.selStart, c.selEnd);
        editor.Run(edcmd::kMatchBrace);
        if (c.match >= 0)
            EXPECT_EQ(editor.Selection(), std::make_pair(c.match, c.match + 1));
        else
            EXPECT_EQ(editor.Selection(), std::make_pair(c.selStart, c.selEnd));
        EXPECT_EQ(editor.status.alerts, c.message.isEmpty() ? QStringList() : QStringList{c.message});
    }
}

TEST(EditorTextCommandsTest, GotoLineAsksForALineInRangeAndMovesThere)
{
    Editor single("only one line");
    single.Run(edcmd::kGotoLine);
    EXPECT_TRUE(single.prompts.Log().empty());

    Editor editor("one\ntwo\nthree");
    editor.Select(5, 5);
    editor.prompts.AnswerDialog([](QDialog& dialog) {
        auto& input = dynamic_cast<InputDlg&>(dialog);
        EXPECT_EQ(input.Text(), "2");
        input.SetText("4"); // out of range: refused, the dialog stays
        input.accept();
        EXPECT_EQ(input.result(), QDialog::Rejected);
        input.SetText("3");
        input.accept();
        return input.result();
    });
    editor.Run(edcmd::kGotoLine);
    EXPECT_EQ(editor.prompts.Log().front().text, "Enter Line Number");
    EXPECT_EQ(editor.Selection(), std::make_pair(8, 8));
}

TEST(EditorTextCommandsTest, CopyWithoutASelectionCopiesTheCaretsLine)
{
    Editor editor("one\ntwo words\nthree");
    editor.Select(6, 6);
    editor.Run(edcmd::kCopy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "two words");
    EXPECT_EQ(editor.Selection(), std::make_pair(6, 6));
    editor.Select(0, 2);
    editor.Run(edcmd::kCopy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "on");
    // Delete Line takes the line and its end
    editor.Select(6, 6);
    editor.Run(edcmd::kDeleteLine);
    EXPECT_EQ(editor.text->toPlainText(), "one\nthree");
}

TEST(EditorTextCommandsTest, AutoIndentRepeatsUpTo49LeadingBlanks)
{
    struct Case {
        const char* name;
        QString line;
        bool autoFill;
        QString newLine;
    };
    const Case cases[] = {
        {"spaces and tabs", " \t x", true, " \t "},
        {"at most 49", QString(60, ' ') + "x", true, QString(49, ' ')},
        {"no blanks", "x  ", true, ""},
        {"off", "  x", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Editor editor(c.line);
        editor.shared.settings.autoFill = c.autoFill;
        editor.text->moveCursor(QTextCursor::End);
        QTest::keyClick(editor.text, Qt::Key_Return);
        EXPECT_EQ(editor.text->toPlainText(), c.line + "\n" + c.newLine);
    }
}

TEST(EditorTextCommandsTest, IndentChangesEverySelectedLineAndKeepsTheSelection)
{
    const QString text = "a\n b\n\tc\nd";
    Editor more(text);
    more.Select(1, 6); // from line 1 into line 3
    more.Run(edcmd::kIndentIncrease);
    EXPECT_EQ(more.text->toPlainText(), "\ta\n\t b\n\t\tc\nd");
    EXPECT_EQ(more.Selection(), std::make_pair(1, 6));
    Editor less(text);
    less.Select(6, 1);
    less.Run(edcmd::kIndentDecrease);
    EXPECT_EQ(less.text->toPlainText(), "a\nb\nc\nd");
    EXPECT_EQ(less.text->textCursor().anchor(), 6);
    EXPECT_EQ(less.text->textCursor().position(), 1);
}

TEST(EditorTextCommandsTest, EnabledStatesInViewAndEditMode)
{
    struct Case {
        const char* name;
        int id;
        bool view, edit; // with a selection and text on the clipboard
    };
    const Case cases[] = {
        {"Select All", edcmd::kSelectAll, true, true},   {"Copy", edcmd::kCopy, true, true},
        {"Cut", edcmd::kCut, false, true},               {"Paste", edcmd::kPaste, false, true},
        {"Overwrite", edcmd::kOverwrite, false, true},   {"Delete Line", edcmd::kDeleteLine, false, true},
        {"Date/time", edcmd::kInsertDateTime, false, true}, {"Find", edcmd::kFind, true, true},
        {"Find selection", edcmd::kFindSelection, true, true}, {"Replace", edcmd::kReplace, false, true},
        {"Match Brace", edcmd::kMatchBrace, true, true}, {"Goto Line", edcmd::kGotoLine, true, true},
        {"Tab width", edcmd::kTabWidth, true, true},     {"Word Wrap", edcmd::kWordWrap, true, true},
        {"Auto indent", edcmd::kAutoIndent, false, true}, {"Indent", edcmd::kIndentIncrease, false, true},
        {"Unindent", edcmd::kIndentDecrease, false, true},
    };
    QGuiApplication::clipboard()->setText("clip");
    Editor view("some text", true);
    Editor edit("some text", false);
    for (Editor* editor : {&view, &edit})
        editor->Select(0, 4);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(view.Enabled(c.id), c.view);
        EXPECT_EQ(edit.Enabled(c.id), c.edit);
    }
    // what depends on the selection, the history and the undo buffer
    edit.Select(2, 2);
    EXPECT_FALSE(edit.Enabled(edcmd::kCut));
    EXPECT_FALSE(edit.Enabled(edcmd::kFindSelection));
    EXPECT_FALSE(edit.Enabled(edcmd::kMatchBrace));
    EXPECT_FALSE(edit.Enabled(edcmd::kRepeatFind));
    EXPECT_FALSE(edit.Enabled(edcmd::kUndo));
    edit.grep.findHistory.Add(20, "x");
    EXPECT_TRUE(edit.Enabled(edcmd::kRepeatFind));
    edit.Run(edcmd::kInsertDateTime);
    EXPECT_TRUE(edit.Enabled(edcmd::kUndo));
    EXPECT_NE(edit.text->toPlainText(), "some text");
}

TEST(EditorTextCommandsTest, OverwriteFollowsTheInsertKeyAndTheCommand)
{
    Editor editor("abc");
    QTest::keyClick(editor.text, Qt::Key_Insert);
    EXPECT_TRUE(editor.state.overwrite);
    EXPECT_TRUE(editor.text->overwriteMode());
    QTest::keyClick(editor.text, Qt::Key_Insert, Qt::ShiftModifier); // paste, not a toggle
    EXPECT_TRUE(editor.state.overwrite);
    editor.Run(edcmd::kOverwrite);
    EXPECT_FALSE(editor.state.overwrite);
    EXPECT_FALSE(editor.text->overwriteMode());
    Editor view("abc", true);
    QTest::keyClick(view.text, Qt::Key_Insert);
    EXPECT_FALSE(view.state.overwrite);
}

TEST(EditorTextCommandsTest, TabWidthUpTo32SetsTheStopsWithoutModifying)
{
    Editor editor("a\tb");
    editor.text->document()->setModified(false);
    editor.prompts.AnswerDialog([](QDialog& dialog) {
        auto& input = dynamic_cast<InputDlg&>(dialog);
        EXPECT_EQ(input.Text(), "3");
        input.SetText("32");
        input.accept();
        return input.result();
    });
    editor.Run(edcmd::kTabWidth);
    EXPECT_EQ(editor.shared.settings.tabWidth, 32);
    const QFontMetricsF metrics(editor.text->document()->defaultFont());
    EXPECT_DOUBLE_EQ(editor.text->tabStopDistance(), metrics.horizontalAdvance(QString(32, '0')));
    EXPECT_FALSE(editor.text->document()->isModified());
    EXPECT_FALSE(ApplyTabStops(*editor.text, 33));
    // Word Wrap toggles the shared flag and this control
    editor.Run(edcmd::kWordWrap);
    EXPECT_FALSE(editor.shared.settings.wordWrap);
    EXPECT_EQ(editor.text->lineWrapMode(), QPlainTextEdit::NoWrap);
}

} // namespace
} // namespace bivora
