// Placeholder until the trash lands: no trash takes anything yet.
#include "shell/trash.h"

#include <cerrno>

namespace bivora {

TrashOutcome PutInTrash(const std::string&, const Environment&)
{
    return {TrashOutcome::Kind::NoTrash, ENOSYS, {}};
}

} // namespace bivora
