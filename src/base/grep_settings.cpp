#include "base/grep_settings.h"

#include "base/registry_keys.h"
#include "base/settings_store.h"

namespace bivora {

void GrepSettings::EnsureLoaded(int historyItems, const SettingsStore& store)
{
    if (loaded)
        return;
    Load(historyItems, store);
    if (loadedHook)
        loadedHook();
}

void GrepSettings::Load(int historyItems, const SettingsStore& store)
{
    using namespace registry;
    matchCase = store.GetInt(section::kGrepSettings, value::kMatchCase, 0) != 0;
    wordsOnly = store.GetInt(section::kGrepSettings, value::kWordsOnly, 0) != 0;
    searchBinFiles = store.GetInt(section::kGrepSettings, value::kSearchBinFiles, 0) != 0;
    findHistory.Load(historyItems, store, section::kGrepFindHistory);
    fileTypesHistory.Load(historyItems, store, section::kGrepFileTypesHistory);
    if (fileTypesHistory.Count() == 0)
        fileTypesHistory.Add(historyItems, "*.*");
    loaded = true;
}

void GrepSettings::Save(int historyItems, SettingsStore& store) const
{
    using namespace registry;
    store.WriteInt(section::kGrepSettings, value::kMatchCase, matchCase ? 1 : 0);
    store.WriteInt(section::kGrepSettings, value::kWordsOnly, wordsOnly ? 1 : 0);
    store.WriteInt(section::kGrepSettings, value::kSearchBinFiles, searchBinFiles ? 1 : 0);
    findHistory.Save(historyItems, store, section::kGrepFindHistory);
    fileTypesHistory.Save(historyItems, store, section::kGrepFileTypesHistory);
}

} // namespace bivora
