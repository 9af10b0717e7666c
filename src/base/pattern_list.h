#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bivora {

// Matches a name against one wildcard pattern. "*" takes any run of bytes,
// the empty one included; "?" takes one byte or none; every other byte is
// literal ("." too, so "*.*" needs a dot). ASCII letters compare without
// regard to case; all other bytes must be equal, so names need not be UTF-8.
bool MatchWildcard(std::string_view name, std::string_view pattern);

// A comma-separated list of wildcard patterns as the user types it in filters,
// selection patterns, file-type fields and batch templates. A pattern that
// begins with "-" excludes the names it matches.
class PatternList {
public:
    struct Entry {
        std::string_view text;  // as written, a leading "-" kept
        bool exclusion = false; // text begins with "-"

        // The pattern to match: the text without an exclusion's "-".
        std::string_view Wildcard() const { return exclusion ? text.substr(1) : text; }
    };

    // Splits at commas only; blanks and tabs around each entry are cut off and
    // empty entries dropped. The previous list is discarded either way. Fails,
    // leaving the list empty, for an absent text or one that holds no pattern.
    bool Parse(std::optional<std::string_view> text);

    // An empty list matches every name. Otherwise a matching exclusion rejects
    // the name; a list with inclusions needs one of them to match, and a list
    // of exclusions alone takes every name that none of them rejects.
    bool Match(std::string_view name) const;

    // The entries joined by single commas: " *.cpp , *.h " gives "*.cpp,*.h".
    const std::string& CanonicalText() const { return m_text; }

    std::size_t Count() const { return m_spans.size(); }
    bool IsEmpty() const { return m_spans.empty(); }

    // The entry at index (0 <= index < Count()); its text views into this list
    // and is valid until the list is parsed again or destroyed.
    Entry Pattern(std::size_t index) const;

    void Clear();

private:
    struct Span {
        std::size_t offset;
        std::size_t length;
    };

    // The canonical text; each entry is a span of it, so copies stay valid.
    std::string m_text;
    std::vector<Span> m_spans;
};

} // namespace bivora
