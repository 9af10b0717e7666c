#pragma once

#include "base/char_format.h"

#include <cstdint>
#include <string>

namespace bivora {

class SettingsStore;
struct FontDescription;

// Page margins in twips (1/20 point).
struct PageMargins {
    std::int32_t left = 310;
    std::int32_t top = 310;
    std::int32_t right = 310;
    std::int32_t bottom = 310;
};

// The options every editor window shares for the whole run ("Editor/Viewer Settings",
// "Editor Character Format", "Page Margins"). Read the first time an editor view is
// made; written at exit only when they were read.
struct EditorSettings {
    bool searchBackwards = false;
    bool cyclicSearch = true;
    bool selectionBar = false;
    bool wordWrap = true;
    bool autoFill = false;
    int tabWidth = 3;           // 1..32
    std::int64_t foreColor = -1; // 0xBBGGRR, -1 = the system's colour
    std::int64_t backColor = -1;
    bool overrideReadOnlyColors = false;
    CharFormat font;            // height 0: the system's fixed-pitch font
    PageMargins margins;
    bool loaded = false;
};

// The tab width as stored values are read back: modulo 32, with 0 becoming 3.
int TabWidthFromStore(std::int32_t stored);

// Reads the three sections; values missing or of another kind keep their defaults, and
// a font without a height is the fallback's. Sets loaded.
void LoadEditorSettings(EditorSettings& settings, const SettingsStore& store, const FontDescription& fallback);
// Writes the three sections back.
void SaveEditorSettings(const EditorSettings& settings, SettingsStore& store);

} // namespace bivora
