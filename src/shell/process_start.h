#pragma once

#include "shell/sys_result.h"

#include <string>
#include <string_view>
#include <vector>

namespace bivora {

// The files an exec of program tries, in order: program itself when it holds a "/",
// else program in each folder of pathVariable (a PATH value; an empty one stands for
// the system's default folders).
std::vector<std::string> ProgramCandidates(const std::string& program, std::string_view pathVariable);

// Starts a program detached from this process, with no shell between: the program,
// its arguments and the working folder reach it as the exact bytes given, whatever
// their encoding. A program without "/" is looked for on PATH. The program runs in a
// session of its own and is never this process's child, so nothing has to wait for it.
// Returns once the program has replaced the started process, or with the errno of
// what failed: changing into the working folder, or the exec itself (ENOENT: no such
// program; EACCES: not executable). Any thread.
SysStatus StartDetachedProcess(const std::string& program, const std::vector<std::string>& arguments,
                               const std::string& workingDirectory);

} // namespace bivora
