#include "base/general_settings.h"

#include "base/registry_keys.h"
#include "base/settings_store.h"

namespace bivora {

namespace {

namespace value = registry::value;
constexpr std::string_view kSection = registry::section::kGeneralSettings;

bool ReadBool(const SettingsStore& store, std::string_view name, bool fallback, std::string_view section = kSection)
{
    if (auto number = store.ReadInt(section, name))
        return *number != 0;
    return fallback;
}

std::int32_t ReadInRange(const SettingsStore& store, std::string_view name, std::int32_t low, std::int32_t high,
                         std::int32_t fallback)
{
    const auto number = store.ReadInt(kSection, name);
    if (!number || *number < low || *number > high)
        return fallback;
    return *number;
}

void WriteBool(SettingsStore& store, std::string_view name, bool on)
{
    store.WriteInt(kSection, name, on ? 1 : 0);
}

} // namespace

GeneralSettings LoadGeneralSettings(const SettingsStore& store)
{
    const GeneralSettings defaults;
    GeneralSettings settings;
    settings.saveSettings = ReadBool(store, value::kSaveSettings, defaults.saveSettings);
    settings.fileDateUzed = ReadInRange(store, value::kFileDateUzed, 0, 2, defaults.fileDateUzed);
    settings.showHiddenFiles = ReadBool(store, value::kShowHiddenFiles, defaults.showHiddenFiles);
    settings.historyItems =
        ReadInRange(store, value::kHistoryItems, kMinHistoryItems, kMaxHistoryItems, defaults.historyItems);
    settings.uzeExternalEditor = ReadBool(store, value::kUzeExternalEditor, defaults.uzeExternalEditor);
    settings.externalEditorName = store.GetString(kSection, value::kExternalEditorName);
    if (settings.externalEditorName.empty())
        settings.uzeExternalEditor = false;
    settings.drivebarLetters = ReadBool(store, value::kDrivebarLetters, defaults.drivebarLetters);
    settings.autoReSort = ReadBool(store, value::kAutoReSort, defaults.autoReSort);
    settings.flatToolbars = ReadBool(store, value::kFlatToolbars, defaults.flatToolbars);
    settings.askConfirmation = ReadBool(store, value::kAskConfirmation, defaults.askConfirmation);
    settings.selectAddOnTop = ReadBool(store, value::kSelectAddOnTop, defaults.selectAddOnTop);
    settings.selectIncFolders = ReadBool(store, value::kSelectIncFolders, defaults.selectIncFolders);
    settings.driveBar2Root =
        ReadBool(store, value::kDriveBar2Root, defaults.driveBar2Root, registry::section::kMainFrameSettings);
    return settings;
}

bool SaveGeneralSettings(SettingsStore& store, const GeneralSettings& settings)
{
    WriteBool(store, value::kSaveSettings, settings.saveSettings);
    if (!settings.saveSettings)
        return false;
    WriteBool(store, value::kShowHiddenFiles, settings.showHiddenFiles);
    store.WriteInt(kSection, value::kHistoryItems, settings.historyItems);
    store.WriteInt(kSection, value::kFileDateUzed, settings.fileDateUzed);
    WriteBool(store, value::kAskConfirmation, settings.askConfirmation);
    WriteBool(store, value::kSelectAddOnTop, settings.selectAddOnTop);
    WriteBool(store, value::kSelectIncFolders, settings.selectIncFolders);
    WriteBool(store, value::kUzeExternalEditor, settings.uzeExternalEditor);
    store.WriteString(kSection, value::kExternalEditorName, settings.externalEditorName);
    WriteBool(store, value::kDrivebarLetters, settings.drivebarLetters);
    WriteBool(store, value::kAutoReSort, settings.autoReSort);
    WriteBool(store, value::kFlatToolbars, settings.flatToolbars);
    return true;
}

} // namespace bivora
