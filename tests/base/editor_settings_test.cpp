#include "base/editor_settings.h"
#include "base/registry_keys.h"
#include "base/settings_store.h"

#include <gtest/gtest.h>

namespace bivora {
namespace {

constexpr std::string_view kSection = registry::section::kEditorViewerSettings;

TEST(EditorSettings, StoredTabWidthIsTakenModulo32WithZeroAsThree)
{
    const struct {
        int stored;
        int width;
    } rows[] = {{1, 1}, {3, 3}, {31, 31}, {32, 3}, {0, 3}, {33, 1}, {-5, 3}};
    for (const auto& row : rows) {
        MemorySettingsStore store;
        store.WriteInt(kSection, registry::value::kTabWidth, row.stored);
        EditorSettings settings;
        LoadEditorSettings(settings, store, FontDescription{"Mono"});
        EXPECT_EQ(settings.tabWidth, row.width) << row.stored;
    }
}

TEST(EditorSettings, EmptyStoreGivesDefaultsAndWhatIsSavedReadsBack)
{
    MemorySettingsStore empty;
    EditorSettings settings;
    LoadEditorSettings(settings, empty, FontDescription{"Mono"});
    EXPECT_TRUE(settings.loaded);
    EXPECT_TRUE(settings.wordWrap);
    EXPECT_TRUE(settings.cyclicSearch);
    EXPECT_EQ(settings.foreColor, -1);
    EXPECT_EQ(settings.margins.left, 310);
    EXPECT_EQ(settings.font.faceName, "Mono");

    settings.searchBackwards = true;
    settings.wordWrap = false;
    settings.tabWidth = 8;
    settings.foreColor = 0x123456;
    settings.overrideReadOnlyColors = true;
    settings.font = CharFormat{240, true, false, true, 0, 49, "Serif"};
    settings.margins = {100, 200, 300, 400};
    MemorySettingsStore store;
    SaveEditorSettings(settings, store);
    EXPECT_EQ(store.ReadString(registry::section::kPageMargins, registry::value::kWindowRect), "100,200,300,400");

    EditorSettings back;
    LoadEditorSettings(back, store, FontDescription{"Mono"});
    EXPECT_TRUE(back.searchBackwards);
    EXPECT_FALSE(back.wordWrap);
    EXPECT_EQ(back.tabWidth, 8);
    EXPECT_EQ(back.foreColor, 0x123456);
    EXPECT_EQ(back.backColor, -1);
    EXPECT_TRUE(back.overrideReadOnlyColors);
    EXPECT_EQ(back.font, settings.font);
    EXPECT_EQ(back.margins.bottom, 400);
}

TEST(EditorSettings, MalformedMarginsKeepTheDefault)
{
    MemorySettingsStore store;
    store.WriteString(registry::section::kPageMargins, registry::value::kWindowRect, "1,2,3");
    EditorSettings settings;
    LoadEditorSettings(settings, store, FontDescription{"Mono"});
    EXPECT_EQ(settings.margins.top, 310);
}

} // namespace
} // namespace bivora
