#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bivora {

class Launcher;

// True when the bytes are well-formed UTF-8, so that a QString carries them unchanged.
bool IsValidUtf8(std::string_view bytes);

// Starts a program detached through the launcher with byte-exact arguments. Names
// that are UTF-8 go through the launcher's QString start; when the program, an
// argument or the working folder has other bytes, the launcher's exact start hands
// them to the program unchanged, with no shell between.
// Returns false when the start failed (the program missing included).
bool StartDetachedBytes(Launcher& launcher, const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& workingDirectory);

} // namespace bivora
