#pragma once

#include <string>

namespace bivora {

class PaneView;
struct ItemTransfer;

// Transfers an item set into a folder: data, or the clipboard when data is null;
// effect 0 takes the data's own effect, 4 makes links. Runs the file operation behind
// its progress dialog, then refreshes the panes that show the source or the target
// folder (arrivals selected in the target, copied names unselected in the source).
// With report, a transfer that did nothing gets the alert "This computer won't comply
// with your demands". True when something was done.
bool PasteIntoFolder(PaneView& pane, int effect, const ItemTransfer* data, const std::string& targetFolder,
                     bool report);

} // namespace bivora
