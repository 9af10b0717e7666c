#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <string_view>

namespace bivora {

// How a file's bytes became the text shown, so that saving can give the same bytes back.
struct TextForm {
    // The bytes were not valid UTF-8 and show one character per byte (ISO 8859-1),
    // which keeps every byte; saving writes them back the same way.
    bool latin1 = false;
    // Lines end in CR LF (the first line end decides); saving writes them so.
    bool crlf = false;
};

struct DecodedText {
    QString text;
    TextForm form;
    bool nonText = false; // holds a byte of value 1
};

// The text of a file's bytes: UTF-8 when they are valid UTF-8 (a byte-order mark is
// kept as a character, so it is saved again), else ISO 8859-1. Any thread.
DecodedText DecodeFileText(std::string_view bytes);

// The bytes of the text as the control holds it (paragraph and line separators are
// line ends), in the file's form; nullopt when the text holds a character the form
// cannot represent (one beyond U+00FF in an ISO 8859-1 file).
std::optional<QByteArray> EncodeFileText(const QString& rawText, const TextForm& form);

} // namespace bivora
