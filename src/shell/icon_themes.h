#pragma once

#include <optional>
#include <string>
#include <vector>

namespace bivora {

// An icon theme is installed when one of the search folders holds <name>/index.theme.
bool IconThemeInstalled(const std::vector<std::string>& searchDirs, const std::string& name);

// The first of the candidate themes, in the candidates' order, that is installed;
// nullopt when none is.
std::optional<std::string> FirstInstalledIconTheme(const std::vector<std::string>& searchDirs,
                                                   const std::vector<std::string>& candidates);

} // namespace bivora
