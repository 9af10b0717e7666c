#include "ui/find/find_files_dlg.h"

namespace bivora {

// Placeholder until the criteria dialog lands: no search is started.
std::optional<FindCriteria> AskFindCriteria(FindFilesDlgServices, const std::string&, QWidget*)
{
    return std::nullopt;
}

} // namespace bivora
