#include "ui/editor/editor_text_commands.h"

#include "base/grep_settings.h"
#include "base/registry_keys.h"
#include "ui/commands/edit_text.h"
#include "ui/commands/services.h"
#include "ui/commands/status_service.h"
#include "ui/editor/editor_command_ids.h"
#include "ui/editor/editor_context.h"
#include "ui/editor/find_text_dlg.h"
#include "ui/editor/replace_text_dlg.h"
#include "ui/editor/text_search.h"
#include "ui/jobs/long_operation.h"
#include "ui/widgets/input_dlg.h"

#include <QClipboard>
#include <QDateTime>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace bivora {

namespace {

constexpr int kMaxTabWidth = 32;

int TextLength(const QPlainTextEdit& text)
{
    return text.document()->characterCount() - 1;
}

// The selection as the document's plain text has it (paragraph ends as "\n").
QString SelectedText(const QPlainTextEdit& text)
{
    QString selected = text.textCursor().selectedText();
    selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return selected;
}

} // namespace

// Watches the text control for the keys the editor handles itself: Insert toggles
// overwrite mode in step with the view's flag, and Enter with auto indent repeats the
// line's leading blanks on the new line.
class EditorTextCommands::KeyFilter final : public QObject {
public:
    explicit KeyFilter(EditorTextCommands& owner) : m_owner(owner), m_text(&owner.m_state.text)
    {
        m_text->installEventFilter(this);
    }
    ~KeyFilter() override
    {
        // the window may already have deleted its control
        if (m_text)
            m_text->removeEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !m_owner.EditMode())
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Insert && !(key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))) {
            m_owner.ToggleOverwrite();
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && m_owner.m_shared.settings.autoFill) {
            QPlainTextEdit& text = m_owner.m_state.text;
            const QString blanks = LeadingBlanks(text.textCursor().block().text());
            // the control takes the Enter itself; the blanks then start the new line
            static_cast<QObject*>(watched)->event(event);
            if (!blanks.isEmpty())
                text.textCursor().insertText(blanks);
            return true;
        }
        return false;
    }

private:
    EditorTextCommands& m_owner;
    QPointer<QPlainTextEdit> m_text;
};

EditorTextCommands::EditorTextCommands(EditorShared& shared, EditorViewState& state)
    : m_shared(shared), m_state(state), m_search(shared, state), m_filter(std::make_unique<KeyFilter>(*this))
{
    shared.grep.EnsureLoaded(shared.historyItems(), shared.store);
    state.text.setOverwriteMode(state.overwrite);
    state.text.setLineWrapMode(shared.settings.wordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

EditorTextCommands::~EditorTextCommands() = default;

bool EditorTextCommands::EditMode() const
{
    return !m_state.readOnly;
}

bool EditorTextCommands::OnUpdateCommand(int id, CommandState& state)
{
    const bool selection = m_state.text.textCursor().hasSelection();
    switch (id) {
    case edcmd::kUndo:
        state.enabled = EditMode() && m_state.text.document()->isUndoAvailable();
        return true;
    case edcmd::kCut:
        state.enabled = EditMode() && selection;
        return true;
    case edcmd::kPaste: {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        state.enabled = EditMode() && data && data->hasText();
        return true;
    }
    case edcmd::kOverwrite:
        state.enabled = EditMode();
        state.checked = m_state.overwrite;
        return true;
    case edcmd::kAutoIndent:
        state.enabled = EditMode();
        state.checked = m_shared.settings.autoFill;
        return true;
    case edcmd::kDeleteLine:
    case edcmd::kInsertDateTime:
    case edcmd::kReplace:
    case edcmd::kIndentIncrease:
    case edcmd::kIndentDecrease:
        state.enabled = EditMode();
        return true;
    case edcmd::kRepeatFind:
        state.enabled = m_shared.grep.findHistory.First() != nullptr;
        return true;
    case edcmd::kFindSelection:
    case edcmd::kMatchBrace:
        state.enabled = selection;
        return true;
    case edcmd::kWordWrap:
        state.enabled = true;
        state.checked = m_shared.settings.wordWrap;
        return true;
    case edcmd::kSelectAll:
    case edcmd::kCopy:
    case edcmd::kFind:
    case edcmd::kTabWidth:
    case edcmd::kGotoLine:
        state.enabled = true;
        return true;
    default:
        return false;
    }
}

bool EditorTextCommands::OnCommand(int id)
{
    switch (id) {
    case edcmd::kUndo:
        m_state.text.undo();
        return true;
    case edcmd::kSelectAll:
        m_state.text.selectAll();
        return true;
    case edcmd::kCut:
        m_state.text.cut();
        return true;
    case edcmd::kCopy:
        Copy();
        return true;
    case edcmd::kPaste:
        // the plain text control takes only the clipboard's plain text
        m_state.text.paste();
        return true;
    case edcmd::kOverwrite:
        ToggleOverwrite();
        return true;
    case edcmd::kDeleteLine:
        DeleteLine();
        return true;
    case edcmd::kInsertDateTime:
        InsertDateTime();
        return true;
    case edcmd::kFind:
        Find();
        return true;
    case edcmd::kRepeatFind:
        RepeatFind();
        return true;
    case edcmd::kFindSelection:
        FindSelection();
        return true;
    case edcmd::kReplace:
        Replace();
        return true;
    case edcmd::kMatchBrace:
        MatchBrace();
        return true;
    case edcmd::kGotoLine:
        GotoLine();
        return true;
    case edcmd::kTabWidth:
        TabWidth();
        return true;
    case edcmd::kWordWrap:
        ToggleWordWrap();
        return true;
    case edcmd::kAutoIndent:
        m_shared.settings.autoFill = !m_shared.settings.autoFill;
        return true;
    case edcmd::kIndentIncrease:
        Indent(true);
        return true;
    case edcmd::kIndentDecrease:
        Indent(false);
        return true;
    default:
        return false;
    }
}

void EditorTextCommands::Copy()
{
    QPlainTextEdit& text = m_state.text;
    if (text.textCursor().hasSelection()) {
        text.copy();
        return;
    }
    const QTextCursor saved = text.textCursor();
    QTextCursor line = saved;
    line.movePosition(QTextCursor::StartOfBlock);
    line.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    text.setTextCursor(line);
    text.copy();
    text.setTextCursor(saved);
}

void EditorTextCommands::ToggleOverwrite()
{
    m_state.overwrite = !m_state.overwrite;
    m_state.text.setOverwriteMode(m_state.overwrite);
}

void EditorTextCommands::DeleteLine()
{
    QTextCursor cursor = m_state.text.textCursor();
    const QTextBlock block = cursor.block();
    cursor.setPosition(block.position());
    cursor.setPosition(std::min(block.position() + block.length(), TextLength(m_state.text)),
                       QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    m_state.text.setTextCursor(cursor);
}

void EditorTextCommands::InsertDateTime()
{
    m_state.text.textCursor().insertText(
        QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat));
}

void EditorTextCommands::Find()
{
    FindTextDlg dialog(&m_state.window, m_shared.prompts, m_shared, SelectedText(m_state.text));
    if (m_shared.prompts.Exec(dialog) == QDialog::Accepted)
        m_search.FindNext(dialog.Text(), -1, true);
}

void EditorTextCommands::RepeatFind()
{
    if (const std::string* last = m_shared.grep.findHistory.First())
        m_search.FindNext(BytesToEditText(*last), -1, true);
}

void EditorTextCommands::FindSelection()
{
    const QString selected = SelectedText(m_state.text);
    if (selected.isEmpty())
        return;
    m_shared.grep.findHistory.Add(m_shared.historyItems(), EditTextToBytes(selected));
    m_search.FindNext(selected, -1, true);
}

void EditorTextCommands::Replace()
{
    const QTextCursor cursor = m_state.text.textCursor();
    const QString selected = SelectedText(m_state.text);
    QString initial;
    ReplaceRange range;
    bool coversSelection = false;
    if (!selected.isEmpty()) {
        if (!selected.contains(QLatin1Char('\n'))) {
            initial = selected;
            coversSelection = true;
        } else {
            // a selection over several lines is the range to work in, forwards
            range.start = cursor.selectionStart();
            range.end = cursor.selectionEnd();
            range.limit = range.end;
            range.selectionOnly = true;
            m_shared.settings.searchBackwards = false;
            m_search.Select(range.start, range.start);
        }
    }
    if (!m_shared.replaceHistoryLoaded) {
        m_shared.replaceHistory.Load(m_shared.historyItems(), m_shared.store, registry::section::kReplaceTextHistory);
        m_shared.replaceHistoryLoaded = true;
    }
    ReplaceTextDlg dialog(&m_state.window, m_shared.prompts, m_shared, m_search, initial, range, coversSelection);
    m_shared.prompts.Exec(dialog);
    const ReplaceRange& after = dialog.Range();
    if (after.end >= 0 && after.selectionOnly)
        m_search.Select(after.start, after.end);
}

void EditorTextCommands::MatchBrace()
{
    const QTextCursor cursor = m_state.text.textCursor();
    BraceMatch match;
    {
        WaitCursor wait;
        match = bivora::MatchBrace(m_state.text.document()->toPlainText(), cursor.selectionStart(),
                                   cursor.selectionEnd());
    }
    switch (match.outcome) {
    case BraceMatch::Outcome::NoSingleBrace:
        m_state.status.ShowStatusMessage(QStringLiteral("No single brace character is selected."), true);
        break;
    case BraceMatch::Outcome::Unbalanced:
        m_state.status.ShowStatusMessage(QStringLiteral("The matching brace cannot be found (unbalanced ?)"), true);
        break;
    case BraceMatch::Outcome::Found:
        m_search.Select(match.position, match.position + 1);
        break;
    }
}

void EditorTextCommands::GotoLine()
{
    const QTextDocument* document = m_state.text.document();
    const int lines = document->blockCount();
    if (lines < 2)
        return;
    InputDlg dialog(m_shared.prompts, &m_state.window, QStringLiteral("Enter Line Number"),
                    m_state.text.textCursor().blockNumber() + 1, 1, lines);
    dialog.setWindowModality(Qt::WindowModal);
    if (m_shared.prompts.Exec(dialog) != QDialog::Accepted)
        return;
    const QTextBlock block = document->findBlockByNumber(std::clamp(dialog.Value(), 1, lines) - 1);
    m_search.Select(block.position(), block.position());
}

void EditorTextCommands::TabWidth()
{
    InputDlg dialog(m_shared.prompts, &m_state.window, QStringLiteral("Enter new Tab Width"),
                    m_shared.settings.tabWidth, 1, kMaxTabWidth);
    dialog.setWindowModality(Qt::WindowModal);
    if (m_shared.prompts.Exec(dialog) == QDialog::Accepted && ApplyTabStops(m_state.text, dialog.Value()))
        m_shared.settings.tabWidth = dialog.Value();
}

void EditorTextCommands::ToggleWordWrap()
{
    // other windows keep their wrapping until their own Word Wrap applies the shared flag
    m_shared.settings.wordWrap = !m_shared.settings.wordWrap;
    WaitCursor wait;
    m_state.text.setLineWrapMode(m_shared.settings.wordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void EditorTextCommands::Indent(bool increase)
{
    WaitCursor wait;
    QTextDocument* document = m_state.text.document();
    const QTextCursor selection = m_state.text.textCursor();
    const int anchor = selection.anchor();
    const int position = selection.position();
    const QTextBlock last = document->findBlock(selection.selectionEnd());
    QTextCursor edit(document);
    edit.beginEditBlock();
    for (QTextBlock block = document->findBlock(selection.selectionStart()); block.isValid(); block = block.next()) {
        edit.setPosition(block.position());
        if (increase) {
            edit.insertText(QStringLiteral("\t"));
        } else {
            const QChar first = document->characterAt(block.position());
            if (first == QLatin1Char(' ') || first == QLatin1Char('\t'))
                edit.deleteChar();
        }
        if (block == last)
            break;
    }
    edit.endEditBlock();
    // the selection keeps its character indexes, not the text it covered
    const int length = TextLength(m_state.text);
    QTextCursor restored(document);
    restored.setPosition(std::min(anchor, length));
    restored.setPosition(std::min(position, length), QTextCursor::KeepAnchor);
    m_state.text.setTextCursor(restored);
}

bool ApplyTabStops(QPlainTextEdit& text, int width)
{
    if (width < 1 || width > kMaxTabWidth)
        return false;
    const QFontMetricsF metrics(text.document()->defaultFont());
    text.setTabStopDistance(metrics.horizontalAdvance(QString(width, QLatin1Char('0'))));
    return true;
}

void SaveReplaceHistory(const EditorShared& shared)
{
    if (shared.replaceHistoryLoaded)
        shared.replaceHistory.Save(shared.historyItems(), shared.store, registry::section::kReplaceTextHistory);
}

} // namespace bivora
