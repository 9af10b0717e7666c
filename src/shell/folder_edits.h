#pragma once

#include "shell/shell_types.h"
#include "shell/sys_result.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace bivora {

enum class NewItemKind { File, Folder };

// The n-th name New File / New Folder tries (n from 1): "New File.txt", "New File2.txt",
// "New File3.txt", ...; "New Folder", "New Folder2", ...
std::string NewItemName(NewItemKind kind, std::uint64_t n);

// A name an entry of a folder may have: not empty, no "/" and no NUL, not "." or "..".
// Any other bytes are fine (newlines, bytes that are not UTF-8).
bool IsPlainName(std::string_view name);

// Renames the entry from to to within the directory, never over an existing entry:
// an existing to (of whatever kind) makes it fail with EEXIST and stays as it was.
// Gives the entry as it is under its new name (as it was before when it cannot be
// examined after). EINVAL for a name that is not plain.
SysResult<FindData> RenameEntry(const std::string& directory, const std::string& from, const std::string& to);

// The rename without the kernel's no-replace flag, for file systems that lack it: a
// hard link under the new name, then the old name unlinked; where the file system
// has no hard links (and for folders), a look for the new name just before the rename.
SysStatus RenameByLink(int directoryFd, const std::string& from, const std::string& to);

// Creates an empty file or a folder under the first NewItemName that does not exist
// in the directory. Each candidate is created exclusively, so an entry that appears
// meanwhile moves the choice on and nothing is ever opened that existed before.
SysResult<FindData> CreateNewEntry(const std::string& directory, NewItemKind kind);

} // namespace bivora
