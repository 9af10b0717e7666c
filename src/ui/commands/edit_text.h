#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace bivora {

// Bytes as the text of an edit field, and back, without loss: valid UTF-8 reads as
// its characters, and every byte that is not part of valid UTF-8 becomes one lone
// surrogate (U+DC80 to U+DCFF) that EditTextToBytes turns back into that byte. A
// path that is not UTF-8 thus survives being shown, edited around and executed.
QString BytesToEditText(std::string_view bytes);
// The bytes of an edit text: characters as UTF-8, escaped bytes as themselves, and
// any other lone surrogate as U+FFFD.
std::string EditTextToBytes(const QString& text);

} // namespace bivora
