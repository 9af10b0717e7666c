#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bivora {

// The command line of the address bar: "> text" starts a program, "$ text" runs a
// shell command in a terminal that stays open. Texts are bytes throughout.

// The preambles' defaults: none before a program ("szShellCmdPreample"), and the
// system terminal before a shell command ("szDosCmdPreample"; the terminal's name, or
// a terminal with its options).
inline constexpr std::string_view kDefaultShellCmdPreamble = "";
inline constexpr std::string_view kDefaultDosCmdPreamble = "x-terminal-emulator";

// A command typed into the address bar, or nullopt for a folder or filter.
struct TypedCommand {
    bool inTerminal = false; // "$": a shell command in a terminal; ">": a program
    std::string text;        // after the prefix, leading blanks removed
    std::string asTyped;     // prefix included, leading blanks removed: what the history keeps
};
std::optional<TypedCommand> TypedCommandOf(std::string_view editText);

// word as a POSIX shell reads it back unchanged: as it is when it holds only
// characters no shell treats specially, else in single quotes ("''" for an empty word).
std::string ShellQuoted(std::string_view word);

// commandLine with every "$L" replaced by the left pane's folder and every "$R" by the
// right one's, quoted for the place it stands in (bare, inside "..." or inside '...')
// so that it is read back as exactly its bytes: a folder named x; rm -rf ~ stays one
// word and never runs a second command. An escaped "\$L" stays as it is.
std::string InsertPaneFolders(std::string_view commandLine, std::string_view left, std::string_view right);

// Splits text into words as a POSIX shell does, without expanding anything: blanks
// separate words; '...' keeps everything; "..." keeps everything but \\ \" \$ \`
// and a backslash before a line end; a backslash elsewhere keeps the next character.
// nullopt when a quote is not closed, the text ends in a lone backslash or holds a NUL
// byte: a half-understood command line is never run.
std::optional<std::vector<std::string>> SplitCommandLine(std::string_view text);

// The program and arguments of "> text": the preamble followed by the text, pane
// folders put in, split. nullopt when it cannot be split or names no program.
std::optional<std::vector<std::string>> ProgramCommand(std::string_view preamble, std::string_view text,
                                                       std::string_view left, std::string_view right);

// The shell text of "$ text" with the pane folders put in; nullopt when its quotes do
// not close (the shell would only report a syntax error after the terminal opened).
std::optional<std::string> TerminalCommandText(std::string_view text, std::string_view left, std::string_view right);

} // namespace bivora
