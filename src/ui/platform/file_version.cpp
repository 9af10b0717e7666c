#include "ui/platform/file_version.h"

namespace bivora {

std::string FileVersionText(std::string_view buildVersion)
{
    if (buildVersion.empty())
        return "[unknown]";
    std::string text;
    for (std::size_t i = 0; i < buildVersion.size(); ++i) {
        if (buildVersion.compare(i, 2, ", ") == 0) {
            text += '.';
            ++i;
        } else {
            text += buildVersion[i];
        }
    }
    return text;
}

std::string GetFileVersionString()
{
#ifdef BIVORA_VERSION_TEXT
    return FileVersionText(BIVORA_VERSION_TEXT);
#else
    return FileVersionText({});
#endif
}

} // namespace bivora
