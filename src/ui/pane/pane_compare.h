#pragma once

namespace bivora {

class PaneView;
struct CommandState;

// Comparing the two panes, with the result as a selection: Synchronize Panes selects
// in each pane what the other lacks or holds older, Locate identical what both hold
// with the same size and time, and Sync on Content the files of the active pane whose
// bytes differ from their namesakes'. Items are paired by their exact names.
class PaneCompare {
public:
    // Runs kSynchronize, kLocateIdentical or kSyncOnContent for the pane the command
    // reached; false for any other id.
    static bool OnCommand(PaneView& pane, int id);
    static bool OnUpdateCommand(const PaneView& pane, int id, CommandState& state);
};

} // namespace bivora
