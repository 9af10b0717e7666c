#pragma once

#include "ui/editor/text_search.h"

#include <QString>

class QPlainTextEdit;
class QPoint;

namespace bivora {

struct EditorShared;
struct EditorViewState;

// The search options as the shared editor and search settings hold them now.
SearchOptions CurrentSearchOptions(const EditorShared& shared);

// The occurrence of pattern in the control's text within [start, end] with the current
// options (backwards: the last one), -1 when none.
int FindInRange(const EditorShared& shared, const QPlainTextEdit& text, const QString& pattern, int start,
                int end);

// The range and limit of an open Replace Text dialog.
struct ReplaceRange {
    int start = 0;
    int end = -1;   // -1: the dialog works on the whole text
    int limit = -1; // the range end while "selection only" is ticked, else -1
    bool selectionOnly = false;
};

// The searches of one editor view; every outcome of an interactive search is told in
// its status bar with the alert flag.
class EditorSearch {
public:
    EditorSearch(EditorShared& shared, EditorViewState& state) : m_shared(shared), m_state(state) {}

    // Finds the next occurrence from the selection (forwards one character past its
    // start when it is not empty, so a repeated search moves on) up to limit (-1: the
    // end of the text), wrapping round once when cyclic search is on and limit is -1,
    // and selects it. Its position, or -1 with the selection unchanged.
    int FindNext(const QString& pattern, int limit, bool interactive);
    // FindNext up to the range's limit; a failure with "selection only" puts the caret
    // back at the range start.
    bool SearchStep(const QString& pattern, ReplaceRange& range, bool interactive);
    // Replaces the selection when it is the search text (the range end follows the
    // change), then SearchStep from there; backwards that covers only the text before it.
    bool ReplaceOne(const QString& pattern, const QString& replacement, ReplaceRange& range, bool interactive);
    // ReplaceOne repeated without a wrap until it fails, made in one edit of the text
    // (one undo step); the number of replacements.
    int ReplaceAll(const QString& pattern, const QString& replacement, ReplaceRange& range);

    void Select(int start, int end);
    // Where the selection starts, in global coordinates.
    QPoint SelectionStartOnScreen() const;

private:
    EditorShared& m_shared;
    EditorViewState& m_state;
};

} // namespace bivora
