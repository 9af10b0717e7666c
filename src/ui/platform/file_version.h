#pragma once

#include <string>
#include <string_view>

namespace bivora {

// The program's version text as the About box shows it: the build's version with
// every ", " read as ".", or "[unknown]" when the build set none.
std::string GetFileVersionString();

// The same rule for a given build version text.
std::string FileVersionText(std::string_view buildVersion);

} // namespace bivora
