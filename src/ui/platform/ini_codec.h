#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QVariant>

namespace bivora {

// A byte block value, kept apart from texts (which are QByteArray in the map).
struct IniBinary {
    QByteArray bytes;
    bool operator==(const IniBinary&) const = default;
};

// The text of the settings file, read into and written from a map whose keys are
// "section/name" with "%" and "/" of both parts escaped as %25 and %2F, each byte one
// Latin-1 character.
//
//   [Editor/Viewer Settings]        sections and names as they are, escapes below
//   nForeColor=255                  integers and texts: the text, bytes as they are
//   szFaceName=Courier\x20          \\ \n \r \t \0 and \xHH for what would not survive
//   InfoHeader=@Binary(00ff7e)      byte blocks in hexadecimal
//   szNote=@@at sign                a text starting with "@" doubles it
//   szQuote=\x22quoted"             a text starting with '"' escapes that quote
//   szInitialFolder="/home/x"       read as the text between the quotes (others write so)
//
// Lines starting with ";" or "#" are comments. A line the reader cannot make sense of
// is skipped; a value it cannot decode reads as missing. Nothing in the text can make
// the reader allocate more than the text's own size.
namespace ini {

using Map = QMap<QString, QVariant>;

Map Parse(const QByteArray& text);
QByteArray Format(const Map& values);

// The map key of a section and value name: the bytes of both, one character each.
QString Key(std::string_view section, std::string_view name);

// The length of the well-formed UTF-8 sequence of more than one byte at i, else 0.
qsizetype Utf8SequenceLength(const QByteArray& text, qsizetype i);

} // namespace ini

} // namespace bivora

Q_DECLARE_METATYPE(bivora::IniBinary)
