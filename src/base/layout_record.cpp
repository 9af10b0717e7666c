#include "base/layout_record.h"

#include <cstring>

namespace bivora {

namespace {

// Offsets of the stored header.
constexpr std::size_t kVersionAt = 0;
constexpr std::size_t kScreenWidthAt = 4;
constexpr std::size_t kScreenHeightAt = 8;
constexpr std::size_t kNameAt = 12;
constexpr std::size_t kNameSize = 32;
constexpr std::size_t kLeftWidthAt = 44;
constexpr std::size_t kLeftStyleAt = 48;
constexpr std::size_t kRightStyleAt = 52;
constexpr std::size_t kPlacementAt = 56;
constexpr std::size_t kTreeBarAt = 100;
constexpr std::size_t kThumbBarAt = 124;
constexpr std::size_t kDockLengthAt = 148;
constexpr std::size_t kDockRefAt = 152;
static_assert(kDockRefAt + 4 == LayoutRecord::kSize);

void Put(ByteBlock& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void PutInt(ByteBlock& bytes, std::size_t at, std::int32_t value)
{
    Put(bytes, at, static_cast<std::uint32_t>(value));
}

std::uint32_t Get(std::span<const std::uint8_t> bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
    return value;
}

std::int32_t GetInt(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::int32_t>(Get(bytes, at));
}

} // namespace

std::string LayoutNameFromText(std::string_view text)
{
    if (const auto zero = text.find('\0'); zero != std::string_view::npos)
        text = text.substr(0, zero);
    if (text.size() <= LayoutRecord::kMaxNameLength)
        return std::string(text);
    std::size_t end = LayoutRecord::kMaxNameLength;
    // Step back over continuation bytes so that no character is cut in two.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return std::string(text.substr(0, end));
}

ByteBlock EncodeLayoutRecord(const LayoutRecord& record)
{
    ByteBlock bytes(LayoutRecord::kSize, 0);
    PutInt(bytes, kVersionAt, record.version);
    PutInt(bytes, kScreenWidthAt, record.screenWidth);
    PutInt(bytes, kScreenHeightAt, record.screenHeight);
    const std::string name = LayoutNameFromText(record.name);
    std::memcpy(bytes.data() + kNameAt, name.data(), name.size()); // the rest stays zero
    PutInt(bytes, kLeftWidthAt, record.leftPaneWidth);
    PutInt(bytes, kLeftStyleAt, record.leftViewStyle);
    PutInt(bytes, kRightStyleAt, record.rightViewStyle);
    const WindowPlacement& p = record.placement;
    const std::int32_t placement[11] = {p.length, p.flags, p.showCommand, p.minX, p.minY, p.maxX,
                                        p.maxY,   p.left,  p.top,         p.right, p.bottom};
    for (std::size_t i = 0; i < 11; ++i)
        PutInt(bytes, kPlacementAt + 4 * i, placement[i]);
    for (std::size_t i = 0; i < 6; ++i) {
        PutInt(bytes, kTreeBarAt + 4 * i, record.treeBarSizes[i]);
        PutInt(bytes, kThumbBarAt + 4 * i, record.thumbBarSizes[i]);
    }
    Put(bytes, kDockLengthAt, record.dockStateLength);
    Put(bytes, kDockRefAt, record.dockStateRef);
    return bytes;
}

std::optional<LayoutRecord> DecodeLayoutRecord(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() != LayoutRecord::kSize)
        return std::nullopt;
    LayoutRecord record;
    record.version = GetInt(bytes, kVersionAt);
    record.dockStateLength = Get(bytes, kDockLengthAt);
    if (record.version != LayoutRecord::kVersion || record.dockStateLength == 0)
        return std::nullopt;
    record.screenWidth = GetInt(bytes, kScreenWidthAt);
    record.screenHeight = GetInt(bytes, kScreenHeightAt);
    const auto* name = reinterpret_cast<const char*>(bytes.data() + kNameAt);
    record.name = LayoutNameFromText(std::string_view(name, kNameSize));
    record.leftPaneWidth = GetInt(bytes, kLeftWidthAt);
    record.leftViewStyle = GetInt(bytes, kLeftStyleAt);
    record.rightViewStyle = GetInt(bytes, kRightStyleAt);
    WindowPlacement& p = record.placement;
    std::int32_t* placement[11] = {&p.length, &p.flags, &p.showCommand, &p.minX, &p.minY, &p.maxX,
                                   &p.maxY,   &p.left,  &p.top,         &p.right, &p.bottom};
    for (std::size_t i = 0; i < 11; ++i)
        *placement[i] = GetInt(bytes, kPlacementAt + 4 * i);
    for (std::size_t i = 0; i < 6; ++i) {
        record.treeBarSizes[i] = GetInt(bytes, kTreeBarAt + 4 * i);
        record.thumbBarSizes[i] = GetInt(bytes, kThumbBarAt + 4 * i);
    }
    record.dockStateRef = Get(bytes, kDockRefAt);
    return record;
}

bool DockStateFits(const LayoutRecord& record, std::span<const std::uint8_t> dockState)
{
    return dockState.size() == record.dockStateLength && dockState.size() < LayoutRecord::kMaxDockStateSize;
}

} // namespace bivora
