#pragma once

#include "ui/commands/command_router.h"
#include "ui/editor/editor_search.h"

#include <memory>

class QPlainTextEdit;

namespace bivora {

struct EditorShared;
struct EditorViewState;

// The editor window's commands on its text: clipboard and undo, overwrite, line
// deletion, date/time, Find / Repeat Find / Find selection, Replace, Match Brace, Goto
// Line, Tab width, Word Wrap, Auto indent and indenting. One per window, made after
// the view state's text control, which it watches for the Insert and Enter keys while
// it lives. Making the first one loads the shared search options and find history.
class EditorTextCommands final : public CommandTarget {
public:
    EditorTextCommands(EditorShared& shared, EditorViewState& state);
    ~EditorTextCommands() override;
    EditorTextCommands(const EditorTextCommands&) = delete;
    EditorTextCommands& operator=(const EditorTextCommands&) = delete;

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    EditorSearch& Search() { return m_search; }

private:
    class KeyFilter;
    bool EditMode() const;
    void Copy();
    void ToggleOverwrite();
    void DeleteLine();
    void InsertDateTime();
    void Find();
    void RepeatFind();
    void FindSelection();
    void Replace();
    void MatchBrace();
    void GotoLine();
    void TabWidth();
    void ToggleWordWrap();
    void Indent(bool increase);

    EditorShared& m_shared;
    EditorViewState& m_state;
    EditorSearch m_search;
    std::unique_ptr<KeyFilter> m_filter;
};

// Sets the tab interval of the control to the width of `width` digit zeros in its font;
// false (and nothing changed) for a width outside 1 to 32.
bool ApplyTabStops(QPlainTextEdit& text, int width);

// Writes the replace history at exit, when a Replace Text dialog has loaded it.
void SaveReplaceHistory(const EditorShared& shared);

} // namespace bivora
