// Placeholder until the transfer lands: nothing is transferred.
#include "ui/pane/file_transfer.h"

namespace bivora {

bool PasteIntoFolder(PaneView&, int, const ItemTransfer*, const std::string&, bool)
{
    return false;
}

} // namespace bivora
