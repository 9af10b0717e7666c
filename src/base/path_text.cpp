#include "base/path_text.h"

namespace bivora {

namespace {

// The path without the slashes at its end; the root stays "/".
std::string_view WithoutTrailingSlashes(std::string_view path)
{
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    return path;
}

} // namespace

std::string PathJoin(std::string_view a, std::string_view b)
{
    std::string result;
    result.reserve(a.size() + b.size() + 1);
    result.append(a);
    if (result.empty() || result.back() != '/')
        result.push_back('/');
    result.append(b);
    return result;
}

std::string_view LastComponent(std::string_view path)
{
    path = WithoutTrailingSlashes(path);
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos || path.size() == 1)
        return path;
    return path.substr(slash + 1);
}

std::string_view ParentFolder(std::string_view path)
{
    path = WithoutTrailingSlashes(path);
    auto slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return {};
    // "a//b" lies in "a"
    while (slash > 0 && path[slash - 1] == '/')
        --slash;
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

} // namespace bivora
