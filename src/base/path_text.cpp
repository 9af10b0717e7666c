#include "base/path_text.h"

namespace bivora {

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
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view ParentPart(std::string_view path)
{
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

} // namespace bivora
