#pragma once

#include "base/history_list.h"

#include <functional>
#include <string_view>

namespace bivora {

class SettingsStore;

// The process-wide state of text searches, one owner for Containing text, Find files and
// the editor's Find: the three options of "Grep Settings" and the two histories. Read
// once, the first time one of them needs it; written at exit only when it was read.
struct GrepSettings {
    bool matchCase = false;
    bool wordsOnly = false;
    bool searchBinFiles = false;
    HistoryList findHistory;      // search strings
    HistoryList fileTypesHistory; // type patterns; "*.*" when it would load empty
    bool loaded = false;
    // Told once, after the first load: the owner then saves the state at exit.
    std::function<void()> loadedHook;

    // Loads the state unless it has been loaded.
    void EnsureLoaded(int historyItems, const SettingsStore& store);
    void Load(int historyItems, const SettingsStore& store);
    void Save(int historyItems, SettingsStore& store) const;
};

} // namespace bivora
