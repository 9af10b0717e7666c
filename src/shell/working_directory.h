#pragma once

#include "shell/sys_result.h"

#include <string>

namespace bivora {

// The process's current directory (any length).
SysResult<std::string> CurrentDirectory();

// Makes path the process's current directory, against which relative input resolves.
SysStatus ChangeCurrentDirectory(const std::string& path);

} // namespace bivora
