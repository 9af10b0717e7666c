#include "shell/icon_themes.h"

#include <unistd.h>

namespace bivora {

bool IconThemeInstalled(const std::vector<std::string>& searchDirs, const std::string& name)
{
    // a name with a slash would reach outside the search folders
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
        return false;
    for (const std::string& dir : searchDirs) {
        if (dir.empty())
            continue;
        std::string index = dir;
        if (index.back() != '/')
            index += '/';
        index += name + "/index.theme";
        if (::access(index.c_str(), R_OK) == 0)
            return true;
    }
    return false;
}

std::optional<std::string> FirstInstalledIconTheme(const std::vector<std::string>& searchDirs,
                                                   const std::vector<std::string>& candidates)
{
    for (const std::string& name : candidates) {
        if (IconThemeInstalled(searchDirs, name))
            return name;
    }
    return std::nullopt;
}

} // namespace bivora
