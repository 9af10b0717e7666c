#pragma once

#include "base/row_key.h"
#include "base/sort_param.h"

#include <cstdint>
#include <string_view>

namespace bivora {

// The pane's row order. The key of param is one of sort_key (name, type, size,
// date); its top bit is the ascending flag. Folders come before files whatever the
// key; ties under any key but the name are broken by the name; descending negates
// the whole result, so folders end up last. dateKind chooses the time for the date
// key; the more recent time sorts first.
int CompareRowKeys(const RowKey& a, const RowKey& b, std::uint32_t param, DateKind dateKind);

// Names byte by byte as unsigned values with A-Z folded to lower case.
int CompareNames(std::string_view a, std::string_view b);
// The text after the first "." of a name ("" when there is none; a.tar.gz -> tar.gz).
std::string_view TypeOf(std::string_view name);
// Types compared without case. Plain ASCII types compare as CompareNames does; a type
// beyond ASCII is read as UTF-8, lowered and collated by the C library's current
// locale (the user's, once the program has set it; code point order in the C locale).
int CompareTypes(std::string_view a, std::string_view b);

} // namespace bivora
