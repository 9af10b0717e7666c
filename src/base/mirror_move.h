#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace bivora {

// What the other pane does when mirror browsing is on and a pane moved between
// file-system folders.
struct MirrorMove {
    enum class Kind {
        Stay,      // the pane stayed in the same folder: nothing to repeat
        Up,        // the other pane climbs levels folders (its list's ParentId(levels))
        Go,        // the other pane goes to path (parse it; a failed parse switches off)
        SwitchOff, // the move cannot be repeated: mirror browsing turns itself off
    };
    Kind kind = Kind::Stay;
    std::size_t levels = 0;
    std::string path;
};

// The other pane's share of a move from oldPath to newPath (canonical folder paths).
// otherPath is the other pane's folder, nullopt when it is not a file-system folder.
// The paths are compared byte for byte. The changed part of the move (the new path
// from the last folder the two paths share) replaces as many characters at the end of
// the other pane's path as the old path had after that folder, so the other pane
// moves from /backup/proj1 to /backup/proj2 when this one goes from /src/proj1 to
// /src/proj2; a move up climbs as many levels as this pane did.
MirrorMove MirrorMoveFor(std::string_view oldPath, std::string_view newPath,
                         std::optional<std::string_view> otherPath);

} // namespace bivora
