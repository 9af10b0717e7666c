#include "ui/platform/ini_codec.h"

#include "base/hex_digit.h"

#include <string>

namespace bivora::ini {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

unsigned char Byte(const QByteArray& text, qsizetype i) { return static_cast<unsigned char>(text[i]); }

} // namespace

qsizetype Utf8SequenceLength(const QByteArray& text, qsizetype i)
{
    const unsigned char lead = Byte(text, i);
    qsizetype length = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // no overlong forms
        if (lead == 0xED)
            high = 0x9F; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (qsizetype k = 1; k < length; ++k) {
        const unsigned char c = Byte(text, i + k);
        if (k == 1 ? (c < low || c > high) : (c < 0x80 || c > 0xBF))
            return 0;
    }
    return length;
}

namespace {

void AppendHexEscape(QByteArray& out, unsigned char c)
{
    out += "\\x";
    out += kHexDigits[c >> 4];
    out += kHexDigits[c & 0x0F];
}

// Escapes what a line could not hold or the reader would trim; names also escape the
// characters that end a section header or a name, or start a comment.
QByteArray Escape(const QByteArray& text, bool isName)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const unsigned char c = Byte(text, i);
        const bool atEdge = i == 0 || i == text.size() - 1;
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == 0) {
            out += "\\0";
        } else if (c < 0x20 || c == 0x7F || (c == ' ' && atEdge) ||
                   (isName && (c == '=' || c == '[' || c == ']' || c == ';' || c == '#'))) {
            AppendHexEscape(out, c);
        } else if (c >= 0x80) {
            const qsizetype length = Utf8SequenceLength(text, i);
            if (length == 0) {
                AppendHexEscape(out, c);
            } else {
                out += text.mid(i, length);
                i += length - 1;
            }
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

QByteArray Unescape(const QByteArray& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\' || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const char next = text[i + 1];
        switch (next) {
        case '\\': out += '\\'; ++i; continue;
        case 'n': out += '\n'; ++i; continue;
        case 'r': out += '\r'; ++i; continue;
        case 't': out += '\t'; ++i; continue;
        case '0': out += '\0'; ++i; continue;
        case '"': out += '"'; ++i; continue;
        case 'x':
            if (i + 3 < text.size() && HexDigitValue(text[i + 2]) >= 0 && HexDigitValue(text[i + 3]) >= 0) {
                out += static_cast<char>(HexDigitValue(text[i + 2]) * 16 + HexDigitValue(text[i + 3]));
                i += 3;
                continue;
            }
            break;
        default:
            break;
        }
        out += c; // an escape the writer never makes stays as written
    }
    return out;
}

QByteArray EscapeKeyPart(const QByteArray& part)
{
    QByteArray out;
    out.reserve(part.size());
    for (char c : part) {
        if (c == '%')
            out += "%25";
        else if (c == '/')
            out += "%2F";
        else
            out += c;
    }
    return out;
}

QByteArray UnescapeKeyPart(const QByteArray& part)
{
    QByteArray out;
    out.reserve(part.size());
    for (qsizetype i = 0; i < part.size(); ++i) {
        if (part[i] == '%' && i + 2 < part.size() && part[i + 1] == '2' && (part[i + 2] == '5' || part[i + 2] == 'F')) {
            out += part[i + 2] == '5' ? '%' : '/';
            i += 2;
        } else {
            out += part[i];
        }
    }
    return out;
}

// Latin-1 gives every byte a character of its own, so names that are not UTF-8 stay
// apart and come back byte for byte.
QString MapKey(const QByteArray& section, const QByteArray& name)
{
    return QString::fromLatin1(EscapeKeyPart(section) + '/' + EscapeKeyPart(name));
}

constexpr QByteArrayView kBinaryOpen = "@Binary(";

QVariant DecodeValue(const QByteArray& raw)
{
    // A value in double quotes, as other writers and people put them, is the text
    // between them.
    if (raw.size() >= 2 && raw.startsWith('"') && raw.endsWith('"'))
        return Unescape(raw.mid(1, raw.size() - 2));
    if (raw.startsWith(kBinaryOpen) && raw.endsWith(')')) {
        const QByteArray hex = raw.mid(kBinaryOpen.size(), raw.size() - kBinaryOpen.size() - 1);
        if (hex.size() % 2 != 0)
            return {};
        QByteArray bytes;
        bytes.reserve(hex.size() / 2);
        for (qsizetype i = 0; i < hex.size(); i += 2) {
            const int high = HexDigitValue(hex[i]);
            const int low = HexDigitValue(hex[i + 1]);
            if (high < 0 || low < 0)
                return {};
            bytes += static_cast<char>(high * 16 + low);
        }
        return QVariant::fromValue(IniBinary{bytes});
    }
    if (raw.startsWith("@@"))
        return Unescape(raw.mid(1));
    return Unescape(raw);
}

QByteArray EncodeValue(const QVariant& value, bool* ok)
{
    *ok = true;
    if (value.metaType() == QMetaType::fromType<IniBinary>())
        return QByteArray(kBinaryOpen.data(), kBinaryOpen.size()) + value.value<IniBinary>().bytes.toHex() + ')';
    QByteArray text;
    switch (value.typeId()) {
    case QMetaType::QByteArray:
        text = value.toByteArray();
        break;
    case QMetaType::QString:
        text = value.toString().toUtf8();
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return value.toString().toLatin1();
    default:
        *ok = false;
        return {};
    }
    QByteArray out = Escape(text, false);
    if (out.startsWith('@'))
        out.prepend('@');
    else if (out.startsWith('"'))
        out.replace(0, 1, "\\x22"); // a text that starts with a quote is no quoted value
    return out;
}

} // namespace

QString Key(std::string_view section, std::string_view name)
{
    return MapKey(QByteArray(section.data(), static_cast<qsizetype>(section.size())),
                  QByteArray(name.data(), static_cast<qsizetype>(name.size())));
}

Map Parse(const QByteArray& text)
{
    Map values;
    QByteArray section;
    bool inSection = false;
    for (const QByteArray& rawLine : text.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            const qsizetype close = line.lastIndexOf(']');
            inSection = close > 1;
            if (inSection)
                section = Unescape(line.mid(1, close - 1));
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inSection || equals <= 0)
            continue;
        const QByteArray name = Unescape(line.left(equals).trimmed());
        const QVariant value = DecodeValue(line.mid(equals + 1).trimmed());
        if (value.isValid())
            values.insert(MapKey(section, name), value);
    }
    return values;
}

QByteArray Format(const Map& values)
{
    QByteArray out;
    QByteArray currentSection;
    bool first = true;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const QByteArray key = it.key().toLatin1();
        const qsizetype slash = key.indexOf('/');
        if (slash <= 0)
            continue; // every value the store writes has a section
        bool ok = false;
        const QByteArray value = EncodeValue(it.value(), &ok);
        if (!ok)
            continue;
        const QByteArray section = UnescapeKeyPart(key.left(slash));
        if (first || section != currentSection) {
            if (!first)
                out += '\n';
            out += '[' + Escape(section, true) + "]\n";
            currentSection = section;
            first = false;
        }
        out += Escape(UnescapeKeyPart(key.mid(slash + 1)), true) + '=' + value + '\n';
    }
    return out;
}

} // namespace bivora::ini
