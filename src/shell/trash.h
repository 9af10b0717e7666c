#pragma once

#include <string>

namespace bivora {

struct Environment;

// What putting one item in the trash came to.
struct TrashOutcome {
    enum class Kind {
        Trashed,  // the item now lies in a trash; trashPath names it there
        NoTrash,  // no trash can take it (none on its drive, none creatable): nothing changed
        Failed,   // a trash was found but the move failed (error): nothing changed
    };
    Kind kind = Kind::Failed;
    int error = 0;
    std::string trashPath;
};

// Moves the item at path (absolute, bytes) into the freedesktop trash: the home trash
// ($XDG_DATA_HOME/Trash) when the item lies on the home trash's drive, otherwise
// $topdir/.Trash/$uid (when .Trash is a sticky folder, not a link) or $topdir/.Trash-$uid
// on the item's own drive. Writes files/<name> and info/<name>.trashinfo (the original
// path percent-encoded, the deletion date), choosing a unique name on collision. Never
// copies: the item is renamed within its drive, so it cannot be half-trashed.
TrashOutcome PutInTrash(const std::string& path, const Environment& env);

} // namespace bivora
