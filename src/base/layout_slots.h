#pragma once

#include "base/layout_record.h"
#include "base/settings_store.h"

#include <array>
#include <optional>
#include <string>

namespace bivora {

// A defined layout: its record and its dock-state block.
struct StoredLayout {
    LayoutRecord record;
    ByteBlock dockState;
};

// The three layout slots of the main window, stored in sections "Layout 1" to
// "Layout 3". Slots are numbered 1 to 3. A define changes only memory; Save writes.
class LayoutSlots {
public:
    static constexpr int kCount = 3;

    // Fills each slot whose stored data passes every check; a damaged slot stays empty.
    void Load(const SettingsStore& store);
    // Writes each defined slot: the header with the dock state's length, then the block.
    void Save(SettingsStore& store) const;
    void Clear() { m_slots = {}; }

    bool IsDefined(int n) const;
    const StoredLayout* Get(int n) const;
    // Replaces the slot; the record's dock-state length is set from the block. A block
    // that a later Load would refuse (empty, or 4096 bytes and more) is not taken:
    // false, and the slot stays as it was.
    bool Define(int n, LayoutRecord record, ByteBlock dockState);

    // "&1: name\tCtrl+7" for a defined slot, "(press Ctrl+Shift+7 to define)" otherwise.
    std::string MenuText(int n) const;
    // The name a define proposes: the current one, or "Layout n".
    std::string ProposedName(int n) const;

    static std::string SectionName(int n);

private:
    std::array<std::optional<StoredLayout>, kCount> m_slots;
};

} // namespace bivora
