#include "shell/command_start.h"

#include "base/path_text.h"
#include "shell/executable.h"
#include "shell/process_start.h"

#include <array>
#include <cerrno>
#include <cstdlib>

namespace bivora {

namespace {

// How a terminal takes the program it is to run: the flag before the program's argv
// ("" when the program simply follows the options).
struct TerminalKind {
    std::string_view name;
    std::string_view runFlag;
};

// The short list tried after x-terminal-emulator and $TERMINAL, in this order, with
// the flags of terminals whose -e takes one text rather than an argument list.
constexpr std::array<TerminalKind, 9> kTerminals = {{
    {"gnome-terminal", "--"},
    {"konsole", "-e"},
    {"xfce4-terminal", "-x"},
    {"mate-terminal", "-x"},
    {"alacritty", "-e"},
    {"kitty", ""},
    {"foot", ""},
    {"terminator", "-x"},
    {"xterm", "-e"},
}};

constexpr std::string_view kSystemTerminal = "x-terminal-emulator";

std::string_view RunFlagOf(std::string_view program)
{
    const std::string_view name = LastComponent(program);
    for (const TerminalKind& kind : kTerminals) {
        if (kind.name == name)
            return kind.runFlag;
    }
    return "-e"; // x-terminal-emulator and most others
}

// Runs the text ($1) in $SHELL from the pane's folder ($2), then stays as an
// interactive shell: the terminal closes only when the user leaves it.
constexpr std::string_view kKeepOpenScript =
    "cd -- \"$2\" 2>/dev/null; \"${SHELL:-/bin/sh}\" -c \"$1\"; exec \"${SHELL:-/bin/sh}\" -i";

std::optional<std::vector<std::string>> TerminalWords(std::string_view preamble, const CommandEnvironment& env)
{
    auto words = SplitCommandLine(preamble);
    if (!words)
        return std::nullopt;
    if (words->empty() || (words->size() == 1 && words->front() == kSystemTerminal)) {
        if (auto found = FindProgram(std::string(kSystemTerminal), env))
            return std::vector<std::string>{*found};
        if (!env.terminal.empty()) {
            if (auto found = FindProgram(env.terminal, env))
                return std::vector<std::string>{*found};
        }
        for (const TerminalKind& kind : kTerminals) {
            if (auto found = FindProgram(std::string(kind.name), env))
                return std::vector<std::string>{*found};
        }
        return std::nullopt;
    }
    auto found = FindProgram(words->front(), env);
    if (!found)
        return std::nullopt;
    words->front() = *found;
    return words;
}

} // namespace

CommandEnvironment CommandEnvironment::FromProcess()
{
    CommandEnvironment env;
    if (const char* path = std::getenv("PATH"))
        env.path = path;
    if (const char* terminal = std::getenv("TERMINAL"))
        env.terminal = terminal;
    return env;
}

std::optional<std::string> FindProgram(const std::string& name, const CommandEnvironment& env)
{
    if (name.empty())
        return std::nullopt;
    for (const std::string& candidate : ProgramCandidates(name, env.path)) {
        if (IsExecutableFile(candidate))
            return candidate;
    }
    return std::nullopt;
}

std::optional<std::vector<std::string>> TerminalArguments(std::string_view preamble, const std::string& shellText,
                                                          const std::string& workingDirectory,
                                                          const CommandEnvironment& env)
{
    auto words = TerminalWords(preamble, env);
    if (!words)
        return std::nullopt;
    const std::string_view flag = RunFlagOf(words->front());
    if (!flag.empty() && (words->size() == 1 || words->back() != flag))
        words->emplace_back(flag);
    for (const std::string_view word : {std::string_view("sh"), std::string_view("-c"), kKeepOpenScript,
                                        std::string_view("sh")})
        words->emplace_back(word);
    words->push_back(shellText);
    words->push_back(workingDirectory);
    return words;
}

SysStatus StartTypedCommand(const TypedCommand& command, const CommandContext& context, const CommandEnvironment& env)
{
    std::optional<std::vector<std::string>> arguments;
    if (command.inTerminal) {
        const auto text = TerminalCommandText(command.text, context.leftFolder, context.rightFolder);
        if (!text)
            return SysStatus::Failure(EINVAL);
        arguments = TerminalArguments(context.terminalPreamble, *text, context.workingDirectory, env);
        if (!arguments)
            return SysStatus::Failure(ENOENT);
    } else {
        arguments = ProgramCommand(context.programPreamble, command.text, context.leftFolder, context.rightFolder);
        if (!arguments)
            return SysStatus::Failure(EINVAL);
    }
    const std::string program = arguments->front();
    arguments->erase(arguments->begin());
    return StartDetachedProcess(program, *arguments, context.workingDirectory);
}

} // namespace bivora
