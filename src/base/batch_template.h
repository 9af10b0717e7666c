#pragma once

#include "base/pattern_list.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace bivora {

// The first lines of every generated batch script: it is a POSIX shell script.
inline constexpr std::string_view kBatchScriptHeader = "#!/bin/sh\n# Created automatically by Torvenal\n";

// A command template applied to each selected item: comma-separated entries, each one
// line of output per item. In a line
//   $N the item's name, $B its base (up to the last "."), $E its extension,
//   $L / $R the left / right pane's folder,
//   $ and a run of digits: the digits' number plus the item counter (0 for the first
//   item), zero-padded to the run's width and growing past it ($01 gives 01 ... 10).
// A code whose value is empty ($E of a name without extension, $X, a "$" at the line's
// end) stays in the line as written, so "$$N" is "$" followed by the name.
//
// The script is read by a shell, and a name is not to be trusted: a value goes in as
// the shell will read it back byte for byte, in the quoting of the place it stands
// (bare, inside "..." or inside '...'). Bare, it is single-quoted unless it consists of
// characters no shell treats specially, so that no name (one with a ";", "$(...)", a
// quote or a newline) can split a command or run another one; a line break in a name
// stays inside the quoted word. An escaped "\$N" is left to the shell as it is, and a
// value inside a "#" comment has its line breaks written as "?" so it cannot end the
// comment. Names are bytes; nothing assumes UTF-8.
class BatchTemplate {
public:
    // Splits the text into entries as a pattern list does (blanks around each cut
    // off, empty ones dropped) and starts the counter afresh. False when no entry is left.
    bool Parse(std::string_view text);
    std::size_t EntryCount() const { return m_entries.Count(); }

    void SetPaneFolders(std::string left, std::string right);

    // Expands every entry for the next item (the counter steps first), appending one
    // line per entry, each ended by "\n". There is no limit on a line's length.
    void AppendItem(std::string_view name, std::string& script);

private:
    std::optional<std::string> ValueOf(char code, std::string_view name) const;

    PatternList m_entries;
    std::string m_left;
    std::string m_right;
    std::int64_t m_counter = -1;
};

} // namespace bivora
