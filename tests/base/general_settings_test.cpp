#include "base/general_settings.h"
#include "base/registry_keys.h"
#include "base/settings_store.h"

#include <gtest/gtest.h>

namespace bivora {
namespace {

constexpr std::string_view kSection = registry::section::kGeneralSettings;
namespace value = registry::value;

TEST(LoadGeneralSettings, EmptyStoreGivesDefaults)
{
    MemorySettingsStore store;
    const GeneralSettings settings = LoadGeneralSettings(store);
    EXPECT_TRUE(settings.saveSettings);
    EXPECT_EQ(settings.fileDateUzed, 0);
    EXPECT_TRUE(settings.showHiddenFiles);
    EXPECT_EQ(settings.historyItems, 15);
    EXPECT_FALSE(settings.uzeExternalEditor);
    EXPECT_EQ(settings.externalEditorName, "");
    EXPECT_FALSE(settings.drivebarLetters);
    EXPECT_FALSE(settings.autoReSort);
    EXPECT_FALSE(settings.flatToolbars);
    EXPECT_TRUE(settings.askConfirmation);
    EXPECT_TRUE(settings.selectAddOnTop);
    EXPECT_FALSE(settings.selectIncFolders);
    EXPECT_TRUE(settings.driveBar2Root) << "a fresh profile's drive keys go to the root";
    EXPECT_TRUE(store.Writes().empty()) << "loading writes nothing back";
}

TEST(LoadGeneralSettings, DriveBarToRootComesFromTheMainFrameSection)
{
    MemorySettingsStore store;
    store.WriteInt(kSection, value::kDriveBar2Root, 1);
    store.WriteInt(registry::section::kMainFrameSettings, value::kDriveBar2Root, 0);
    EXPECT_FALSE(LoadGeneralSettings(store).driveBar2Root);
}

TEST(LoadGeneralSettings, RangesKeepTheirEdgesAndRejectTheRest)
{
    struct Row {
        const char* label;
        std::string_view name;
        std::int32_t stored;
        std::int32_t expected;
    };
    const Row rows[] = {
        {"history below range", value::kHistoryItems, 1, 15},
        {"history lowest", value::kHistoryItems, 2, 2},
        {"history highest", value::kHistoryItems, 50, 50},
        {"history above range", value::kHistoryItems, 51, 15},
        {"history huge negative", value::kHistoryItems, -2147483647 - 1, 15},
        {"date kind 2", value::kFileDateUzed, 2, 2},
        {"date kind 3", value::kFileDateUzed, 3, 0},
        {"date kind -1", value::kFileDateUzed, -1, 0},
    };
    for (const Row& row : rows) {
        MemorySettingsStore store;
        store.WriteInt(kSection, row.name, row.stored);
        const GeneralSettings settings = LoadGeneralSettings(store);
        const std::int32_t read = row.name == value::kHistoryItems ? settings.historyItems : settings.fileDateUzed;
        EXPECT_EQ(read, row.expected) << row.label;
    }
}

TEST(LoadGeneralSettings, GarbageReadsAsDefaultAndBooleansAreNonZero)
{
    MemorySettingsStore store;
    store.WriteString(kSection, value::kHistoryItems, "twenty");
    store.WriteString(kSection, value::kFileDateUzed, "99999999999999999999");
    store.WriteString(kSection, value::kSaveSettings, "yes");
    store.WriteBinary(kSection, value::kShowHiddenFiles, {0, 0, 0, 0});
    store.WriteInt(kSection, value::kAskConfirmation, 0);
    store.WriteInt(kSection, value::kFlatToolbars, -5);
    store.WriteString(kSection, value::kAutoReSort, " 7 ");
    store.WriteBinary(kSection, value::kExternalEditorName, {0xff});
    const GeneralSettings settings = LoadGeneralSettings(store);
    EXPECT_EQ(settings.historyItems, 15);
    EXPECT_EQ(settings.fileDateUzed, 0);
    EXPECT_TRUE(settings.saveSettings);
    EXPECT_TRUE(settings.showHiddenFiles);
    EXPECT_FALSE(settings.askConfirmation);
    EXPECT_TRUE(settings.flatToolbars);
    EXPECT_TRUE(settings.autoReSort);
    EXPECT_EQ(settings.externalEditorName, "");
}

TEST(LoadGeneralSettings, ExternalEditorNeedsAName)
{
    MemorySettingsStore store;
    store.WriteInt(kSection, value::kUzeExternalEditor, 1);
    EXPECT_FALSE(LoadGeneralSettings(store).uzeExternalEditor);
    store.WriteString(kSection, value::kExternalEditorName, "");
    EXPECT_FALSE(LoadGeneralSettings(store).uzeExternalEditor);
    store.WriteString(kSection, value::kExternalEditorName, "/usr/bin/kate");
    const GeneralSettings settings = LoadGeneralSettings(store);
    EXPECT_TRUE(settings.uzeExternalEditor);
    EXPECT_EQ(settings.externalEditorName, "/usr/bin/kate");
}

TEST(SaveGeneralSettings, WritesElevenValuesAfterTheSwitchInExitOrder)
{
    MemorySettingsStore store;
    GeneralSettings settings;
    settings.historyItems = 33;
    settings.fileDateUzed = 2;
    settings.externalEditorName = "vi";
    settings.uzeExternalEditor = true;
    settings.showHiddenFiles = false;
    EXPECT_TRUE(SaveGeneralSettings(store, settings));

    const std::string_view order[] = {
        value::kSaveSettings,     value::kShowHiddenFiles,    value::kHistoryItems,    value::kFileDateUzed,
        value::kAskConfirmation,  value::kSelectAddOnTop,     value::kSelectIncFolders, value::kUzeExternalEditor,
        value::kExternalEditorName, value::kDrivebarLetters, value::kAutoReSort,       value::kFlatToolbars,
    };
    ASSERT_EQ(store.Writes().size(), std::size(order));
    for (std::size_t i = 0; i < std::size(order); ++i) {
        EXPECT_EQ(store.Writes()[i].section, kSection);
        EXPECT_EQ(store.Writes()[i].name, order[i]) << i;
    }
    EXPECT_EQ(LoadGeneralSettings(store), settings) << "what is saved reads back the same";
}

TEST(SaveGeneralSettings, OffWritesOnlyTheSwitch)
{
    MemorySettingsStore store;
    store.WriteInt(kSection, value::kHistoryItems, 40);
    store.ClearWriteLog();
    GeneralSettings settings;
    settings.saveSettings = false;
    settings.historyItems = 3;
    EXPECT_FALSE(SaveGeneralSettings(store, settings));
    ASSERT_EQ(store.Writes().size(), 1u);
    EXPECT_EQ(store.Writes()[0].name, value::kSaveSettings);
    EXPECT_EQ(store.ReadInt(kSection, value::kSaveSettings), 0);
    EXPECT_EQ(store.ReadInt(kSection, value::kHistoryItems), 40);
}

} // namespace
} // namespace bivora
