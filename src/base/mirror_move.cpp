#include "base/mirror_move.h"

#include "base/path_text.h"

#include <cstddef>

namespace bivora {

namespace {

MirrorMove SwitchOff()
{
    return {MirrorMove::Kind::SwitchOff, 0, {}};
}

} // namespace

MirrorMove MirrorMoveFor(std::string_view oldPath, std::string_view newPath,
                         std::optional<std::string_view> otherPath)
{
    if (oldPath == newPath)
        return {};
    if (!otherPath)
        return SwitchOff();

    std::size_t pos = 0;
    while (pos < oldPath.size() && pos < newPath.size() && oldPath[pos] == newPath[pos])
        ++pos;
    if (pos == 0)
        return SwitchOff();

    const bool oldSlashAtPos = pos < oldPath.size() && oldPath[pos] == '/';
    const bool newEndsAtPos = newPath.size() == pos;
    // cut: just after the last "/" both paths share; the root's "/" counts
    std::size_t cut = 0;
    if (oldSlashAtPos && newEndsAtPos) {
        cut = pos + 1;
    } else {
        const std::size_t slash = oldPath.rfind('/', pos - 1);
        if (slash == std::string_view::npos)
            return SwitchOff();
        cut = slash + 1;
    }

    if (newEndsAtPos && (oldSlashAtPos || cut == pos)) {
        std::size_t levels = 1;
        for (std::size_t i = cut; i + 1 < oldPath.size(); ++i) {
            if (oldPath[i] == '/')
                ++levels;
        }
        return {MirrorMove::Kind::Up, levels, {}};
    }

    if (oldPath.size() == pos && pos < newPath.size() && newPath[pos] == '/')
        cut = pos + 1; // straight down from the old folder
    const std::string_view tail = newPath.substr(cut);
    // what this pane left behind after the shared folder (-1 when it went straight down)
    const std::ptrdiff_t k = static_cast<std::ptrdiff_t>(oldPath.size()) - static_cast<std::ptrdiff_t>(cut);
    if (k >= static_cast<std::ptrdiff_t>(otherPath->size()))
        return SwitchOff();
    std::string_view base = *otherPath;
    if (k > 0) {
        base.remove_suffix(static_cast<std::size_t>(k));
        // only whole names come off: /backup/xproj1 cut by "proj1" is no folder to build on
        if (base.back() != '/')
            return SwitchOff();
    }
    return {MirrorMove::Kind::Go, 0, PathJoin(base, tail)};
}

} // namespace bivora
