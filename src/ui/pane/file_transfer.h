#pragma once

#include "shell/file_operation.h"

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

// The last operation, as the refresh after it reads it.
struct PendingFileOp {
    std::string sourceFolder;      // the folder the items come from (Delete: the pane's folder)
    std::string destinationFolder; // empty for Delete and Trash
    int outcome = 0;               // 0 failed, 1 copied, 2 moved (also Delete: items left the source), 4 linked
};

// Runs the request behind the progress dialog with the watch refresh of the panes
// that show its source or destination held off, and refreshes them afterwards
// (RefreshAfterOperation). op names the folders; its outcome becomes outcome unless the
// operation could not run (0). The clipboard is left alone. The operation's result.
FileOpResult RunPaneFileOp(PaneView& pane, const FileOpRequest& request, PendingFileOp& op, int outcome);

// Refreshes the panes that show the operation's folders: the destination's first,
// selecting the arrivals (the last focused), then the source's; after a copy the
// source unselects the names that arrived. Nothing for the outcome 0.
void RefreshAfterOperation(PaneView& pane, const PendingFileOp& op);

} // namespace bivora
