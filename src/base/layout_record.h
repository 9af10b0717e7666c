#pragma once

#include "base/settings_store.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace bivora {

// The main window's placement as a layout stores it: normal rectangle (right and
// bottom one past the last pixel), the show state and the minimised and maximised
// positions.
struct WindowPlacement {
    static constexpr std::int32_t kLength = 44;
    static constexpr std::int32_t kShowNormal = 1;
    static constexpr std::int32_t kShowMinimized = 2;
    static constexpr std::int32_t kShowMaximized = 3;

    std::int32_t length = kLength;
    std::int32_t flags = 0;
    std::int32_t showCommand = kShowNormal;
    std::int32_t minX = 0, minY = 0;
    std::int32_t maxX = 0, maxY = 0;
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;

    bool operator==(const WindowPlacement&) const = default;
};

// A resizable bar's six sizes: floating width and height, horizontally docked width
// and height, vertically docked width and height.
using SizeBarSizes = std::array<std::int32_t, 6>;

// One saved window layout: the header stored as "InfoHeader" (156 bytes,
// little-endian) beside its dock-state block "DockState".
struct LayoutRecord {
    static constexpr std::size_t kSize = 156;
    static constexpr std::int32_t kVersion = 1;
    static constexpr std::size_t kMaxNameLength = 31;
    static constexpr std::size_t kMaxDockStateSize = 4096; // a dock state must stay below this

    std::int32_t version = kVersion;
    std::int32_t screenWidth = 0;
    std::int32_t screenHeight = 0;
    std::string name;                 // at most 31 bytes
    std::int32_t leftPaneWidth = 0;
    std::int32_t leftViewStyle = 0;   // a view command id, 59408 to 59411
    std::int32_t rightViewStyle = 0;
    WindowPlacement placement;
    SizeBarSizes treeBarSizes{};      // zeros while there is no tree bar
    SizeBarSizes thumbBarSizes{};
    std::uint32_t dockStateLength = 0;
    std::uint32_t dockStateRef = 0;   // meaningless once stored; kept for the byte layout

    bool operator==(const LayoutRecord&) const = default;
};

// A name cut to at most 31 bytes without splitting a UTF-8 character.
std::string LayoutNameFromText(std::string_view text);

ByteBlock EncodeLayoutRecord(const LayoutRecord& record);
// Exactly 156 bytes of version 1 with a non-zero dock-state length; else nullopt.
std::optional<LayoutRecord> DecodeLayoutRecord(std::span<const std::uint8_t> bytes);
// A dock-state block fits its header: the header's length, below 4096 bytes.
bool DockStateFits(const LayoutRecord& record, std::span<const std::uint8_t> dockState);

} // namespace bivora
