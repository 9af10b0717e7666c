#include "ui/editor/editor_text_codec.h"

#include <QStringDecoder>

namespace bivora {

DecodedText DecodeFileText(std::string_view bytes)
{
    DecodedText decoded;
    const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    decoded.text = utf8.decode(view);
    if (utf8.hasError()) {
        decoded.text = QString::fromLatin1(view);
        decoded.form.latin1 = true;
    }
    const std::size_t lineEnd = bytes.find('\n');
    decoded.form.crlf = lineEnd != std::string_view::npos && lineEnd > 0 && bytes[lineEnd - 1] == '\r';
    decoded.nonText = bytes.find('\x01') != std::string_view::npos;
    return decoded;
}

std::optional<QByteArray> EncodeFileText(const QString& rawText, const TextForm& form)
{
    QString text = rawText;
    if (form.crlf) {
        text.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
        text.replace(QChar::LineSeparator, QLatin1String("\r\n"));
    } else {
        text.replace(QChar::ParagraphSeparator, u'\n');
        text.replace(QChar::LineSeparator, u'\n');
    }
    if (!form.latin1)
        return text.toUtf8();
    for (const QChar c : text) {
        if (c.unicode() > 0xFF)
            return std::nullopt;
    }
    return text.toLatin1();
}

} // namespace bivora
