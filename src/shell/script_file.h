#pragma once

#include "shell/sys_result.h"

#include <string>
#include <string_view>

namespace bivora {

// Writes a script the user is about to run, or has chosen to save, as an executable
// file: the text goes to a new file beside path, made with mode (less the umask) and
// never opened through a link, and is then renamed over path. So a failure leaves what
// was at path whole, and a file or link another user planted at path (in a shared
// /tmp, say) is never written through: in a sticky folder the rename over it fails.
// The failure keeps its errno. Any thread; it may block on a slow file system.
SysStatus WriteScriptFile(const std::string& path, std::string_view text, unsigned mode = 0777);

} // namespace bivora
