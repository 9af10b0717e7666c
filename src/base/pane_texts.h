#pragma once

#include "base/date_kind.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace bivora {

// The free space of a volume as "%lu.%02lu %cB": 512 bytes -> "0.00 kB",
// 1,536,000 bytes -> "1.46 MB". nullopt (a failed query) gives "???".
std::string FreeSpaceText(std::optional<std::uint64_t> bytes);

// What the pane's status text is made from.
struct PaneStatusFacts {
    int rowCount = 0;
    int selectedCount = 0;
    std::uint64_t byteTotal = 0;    // of all shown rows
    std::uint64_t selectedBytes = 0; // of the selected rows
    bool fileSystemFolder = false;
    std::string freeSpaceText;       // used for a file-system folder when nothing is selected

    // One selected row:
    bool selectedIsFolder = false;   // folder record, links not followed
    bool selectedIsLink = false;
    std::string selectedSizeText;    // the Size column's text
    DateKind dateKind = DateKind::kModified;
    std::string selectedDateText;    // the date column's text
};

// The text of the active pane's status-bar field.
std::string PaneStatusText(const PaneStatusFacts& facts);

// The caption text of a file-system folder shortened to fit: the text up to its first
// "/" and ".../", then as many trailing components as fit (at least one, or two when a
// visual filter follows the path). The text is returned unchanged when it fits or when
// shortening does not make it shorter. measure gives a text's width in pixels.
std::string ShortenCaption(const std::string& text, bool filterShown, int stripWidth,
                           const std::function<int(std::string_view)>& measure);

} // namespace bivora
