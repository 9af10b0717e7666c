#pragma once

#include <functional>
#include <optional>
#include <string>

namespace bivora {

class PaneView;
class PatternList;
class SettingsStore;
struct CommandState;
struct PaneContext;

// Selecting rows by rule (Select All, Select group and Unselect group, Like this one,
// Invert, the selection clipboard) and the pane's visual filter (Use filter).
//
// Every command reads the rows once and changes the selection by one call with the
// rows merged into contiguous ranges, so that a folder of 100,000 rows is selected
// in one step, never row by row.
class PaneSelection {
public:
    // The selection and filter commands; false for any other id.
    static bool OnCommand(PaneView& pane, int id);
    static bool OnUpdateCommand(PaneView& pane, int id, CommandState& state);
    // The enabling rule of these commands; nullopt for other ids.
    static std::optional<bool> Enabled(const PaneView& pane, int id);

    // Makes list the pane's filter (its rows are not rebuilt here). A canonical text
    // that differs from the pane's (letters compared without case) enters "Visual
    // Filter History" and, unless "*", becomes the last filter.
    static void TakeFilter(PaneView& pane, PatternList&& list);

    // "Selection Pattern History": read once (an empty one gets "*.*"), written by the
    // left pane at exit.
    static void LoadPatternHistory(PaneContext& ctx);
    static void SavePatternHistory(const PaneContext& ctx);

    // Runs wait (a wait for a worker) with the pane busy; a refresh asked for meanwhile
    // follows. Gives wait's answer.
    static bool RunBusy(PaneView& pane, const std::function<bool()>& wait);
};

} // namespace bivora
