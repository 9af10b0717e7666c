#pragma once

#include "ui/widgets/sort_param.h"

#include <cstdint>
#include <string_view>

namespace bivora {

class ShellItem;

// The pane's row order. key is a sort command id (32777 name, 32778 type, 32779 size,
// 32780 date); the top bit of param is the ascending flag. Folders (links not
// followed) come before files whatever the key; ties under any key but the name are
// broken by the name; descending negates the whole result, so folders end up last.
// dateKind chooses the time for the date key (0 modified, 1 created, 2 accessed);
// the more recent time sorts first.
int ComparePaneRows(const ShellItem& a, const ShellItem& b, std::uint32_t param, int dateKind);

// Names byte by byte as unsigned values with A-Z folded to lower case.
int CompareNames(std::string_view a, std::string_view b);
// The text after the first "." of a name ("" when there is none; a.tar.gz -> tar.gz).
std::string_view TypeOf(std::string_view name);
// Types compared without case, aware of the user's locale for text beyond ASCII.
int CompareTypes(std::string_view a, std::string_view b);

} // namespace bivora
