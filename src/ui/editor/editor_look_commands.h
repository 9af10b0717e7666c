#pragma once

#include "ui/commands/command_router.h"

#include <QFont>

#include <memory>

class QPlainTextEdit;
class QPrinter;
class QTextDocument;

namespace bivora {

struct CharFormat;
struct EditorShared;
struct EditorViewState;
struct PageMargins;

// An editor window's appearance and printing commands: Set Colors, Set Font, Page
// Setup and Print. The colours, font and margins are shared by every editor window;
// a window shows a change when the command runs in it or when it is made.
class EditorLookCommands final : public CommandTarget {
public:
    static constexpr int kSetFont = 32769;
    static constexpr int kSetColors = 32775;
    static constexpr int kPageSetup = 57605;
    static constexpr int kPrint = 57608;

    // Both outlive this object.
    EditorLookCommands(EditorShared& shared, EditorViewState& view);

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

private:
    void SetColors();
    void SetFont();
    void PageSetup();
    void Print();

    EditorShared& m_shared;
    EditorViewState& m_view;
};

// The view's colours: the system's (a view-mode window's background is the window
// colour, an edit-mode one's the base colour), replaced by the chosen ones in edit
// mode or when they apply to view mode too. Rich text loses its own text colours.
// The modified flag and the selection stay.
void ApplyColors(const EditorShared& shared, EditorViewState& view);

// The editor font over the whole text (rich text loses its own fonts and sizes) and
// the tab stops for it. The modified flag and the selection stay.
void ApplyFont(const EditorShared& shared, EditorViewState& view);

// The font a character format names; the system's fixed-pitch font for height 0.
QFont EditorFont(const CharFormat& format);

// A copy of the control's text laid out in pages of the printer's printable rectangle,
// measured on the printer.
std::unique_ptr<QTextDocument> LayOutForPrinter(const QPlainTextEdit& text, QPrinter& printer);

// Prints the control's text on the printer within the margins (twips). An empty text
// prints nothing. False when the printer could not be used.
bool PrintText(const QPlainTextEdit& text, const PageMargins& margins, QPrinter& printer);

// The printer the page setup chose for the run, shared by every editor window.
QPrinter& EditorPrinter();

} // namespace bivora
