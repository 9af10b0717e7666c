#include "shell/executable.h"

#include "shell/item_info.h"
#include "shell/small_file.h"

#include <unistd.h>

namespace bivora {

bool IsExecutableFile(const std::string& path)
{
    const auto info = ReadItemInfo(path);
    if (!info || !info->isRegular || (info->mode & 0111) == 0)
        return false;
    if (::access(path.c_str(), X_OK) != 0)
        return false;
    const auto head = ReadFileHead(path, 4);
    return head && (*head == "\x7f" "ELF" || head->starts_with("#!"));
}

} // namespace bivora
