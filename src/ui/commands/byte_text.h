#pragma once

#include <QString>

#include <string_view>

namespace bivora {

// Names and paths are bytes; this is their text for display only. Keep the bytes
// beside it: the conversion replaces what is not UTF-8.
inline QString FromBytes(std::string_view bytes)
{
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace bivora
