#pragma once

#include "shell/shell_types.h"
#include "shell/sys_result.h"

#include <cstdint>
#include <optional>
#include <string>

namespace bivora {

// What the Properties of one item show. Size, times, owner and mode are the link
// target's when the item is a link that resolves, else the item's own.
struct ItemInfo {
    bool isLink = false;        // the item itself is a symbolic link
    bool targetMissing = false; // a link whose target cannot be reached: the rest describes the link
    bool isDirectory = false;
    bool isRegular = false;
    std::uint64_t size = 0;
    FileTime modified = 0;
    FileTime created = 0; // birth time where the file system keeps it, else the change time
    FileTime accessed = 0;
    std::uint32_t owner = 0;  // user id
    std::uint32_t group = 0;  // group id
    std::uint32_t mode = 0;   // permission, set-id and sticky bits (07777)
};

// Looks the item up (statx: links followed, else the link itself); the error is that
// of looking up the item itself.
SysResult<ItemInfo> ReadItemInfo(const std::string& path);

// The user's and the group's name from the system's databases; the number as text
// when the id has no name.
std::string UserName(std::uint32_t uid);
std::string GroupName(std::uint32_t gid);

// Sets the permission, set-id and sticky bits (07777) of the item (of a link's target).
SysStatus ChangeMode(const std::string& path, std::uint32_t mode);

// True when looking the folder's path up says it does not exist or is no folder; a
// folder that may not be looked into (permission, I/O error) is still there.
bool IsFolderGone(const std::string& path);

// The absolute path with every link followed and "." and ".." taken (realpath);
// nullopt when some part of it does not exist or cannot be looked into.
std::optional<std::string> RealPath(const std::string& path);

} // namespace bivora
