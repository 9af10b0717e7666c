#include "base/find_settings.h"

#include "base/registry_keys.h"
#include "base/settings_store.h"

namespace bivora {

void FindFileSettings::EnsureLoaded(int historyItems, const SettingsStore& store, CivilDate today)
{
    if (loaded)
        return;
    Load(historyItems, store);
    untilDate = today;
    if (loadedHook)
        loadedHook();
}

void FindFileSettings::Load(int historyItems, const SettingsStore& store)
{
    using namespace registry;
    const auto section = section::kFindFileFolderSettings;
    recursive = store.GetInt(section, value::kRecursiveFind, 1) != 0;
    // the counts are unsigned in the store's 32 bits
    dateHowManyBack = static_cast<std::uint32_t>(store.GetInt(section, value::kDateHowManyBack, 1));
    const int units = store.GetInt(section, value::kPrevDateUnits, 0);
    prevDateUnits = units >= 0 && units <= 2 ? units : 0;
    kByteSize = static_cast<std::uint32_t>(store.GetInt(section, value::kKByteSize, 10));
    sizeAtMost = store.GetInt(section, value::kSizeConstraint, 0) != 0;
    datePrevious = store.GetInt(section, value::kDateMethod, 0) != 0;
    lookInHistory.Load(historyItems, store, section::kFindFileLookInHistory);
    loaded = true;
}

void FindFileSettings::Save(int historyItems, SettingsStore& store) const
{
    using namespace registry;
    const auto section = section::kFindFileFolderSettings;
    store.WriteInt(section, value::kRecursiveFind, recursive ? 1 : 0);
    store.WriteInt(section, value::kDateHowManyBack, static_cast<std::int32_t>(dateHowManyBack));
    store.WriteInt(section, value::kPrevDateUnits, prevDateUnits);
    store.WriteInt(section, value::kKByteSize, static_cast<std::int32_t>(kByteSize));
    store.WriteInt(section, value::kSizeConstraint, sizeAtMost ? 1 : 0);
    store.WriteInt(section, value::kDateMethod, datePrevious ? 1 : 0);
    lookInHistory.Save(historyItems, store, section::kFindFileLookInHistory);
}

} // namespace bivora
