#include "ui/editor/editor_search.h"

#include "base/grep_settings.h"
#include "ui/commands/status_service.h"
#include "ui/editor/editor_context.h"

#include <QPlainTextEdit>
#include <QPoint>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace bivora {

namespace {

// The control's text with one character per cursor position (paragraph ends as "\n").
QString PlainText(const QPlainTextEdit& text)
{
    return text.document()->toPlainText();
}

} // namespace

SearchOptions CurrentSearchOptions(const EditorShared& shared)
{
    return {shared.grep.matchCase, shared.grep.wordsOnly, shared.settings.searchBackwards};
}

int FindInRange(const EditorShared& shared, const QPlainTextEdit& text, const QString& pattern, int start,
                int end)
{
    return FindInRange(PlainText(text), pattern, start, end, CurrentSearchOptions(shared));
}

void EditorSearch::Select(int start, int end)
{
    QTextCursor cursor(m_state.text.document());
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    m_state.text.setTextCursor(cursor);
    m_state.text.ensureCursorVisible();
}

QPoint EditorSearch::SelectionStartOnScreen() const
{
    QTextCursor cursor = m_state.text.textCursor();
    cursor.setPosition(cursor.selectionStart());
    const QRect rect = m_state.text.cursorRect(cursor);
    return m_state.text.viewport()->mapToGlobal(rect.topLeft());
}

int EditorSearch::FindNext(const QString& pattern, int limit, bool interactive)
{
    if (pattern.isEmpty())
        return -1;
    const SearchOptions options = CurrentSearchOptions(m_shared);
    const TextMatcher matcher(pattern, options.matchCase, options.wholeWords);
    const QString all = PlainText(m_state.text);
    const int n = static_cast<int>(all.size());
    const QTextCursor cursor = m_state.text.textCursor();
    const int s = cursor.selectionStart();
    const int e = cursor.selectionEnd();

    int from = 0;
    int position = -1;
    if (options.backwards) {
        position = matcher.FindLast(all, 0, s);
    } else {
        from = e > s ? s + 1 : s;
        position = matcher.FindFirst(all, from, limit < 0 ? n : limit);
    }
    if (position < 0 && m_shared.settings.cyclicSearch && limit < 0) {
        position = options.backwards ? matcher.FindLast(all, s, n) : matcher.FindFirst(all, 0, from);
        if (position >= 0 && interactive)
            m_state.status.ShowStatusMessage(QStringLiteral("Cursor warped round the file"), true);
    }
    if (position < 0) {
        if (interactive)
            m_state.status.ShowStatusMessage(QStringLiteral("The specified text cannot be located."), true);
        return -1;
    }
    Select(position, position + matcher.Length());
    return position;
}

bool EditorSearch::SearchStep(const QString& pattern, ReplaceRange& range, bool interactive)
{
    if (FindNext(pattern, range.limit, interactive) >= 0)
        return true;
    if (range.selectionOnly)
        Select(range.start, range.start);
    return false;
}

bool EditorSearch::ReplaceOne(const QString& pattern, const QString& replacement, ReplaceRange& range,
                              bool interactive)
{
    const SearchOptions options = CurrentSearchOptions(m_shared);
    const TextMatcher matcher(pattern, options.matchCase, false);
    QTextCursor cursor = m_state.text.textCursor();
    if (cursor.hasSelection()) {
        const int s = cursor.selectionStart();
        const int e = cursor.selectionEnd();
        QString selected = cursor.selectedText();
        selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        if (matcher.Equals(selected)) {
            cursor.insertText(replacement);
            const int caret = cursor.position();
            const int moved = range.end + static_cast<int>(replacement.size()) - (e - s);
            if (range.end >= 0 && caret >= range.start && caret <= moved) {
                range.end = moved;
                if (range.selectionOnly)
                    range.limit = range.end;
            }
            // backwards the next search covers only the text before this replacement
            if (options.backwards)
                cursor.setPosition(s);
            m_state.text.setTextCursor(cursor);
        }
    }
    return SearchStep(pattern, range, interactive);
}

int EditorSearch::ReplaceAll(const QString& pattern, const QString& replacement, ReplaceRange& range)
{
    const SearchOptions options = CurrentSearchOptions(m_shared);
    const TextMatcher matcher(pattern, options.matchCase, options.wholeWords);
    const QTextCursor current = m_state.text.textCursor();
    ReplaceAllInput input;
    input.selectionStart = current.selectionStart();
    input.selectionEnd = current.selectionEnd();
    input.rangeStart = range.start;
    input.rangeEnd = range.end;
    input.selectionOnly = range.selectionOnly && range.end >= 0;
    const ReplaceAllPlan plan = PlanReplaceAll(PlainText(m_state.text), matcher, replacement, options.backwards, input);
    if (plan.count > 0) {
        QTextCursor cursor(m_state.text.document());
        cursor.setPosition(plan.spanStart);
        cursor.setPosition(plan.spanEnd, QTextCursor::KeepAnchor);
        cursor.insertText(plan.spanText);
        Select(plan.caret, plan.caret);
        range.end = plan.rangeEnd;
        if (range.selectionOnly)
            range.limit = range.end;
    }
    if (range.selectionOnly)
        Select(range.start, range.start);
    return plan.count;
}

} // namespace bivora
