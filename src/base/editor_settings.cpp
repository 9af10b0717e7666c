#include "base/editor_settings.h"

#include "base/registry_keys.h"
#include "base/settings_store.h"
#include "base/window_rect.h"

namespace bivora {

namespace {

namespace key = registry::value;
constexpr std::string_view kSection = registry::section::kEditorViewerSettings;

bool ReadFlag(const SettingsStore& store, std::string_view name, bool fallback)
{
    return store.GetInt(kSection, name, fallback ? 1 : 0) != 0;
}

} // namespace

int TabWidthFromStore(std::int32_t stored)
{
    const int width = static_cast<int>(stored % 32);
    return width <= 0 ? 3 : width;
}

void LoadEditorSettings(EditorSettings& settings, const SettingsStore& store, const FontDescription& fallback)
{
    const EditorSettings defaults;
    settings.searchBackwards = ReadFlag(store, key::kSearchBackwards, defaults.searchBackwards);
    settings.cyclicSearch = ReadFlag(store, key::kCyclicSearch, defaults.cyclicSearch);
    settings.selectionBar = ReadFlag(store, key::kSelectionBar, defaults.selectionBar);
    settings.wordWrap = ReadFlag(store, key::kWordWrap, defaults.wordWrap);
    settings.autoFill = ReadFlag(store, key::kAutoFill, defaults.autoFill);
    settings.tabWidth = TabWidthFromStore(store.GetInt(kSection, key::kTabWidth, defaults.tabWidth));
    settings.foreColor = store.GetInt(kSection, key::kForeColor, -1);
    settings.backColor = store.GetInt(kSection, key::kBackColor, -1);
    settings.overrideReadOnlyColors = ReadFlag(store, key::kOverrideROColors, defaults.overrideReadOnlyColors);
    settings.font = LoadCharFormat(store, registry::section::kEditorCharacterFormat, fallback);
    settings.margins = PageMargins();
    if (const auto text = store.ReadString(registry::section::kPageMargins, key::kWindowRect)) {
        if (const auto rect = ParseWindowRect(*text))
            settings.margins = {rect->left, rect->top, rect->right, rect->bottom};
    }
    settings.loaded = true;
}

void SaveEditorSettings(const EditorSettings& settings, SettingsStore& store)
{
    store.WriteInt(kSection, key::kSearchBackwards, settings.searchBackwards ? 1 : 0);
    store.WriteInt(kSection, key::kCyclicSearch, settings.cyclicSearch ? 1 : 0);
    store.WriteInt(kSection, key::kSelectionBar, settings.selectionBar ? 1 : 0);
    store.WriteInt(kSection, key::kWordWrap, settings.wordWrap ? 1 : 0);
    store.WriteInt(kSection, key::kAutoFill, settings.autoFill ? 1 : 0);
    store.WriteInt(kSection, key::kTabWidth, settings.tabWidth);
    store.WriteInt(kSection, key::kForeColor, static_cast<std::int32_t>(settings.foreColor));
    store.WriteInt(kSection, key::kBackColor, static_cast<std::int32_t>(settings.backColor));
    store.WriteInt(kSection, key::kOverrideROColors, settings.overrideReadOnlyColors ? 1 : 0);
    SaveCharFormat(store, registry::section::kEditorCharacterFormat, settings.font);
    const PageMargins& m = settings.margins;
    store.WriteString(registry::section::kPageMargins, key::kWindowRect,
                      FormatWindowRect(WindowRect{m.left, m.top, m.right, m.bottom}));
}

} // namespace bivora
