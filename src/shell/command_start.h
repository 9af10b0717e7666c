#pragma once

#include "base/command_text.h"
#include "shell/sys_result.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bivora {

// Where terminals and programs are looked for. Tests make one of their own.
struct CommandEnvironment {
    std::string path;     // $PATH
    std::string terminal; // $TERMINAL, the user's choice of terminal; may be empty

    static CommandEnvironment FromProcess();
};

// The executable file the name stands for: itself when it holds a "/", else the first
// executable file of that name in the folders of path.
std::optional<std::string> FindProgram(const std::string& name, const CommandEnvironment& env);

// The argument list (program first) that opens a terminal running shellText in the
// user's $SHELL and then keeps an interactive $SHELL open in workingDirectory. The
// text reaches the shell as one argument, never spliced into another command line.
// preamble names the terminal, optionally with options of its own ("xterm -fa Mono",
// "xfce4-terminal -x"); the terminal's flag for the program to run is added unless
// the preamble ends with it. The default preamble (or an empty one) takes
// x-terminal-emulator, else $TERMINAL, else the first installed of a short list.
// nullopt when no such terminal is installed or the preamble's quotes do not close.
std::optional<std::vector<std::string>> TerminalArguments(std::string_view preamble, const std::string& shellText,
                                                          const std::string& workingDirectory,
                                                          const CommandEnvironment& env);

// The pane folders and preambles a typed command is run with.
struct CommandContext {
    std::string leftFolder;  // $L
    std::string rightFolder; // $R
    std::string workingDirectory; // the active pane's folder
    std::string programPreamble = std::string(kDefaultShellCmdPreamble);  // before "> text"
    std::string terminalPreamble = std::string(kDefaultDosCmdPreamble);   // for "$ text"
};

// Starts a typed command detached: "> text" as a program with its arguments, "$ text"
// in a terminal that stays open. Fails with EINVAL when the command line cannot be
// understood (open quotes, no program), ENOENT when no terminal or program is found,
// or the errno of the failed start.
SysStatus StartTypedCommand(const TypedCommand& command, const CommandContext& context,
                            const CommandEnvironment& env = CommandEnvironment::FromProcess());

} // namespace bivora
