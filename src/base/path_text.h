#pragma once

#include <string>
#include <string_view>

namespace bivora {

// a, then "/" unless a already ends with "/", then b.
std::string PathJoin(std::string_view a, std::string_view b);
// The text after the last "/" (the whole text when there is none).
std::string_view LastComponent(std::string_view path);
// The text up to and including the last "/" (empty when there is none).
std::string_view ParentPart(std::string_view path);

} // namespace bivora
