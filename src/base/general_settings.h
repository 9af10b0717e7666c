#pragma once

#include <cstdint>
#include <string>

namespace bivora {

class SettingsStore;

// The program-wide options of the "General Settings" section. The first nine
// members, in this order, are the block the options page edits and restores as a
// whole on Cancel.
struct GeneralSettings {
    bool saveSettings = true;         // save the program state at exit
    std::int32_t fileDateUzed = 0;    // Details view time: 0 modified, 1 created, 2 accessed
    bool showHiddenFiles = true;      // panes list hidden items
    std::int32_t historyItems = 15;   // most entries of every history list, 2..50
    bool uzeExternalEditor = false;   // View and Edit use the external editor
    std::string externalEditorName;   // program file of the external editor
    bool drivebarLetters = false;     // drive bar buttons show drive letters
    bool autoReSort = false;          // panes re-sort after copy, move and the like
    bool flatToolbars = false;        // flat tool bars with grippers
    bool askConfirmation = true;      // copy/move asks before overwriting
    bool selectAddOnTop = true;       // Select Items adds to the current selection
    bool selectIncFolders = false;    // Select Items applies to folders too
    // bDriveBar2Root of "MainFrame Settings", read here for the whole run: drive
    // buttons and Ctrl+Shift+letter go to the drive's root folder (on) or to its
    // remembered folder (off). The main frame toggles it and writes it at close.
    bool driveBar2Root = true;

    bool operator==(const GeneralSettings&) const = default;
};

inline constexpr std::int32_t kMinHistoryItems = 2;
inline constexpr std::int32_t kMaxHistoryItems = 50;

// Reads the twelve values and bDriveBar2Root; a missing, unreadable or out-of-range value reads as its
// default, and the external editor is off while its name is empty.
GeneralSettings LoadGeneralSettings(const SettingsStore& store);

// Writes bSaveSettings and, only when it is on, the other eleven values (the order
// of the exit save); bDriveBar2Root is the main frame's to write. Returns whether the rest of the program state is to be saved.
bool SaveGeneralSettings(SettingsStore& store, const GeneralSettings& settings);

} // namespace bivora
