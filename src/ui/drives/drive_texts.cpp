#include "ui/drives/drive_texts.h"

namespace bivora {

std::string DriveGoText(const Drive& drive, bool root)
{
    if (drive.letter == 0)
        return drive.mountPath;
    std::string text(1, drive.letter);
    text += root ? ":/" : ":";
    return text;
}

std::string DriveEntryText(std::string_view displayName)
{
    const bool lettered = displayName.size() >= 5 && displayName.substr(displayName.size() - 5, 2) == " ("
                          && displayName.substr(displayName.size() - 2) == ":)";
    if (!lettered)
        return std::string(displayName);
    std::string text(displayName.substr(displayName.size() - 3));
    std::string_view name = displayName.substr(0, displayName.size() - 4);
    while (!name.empty() && name.back() == ' ')
        name.remove_suffix(1);
    if (!name.empty()) {
        text += ' ';
        text += name;
    }
    return text;
}

std::optional<std::size_t> DriveIndexOfPath(const std::vector<Drive>& drives, std::string_view path)
{
    std::optional<std::size_t> best;
    if (path.empty() || path.front() != '/')
        return best;
    for (std::size_t i = 0; i < drives.size(); ++i) {
        const std::string& mount = drives[i].mountPath;
        const bool holds = mount == "/" || path == mount
                           || (path.size() > mount.size() && path.substr(0, mount.size()) == mount
                               && path[mount.size()] == '/');
        if (holds && (!best || mount.size() > drives[*best].mountPath.size()))
            best = i;
    }
    return best;
}

} // namespace bivora
