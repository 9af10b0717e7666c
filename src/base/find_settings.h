#pragma once

#include "base/history_list.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace bivora {

class SettingsStore;

// A calendar day as the user typed it, in local time.
struct CivilDate {
    int year = 0;
    int month = 0; // 1..12
    int day = 0;   // 1..31

    bool operator==(const CivilDate&) const = default;
    auto operator<=>(const CivilDate&) const = default;
};

// The process-wide state of the find-files dialog: the six stored values of "Find
// File/Folder Settings", the "FindFile LookIn History" and the two dates the user
// entered last (kept for the run, never stored). Read once, the first time the dialog
// is made; written at exit only when it was read.
struct FindFileSettings {
    bool recursive = true;
    std::uint32_t dateHowManyBack = 1;
    int prevDateUnits = 0; // 0 hours, 1 days, 2 months (of 30 days)
    std::uint32_t kByteSize = 10;
    bool sizeAtMost = false;     // false: at least
    bool datePrevious = false;   // false: Between
    HistoryList lookInHistory;
    std::optional<CivilDate> fromDate;
    std::optional<CivilDate> untilDate; // today when first loaded
    bool loaded = false;
    // Told once, after the first load: the owner then saves the state at exit.
    std::function<void()> loadedHook;

    // Loads the state unless it has been loaded; today becomes the Until date.
    void EnsureLoaded(int historyItems, const SettingsStore& store, CivilDate today);
    void Load(int historyItems, const SettingsStore& store);
    void Save(int historyItems, SettingsStore& store) const;
};

} // namespace bivora
