#include "ui/editor/rich_text.h"

#include "base/rtf_reader.h"

#include <QColor>
#include <QPlainTextEdit>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace bivora {

namespace {

QTextCharFormat CharFormatOf(const RtfFormat& format)
{
    QTextCharFormat chars;
    chars.setFontWeight(format.bold ? QFont::Bold : QFont::Normal);
    chars.setFontItalic(format.italic);
    chars.setFontUnderline(format.underline);
    chars.setFontPointSize(format.halfPoints / 2.0);
    if (format.hasColor)
        chars.setForeground(QColor::fromRgb(static_cast<QRgb>(format.color)));
    if (format.hasBackground)
        chars.setBackground(QColor::fromRgb(static_cast<QRgb>(format.background)));
    return chars;
}

} // namespace

void ShowRichText(QPlainTextEdit& text, const RtfDocument& document)
{
    QTextDocument& target = *text.document();
    target.setUndoRedoEnabled(false);
    target.clear();
    QTextCursor cursor(&target);
    cursor.beginEditBlock();
    bool first = true;
    for (const RtfParagraph& paragraph : document.paragraphs) {
        if (!first)
            cursor.insertBlock();
        first = false;
        for (const RtfRun& run : paragraph.runs)
            cursor.insertText(QString::fromUtf8(run.text.data(), qsizetype(run.text.size())), CharFormatOf(run.format));
    }
    cursor.endEditBlock();
    target.setUndoRedoEnabled(true);
    target.setModified(false);
    text.moveCursor(QTextCursor::Start);
}

} // namespace bivora
