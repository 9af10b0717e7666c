#pragma once

#include "base/find_settings.h"
#include "base/grep_settings.h"
#include "base/history_list.h"

#include <QString>

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace bivora {

class CommandRouter;
class DesktopAppDatabase;
class IconCache;
class JobRegistry;
class KeyboardState;
class Launcher;
class PaneView;
class Prompts;
class SettingsStore;
class ShellNamespace;
class StatusService;
struct GeneralSettings;

// The two panes as the application holds them. OtherPane gives the other of the two;
// TargetPane gives the pane itself, or the other one while Alt is held, and remembers
// its answer as the command-target pane; SetActivePane makes a pane the active one.
class PanePair {
public:
    virtual ~PanePair() = default;
    virtual PaneView* OtherPane(const PaneView* pane) const = 0;
    virtual PaneView* TargetPane(PaneView* pane) = 0;
    virtual PaneView* ActivePane() const = 0;
    virtual void SetActivePane(PaneView* pane) = 0;
};

// The process-wide state the panes share: the six bookmarks and the visual filter
// history (loaded and saved by the left pane), and the folder last visited on each
// drive, keyed by the drive's mount path.
struct PaneSharedState {
    std::array<std::string, 6> bookmarks;
    HistoryList visualFilterHistory;
    std::map<std::string, std::string> driveFolders;
    // Mirror browsing (the other pane repeats each move) and synchronized scrolling:
    // off at start, not stored.
    bool mirrorBrowsing = false;
    bool syncScrolling = false;
    // "Target Folder History": loaded when the Select destination folder dialog is
    // first made; the hook is then told once, so that it is saved at exit.
    HistoryList targetFolderHistory;
    bool targetFolderHistoryLoaded = false;
    std::function<void()> targetFolderHistoryLoadedHook;
    // Batch generation: "Batch Template History", loaded on first use (the hook is then
    // told, so that it is saved at exit); the script's file name ("Untitled" until a
    // Save As) and the temporary script, chosen on the first Execute of the run.
    HistoryList batchTemplateHistory;
    bool batchTemplateHistoryLoaded = false;
    std::function<void()> batchTemplateHistoryLoadedHook;
    std::string batchFileName = "Untitled";
    std::string batchTemporaryPath;
    // The options and histories of text searches, shared with Find files and the
    // editor's Find (the application hands them this one).
    GrepSettings grep;
    // The find-files dialog's values and "FindFile LookIn History": loaded when the
    // dialog is first made (the hook is then told, so that they are saved at exit).
    FindFileSettings findFile;
    // Selection by rule, for the run of the program: "Selection Pattern History" (first
    // entry: the pattern last used; loaded by the first pane, saved by the left one), the
    // "Within current selection only" flag (not stored), the names the selection
    // clipboard holds, and the last visual filter other than "*" that a pane used
    // (empty: none yet).
    HistoryList selectionPatternHistory;
    bool selectionPatternHistoryLoaded = false;
    bool selectWithinSelection = false;
    std::vector<std::string> selectionClipboard;
    std::string lastVisualFilter;
};

// What a pane is given by the application; every reference outlives the pane.
struct PaneContext {
    SettingsStore& store;
    GeneralSettings& general;
    ShellNamespace& ns;
    IconCache& icons;
    StatusService& status;
    Prompts& prompts;
    KeyboardState& keyboard;
    Launcher& launcher;
    PaneSharedState& shared;
    // The application's workers: every read of the pane runs as one of its jobs.
    JobRegistry& jobs;
    // Where commands of the pane's keys, caption and menus are sent, so that the
    // whole chain (and the enabling) applies. Without one the pane runs its own.
    CommandRouter* router = nullptr;
    PanePair* pair = nullptr;
    // Sets the main window's caption ("Bivora - <folder title>").
    std::function<void(const QString&)> setMainCaption = {};
    // Focus the address box or the folder tree; false when it is not shown.
    std::function<bool()> focusAddressBox = {};
    std::function<bool()> focusFolderTree = {};
    // The applications for the items' context menu; without it the pane's own menu is shown.
    const DesktopAppDatabase* apps = nullptr;
    // Shows the Properties dialog for the selected paths; false (or unset) when it cannot be shown.
    std::function<bool(QWidget* parent, const std::vector<std::string>& paths)> showProperties = {};
    // The start folder given on the command line for this pane.
    std::optional<std::string> commandLineFolder = {};
    // Reads the statistics of a folder's sub-tree and shows them (the Folder data command).
    std::function<void(QWidget* parent, const std::string& folder)> showFolderData = {};
    // Asks for the criteria of a search in the folder and opens a results window (Find files).
    std::function<void(QWidget* parent, const std::string& folder)> findFiles = {};
    // Opens a file in the program's own viewer (readOnly) or editor; false when no
    // window could be made. Without it View and Edit use the desktop's application.
    std::function<bool(const std::string& path, bool readOnly)> openInternalEditor = {};
};

} // namespace bivora
