#pragma once

class QPlainTextEdit;

namespace bivora {

struct RtfDocument;

// Replaces the control's text by the document's paragraphs, each run in its own
// character format (bold, italic, underline, size, colours) over the control's font.
// The control is left unmodified with nothing to undo.
void ShowRichText(QPlainTextEdit& text, const RtfDocument& document);

} // namespace bivora
