#pragma once

#include <string>
#include <string_view>

namespace bivora {

// The path arithmetic of byte paths, with no look at the file system. Slashes at the
// end of a path are ignored by the splitting functions: "/home/u/" is the folder u.

// a, then "/" unless a already ends with "/", then b.
std::string PathJoin(std::string_view a, std::string_view b);
// The last component: "/home/u/a.txt" -> "a.txt", "/home/u/" -> "u", "name" -> "name";
// the root "/" is itself.
std::string_view LastComponent(std::string_view path);
// The folder the last component lies in, with no slash at its end but for the root:
// "/home/u/a" -> "/home/u", "/a" -> "/", "/" -> "/"; "" when the path has no folder
// part ("name").
std::string_view ParentFolder(std::string_view path);

} // namespace bivora
