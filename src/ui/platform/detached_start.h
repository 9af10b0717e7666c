#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bivora {

class Launcher;

// True when the bytes are well-formed UTF-8, so that a QString carries them unchanged.
bool IsValidUtf8(std::string_view bytes);

// Starts a program detached through the launcher with byte-exact arguments.
// The launcher takes QStrings, which cannot hold bytes that are not UTF-8; when the
// program, an argument or the working folder has such bytes, the start goes through
// "/bin/sh -c" with a script that rebuilds each of them from octal escapes, so a file
// named in any encoding still reaches the program under its real name.
// Returns what the launcher returns (false when the start failed).
bool StartDetachedBytes(Launcher& launcher, const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& workingDirectory);

// The sh script StartDetachedBytes hands to "/bin/sh -c" for names that are not UTF-8;
// its text is plain ASCII.
std::string ByteExactStartScript(const std::string& program, const std::vector<std::string>& arguments,
                                 const std::string& workingDirectory);

} // namespace bivora
