#pragma once

#include "shell/shell_namespace.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bivora {

// What a drive button or the drive dialog sends to a pane, as a typed text: "X:/" for
// the drive's root folder, "X:" for its remembered current folder. A drive past Z has
// no letter to name its current folder by: its mount path in both cases.
std::string DriveGoText(const Drive& drive, bool root);

// The dialog's entry text for a display name: "File System (C:)" becomes
// "C:) File System" (the last three characters, a blank, the name without its last
// four, trailing blanks removed), so the entries line up by their letters. A name
// without a letter (a drive past Z) stays as it is.
std::string DriveEntryText(std::string_view displayName);

// The drive holding path: the one with the longest mount path that is path or one of
// its ancestors; none for an empty or relative path.
std::optional<std::size_t> DriveIndexOfPath(const std::vector<Drive>& drives, std::string_view path);

} // namespace bivora
