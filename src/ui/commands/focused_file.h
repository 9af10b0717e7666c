#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace bivora {

// The active pane's focused item as the bars that follow it see it, taken from the
// pane's record (nothing is read from the disk to make it).
struct FocusedFile {
    std::string path;               // full path in a file-system folder, else the parsing name
    bool isFile = false;            // a file-system item that is not a folder
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;    // nanoseconds since the Unix epoch; 0 when unknown

    bool operator==(const FocusedFile&) const = default;
};

// The focused item of the active pane now; nullopt when no row has the focus.
using FocusedFileSource = std::function<std::optional<FocusedFile>()>;

} // namespace bivora
