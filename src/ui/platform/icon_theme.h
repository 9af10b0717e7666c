#pragma once

#include <QString>

#include <string>
#include <vector>

namespace bivora {

// Full icon themes common on Linux desktops, in the order a fallback takes them.
std::vector<std::string> CommonIconThemes();

// When the desktop names no full icon theme (none, only "hicolor", or one that is
// not installed), makes the first installed of the candidates Qt's icon theme, so
// that MIME-type icons show on a bare X session as well. Returns the theme in use
// afterwards. It looks at the file system: once, at start-up.
QString ChooseIconTheme(const std::vector<std::string>& candidates = CommonIconThemes());

} // namespace bivora
