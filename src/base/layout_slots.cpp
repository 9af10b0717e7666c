#include "base/layout_slots.h"

#include "base/registry_keys.h"

namespace bivora {

namespace {
constexpr std::string_view kHeaderValue = registry::value::kInfoHeader;
constexpr std::string_view kDockStateValue = registry::value::kDockState;

bool ValidSlot(int n)
{
    return n >= 1 && n <= LayoutSlots::kCount;
}

// Layout n is on the key 6 + n (Ctrl+7 to Ctrl+9).
int KeyDigit(int n)
{
    return 6 + n;
}
} // namespace

std::string LayoutSlots::SectionName(int n)
{
    return std::string(registry::section::kLayouts.at(static_cast<std::size_t>(n - 1)));
}

void LayoutSlots::Load(const SettingsStore& store)
{
    for (int n = 1; n <= kCount; ++n) {
        auto& slot = m_slots[n - 1];
        slot.reset();
        const std::string section = SectionName(n);
        const auto header = store.ReadBinary(section, kHeaderValue);
        if (!header)
            continue;
        auto record = DecodeLayoutRecord(*header);
        if (!record)
            continue;
        auto dockState = store.ReadBinary(section, kDockStateValue);
        if (!dockState || !DockStateFits(*record, *dockState))
            continue;
        slot = StoredLayout{std::move(*record), std::move(*dockState)};
    }
}

void LayoutSlots::Save(SettingsStore& store) const
{
    for (int n = 1; n <= kCount; ++n) {
        const auto& slot = m_slots[n - 1];
        if (!slot)
            continue;
        LayoutRecord record = slot->record;
        record.dockStateLength = static_cast<std::uint32_t>(slot->dockState.size());
        const std::string section = SectionName(n);
        store.WriteBinary(section, kHeaderValue, EncodeLayoutRecord(record));
        store.WriteBinary(section, kDockStateValue, slot->dockState);
    }
}

bool LayoutSlots::IsDefined(int n) const
{
    return ValidSlot(n) && m_slots[n - 1].has_value();
}

const StoredLayout* LayoutSlots::Get(int n) const
{
    return IsDefined(n) ? &*m_slots[n - 1] : nullptr;
}

bool LayoutSlots::Define(int n, LayoutRecord record, ByteBlock dockState)
{
    if (!ValidSlot(n) || dockState.empty() || dockState.size() >= LayoutRecord::kMaxDockStateSize)
        return false;
    record.version = LayoutRecord::kVersion;
    record.name = LayoutNameFromText(record.name);
    record.dockStateLength = static_cast<std::uint32_t>(dockState.size());
    m_slots[n - 1] = StoredLayout{std::move(record), std::move(dockState)};
    return true;
}

std::string LayoutSlots::MenuText(int n) const
{
    const std::string key = std::to_string(KeyDigit(n));
    if (const StoredLayout* layout = Get(n))
        return "&" + std::to_string(n) + ": " + layout->record.name + "\tCtrl+" + key;
    return "(press Ctrl+Shift+" + key + " to define)";
}

std::string LayoutSlots::ProposedName(int n) const
{
    if (const StoredLayout* layout = Get(n))
        return layout->record.name;
    return "Layout " + std::to_string(n);
}

} // namespace bivora
