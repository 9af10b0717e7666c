#include "base/pattern_list.h"

#include <algorithm>
#include <array>
#include <cassert>

namespace bivora {

namespace {

unsigned char FoldAscii(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

bool IsWildcard(char c)
{
    return c == '*' || c == '?';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Runs the pattern as a set of positions reached so far ("the next pattern
// byte to satisfy"), one step per name byte. Trying every length for every
// "*" by recursion costs exponential time on patterns such as "*a*a*a*a*b"
// against a long run of "a"; this costs at most name length times pattern
// length and gives the same answers.
bool MatchRest(std::string_view name, std::string_view pattern)
{
    const std::size_t states = pattern.size() + 1;
    constexpr std::size_t kInline = 128;
    std::array<unsigned char, 2 * kInline> inlineBuffer{};
    std::vector<unsigned char> heapBuffer;
    unsigned char* buffer = inlineBuffer.data();
    if (states > kInline) {
        heapBuffer.assign(2 * states, 0);
        buffer = heapBuffer.data();
    }
    unsigned char* active = buffer;
    unsigned char* next = buffer + states;

    // A wildcard may take nothing, so reaching it also reaches what follows it.
    auto close = [&](unsigned char* set) {
        for (std::size_t j = 0; j < pattern.size(); ++j)
            if (set[j] && IsWildcard(pattern[j]))
                set[j + 1] = 1;
    };

    std::fill(active, active + states, 0);
    active[0] = 1;
    close(active);
    for (const char c : name) {
        const unsigned char folded = FoldAscii(c);
        std::fill(next, next + states, 0);
        bool any = false;
        for (std::size_t j = 0; j < pattern.size(); ++j) {
            if (!active[j])
                continue;
            const char p = pattern[j];
            if (p == '*') {
                next[j] = 1;
                any = true;
            } else if (p == '?' || FoldAscii(p) == folded) {
                next[j + 1] = 1;
                any = true;
            }
        }
        if (!any)
            return false;
        close(next);
        std::swap(active, next);
    }
    return active[pattern.size()] != 0;
}

} // namespace

bool MatchWildcard(std::string_view name, std::string_view pattern)
{
    // The literal run before the first wildcard must begin the name.
    const std::size_t run = std::min(pattern.find_first_of("*?"), pattern.size());
    if (name.size() < run)
        return false;
    for (std::size_t i = 0; i < run; ++i)
        if (FoldAscii(name[i]) != FoldAscii(pattern[i]))
            return false;
    name.remove_prefix(run);
    pattern.remove_prefix(run);
    if (pattern.empty())
        return name.empty();
    return MatchRest(name, pattern);
}

void PatternList::Clear()
{
    m_text.clear();
    m_spans.clear();
}

bool PatternList::Parse(std::optional<std::string_view> text)
{
    Clear();
    if (!text)
        return false;

    std::string_view rest = *text;
    while (true) {
        const std::size_t comma = rest.find(',');
        std::string_view entry = rest.substr(0, comma);
        while (!entry.empty() && IsBlank(entry.front()))
            entry.remove_prefix(1);
        while (!entry.empty() && IsBlank(entry.back()))
            entry.remove_suffix(1);
        if (!entry.empty()) {
            if (!m_text.empty())
                m_text += ',';
            m_spans.push_back({m_text.size(), entry.size()});
            m_text += entry;
        }
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    return !m_spans.empty();
}

PatternList::Entry PatternList::Pattern(std::size_t index) const
{
    assert(index < m_spans.size());
    const Span& span = m_spans[index];
    const std::string_view text = std::string_view(m_text).substr(span.offset, span.length);
    return Entry{text, text.front() == '-'};
}

bool PatternList::Match(std::string_view name) const
{
    if (m_spans.empty())
        return true;
    bool hasInclusion = false;
    bool included = false;
    for (std::size_t i = 0; i < m_spans.size(); ++i) {
        const Entry entry = Pattern(i);
        if (entry.exclusion) {
            if (MatchWildcard(name, entry.Wildcard()))
                return false;
            continue;
        }
        hasInclusion = true;
        // Once an inclusion has matched only the exclusions still count.
        if (!included && MatchWildcard(name, entry.text))
            included = true;
    }
    return included || !hasInclusion;
}

} // namespace bivora
