#include "ui/editor/text_search.h"

#include <algorithm>

namespace bivora {

namespace {

// The prefix function: for each i, the length of the longest proper prefix of
// pattern[0..i] that is also its suffix.
std::vector<int> PrefixFunction(const QString& pattern)
{
    std::vector<int> next(static_cast<std::size_t>(pattern.size()), 0);
    for (qsizetype i = 1, k = 0; i < pattern.size(); ++i) {
        while (k > 0 && pattern[i] != pattern[k])
            k = next[static_cast<std::size_t>(k - 1)];
        if (pattern[i] == pattern[k])
            ++k;
        next[static_cast<std::size_t>(i)] = static_cast<int>(k);
    }
    return next;
}

const QString kBraces = QStringLiteral("<{[(>}])");
constexpr int kMaxIndentScan = 49;

} // namespace

bool IsWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

TextMatcher::TextMatcher(QStringView pattern, bool matchCase, bool wholeWords)
    : m_matchCase(matchCase), m_wholeWords(wholeWords)
{
    m_pattern.reserve(pattern.size());
    for (QChar c : pattern)
        m_pattern.append(Fold(c));
    m_reversed = m_pattern;
    std::reverse(m_reversed.begin(), m_reversed.end());
    m_next = PrefixFunction(m_pattern);
    m_nextRev = PrefixFunction(m_reversed);
}

bool TextMatcher::WordBoundsOk(QChar before, QChar after) const
{
    if (m_pattern.isEmpty())
        return true;
    if (IsWordChar(m_pattern.front()) && IsWordChar(before))
        return false;
    return !(IsWordChar(m_pattern.back()) && IsWordChar(after));
}

bool TextMatcher::InText(QStringView text, int position) const
{
    const QChar before = position > 0 ? text[position - 1] : QChar();
    const qsizetype afterIndex = position + m_pattern.size();
    const QChar after = afterIndex < text.size() ? text[afterIndex] : QChar();
    return WordBoundsOk(before, after);
}

int TextMatcher::FindFirst(QStringView text, int from, int to, const Accept& accept) const
{
    const int m = Length();
    from = std::max(from, 0);
    to = std::min<int>(to, static_cast<int>(text.size()));
    if (m == 0 || to - from < m)
        return -1;
    int j = 0;
    for (int i = from; i < to; ++i) {
        const QChar c = Fold(text[i]);
        while (j > 0 && c != m_pattern[j])
            j = m_next[static_cast<std::size_t>(j - 1)];
        if (c == m_pattern[j])
            ++j;
        if (j == m) {
            const int position = i - m + 1;
            const bool ok = accept ? accept(position) : (!m_wholeWords || InText(text, position));
            if (ok)
                return position;
            j = m_next[static_cast<std::size_t>(j - 1)];
        }
    }
    return -1;
}

int TextMatcher::FindLast(QStringView text, int from, int to, const Accept& accept) const
{
    const int m = Length();
    from = std::max(from, 0);
    to = std::min<int>(to, static_cast<int>(text.size()));
    if (m == 0 || to - from < m)
        return -1;
    int j = 0;
    for (int i = to - 1; i >= from; --i) {
        const QChar c = Fold(text[i]);
        while (j > 0 && c != m_reversed[j])
            j = m_nextRev[static_cast<std::size_t>(j - 1)];
        if (c == m_reversed[j])
            ++j;
        if (j == m) {
            const bool ok = accept ? accept(i) : (!m_wholeWords || InText(text, i));
            if (ok)
                return i;
            j = m_nextRev[static_cast<std::size_t>(j - 1)];
        }
    }
    return -1;
}

bool TextMatcher::Equals(QStringView s) const
{
    if (s.size() != m_pattern.size())
        return false;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (Fold(s[i]) != m_pattern[i])
            return false;
    }
    return true;
}

int FindInRange(QStringView text, QStringView pattern, int start, int end, const SearchOptions& options)
{
    const TextMatcher matcher(pattern, options.matchCase, options.wholeWords);
    return options.backwards ? matcher.FindLast(text, start, end) : matcher.FindFirst(text, start, end);
}

ReplaceAllPlan PlanReplaceAll(QStringView text, const TextMatcher& matcher, QStringView replacement,
                              bool backwards, const ReplaceAllInput& input)
{
    ReplaceAllPlan plan;
    plan.rangeEnd = input.rangeEnd;
    const int n = static_cast<int>(text.size());
    const int m = matcher.Length();
    if (m == 0)
        return plan;
    const int delta = static_cast<int>(replacement.size()) - m;
    const int s = std::clamp(input.selectionStart, 0, n);
    const int e = std::clamp(input.selectionEnd, s, n);

    std::vector<int> found;
    int shift = 0; // forwards: how far the replacements made so far moved the text after them
    // The character of the new text beside the last replacement, for the whole-word test
    // of an occurrence that touches it.
    QChar beside;
    auto charAt = [&](int i) { return i >= 0 && i < n ? text[i] : QChar(); };
    auto record = [&](int p) {
        // the caret after the replacement, in the text as it is then
        const int caret = p + (backwards ? 0 : shift) + static_cast<int>(replacement.size());
        if (plan.rangeEnd >= 0 && caret >= input.rangeStart && caret <= plan.rangeEnd + delta)
            plan.rangeEnd += delta;
        if (backwards) {
            const bool touching = !found.empty() && p + m == found.back();
            beside = !replacement.isEmpty() ? replacement.front() : (touching ? beside : charAt(p + m));
        } else {
            const bool touching = !found.empty() && p == found.back() + m;
            beside = !replacement.isEmpty() ? replacement.back() : (touching ? beside : charAt(p - 1));
            shift += delta;
        }
        found.push_back(p);
    };

    const bool selectionIsText = e > s && matcher.Equals(text.sliced(s, e - s));
    if (selectionIsText)
        record(s);
    if (backwards) {
        const TextMatcher::Accept accept = [&](int p) {
            if (!matcher.WholeWords())
                return true;
            const bool touching = !found.empty() && p + m == found.back();
            return matcher.WordBoundsOk(charAt(p - 1), touching ? beside : charAt(p + m));
        };
        for (int to = s;;) {
            const int p = matcher.FindLast(text, 0, to, accept);
            if (p < 0)
                break;
            record(p);
            to = p;
        }
        std::reverse(found.begin(), found.end());
    } else {
        const TextMatcher::Accept accept = [&](int p) {
            if (!matcher.WholeWords())
                return true;
            const bool touching = !found.empty() && p == found.back() + m;
            return matcher.WordBoundsOk(touching ? beside : charAt(p - 1), charAt(p + m));
        };
        int from = selectionIsText ? e : (e > s ? s + 1 : s);
        for (;;) {
            // a selection-only limit follows the range end, which is in the new text
            const int limit = input.selectionOnly && plan.rangeEnd >= 0 ? plan.rangeEnd - shift : n;
            const int p = matcher.FindFirst(text, from, limit, accept);
            if (p < 0)
                break;
            record(p);
            from = p + m;
        }
    }
    plan.count = static_cast<int>(found.size());
    if (found.empty())
        return plan;

    plan.spanStart = found.front();
    plan.spanEnd = found.back() + m;
    qsizetype size = plan.spanEnd - plan.spanStart + static_cast<qsizetype>(found.size()) * delta;
    plan.spanText.reserve(std::max<qsizetype>(size, 0));
    for (std::size_t i = 0; i < found.size(); ++i) {
        plan.spanText.append(replacement);
        if (i + 1 < found.size())
            plan.spanText.append(text.sliced(found[i] + m, found[i + 1] - found[i] - m));
    }
    plan.caret = backwards ? plan.spanStart : plan.spanStart + static_cast<int>(plan.spanText.size());
    return plan;
}

BraceMatch MatchBrace(QStringView text, int start, int end)
{
    BraceMatch result;
    const int n = static_cast<int>(text.size());
    start = std::clamp(start, 0, n);
    end = std::clamp(end, start, n);
    int first = start;
    int last = end;
    while (first < last && text[first].isSpace())
        ++first;
    while (last > first && text[last - 1].isSpace())
        --last;
    if (last - first != 1)
        return result;
    const QChar brace = text[first];
    const qsizetype index = kBraces.indexOf(brace);
    if (index < 0)
        return result;
    result.outcome = BraceMatch::Outcome::Unbalanced;
    // every further brace of the same kind on the way needs one more target passed over
    int depth = 0;
    if (index < 4) {
        const QChar target = kBraces[index + 4];
        for (int i = end; i < n; ++i) {
            if (text[i] == brace) {
                ++depth;
            } else if (text[i] == target && depth-- == 0) {
                result = {BraceMatch::Outcome::Found, i};
                break;
            }
        }
    } else {
        const QChar target = kBraces[index - 4];
        for (int i = start - 1; i >= 0; --i) {
            if (text[i] == brace) {
                ++depth;
            } else if (text[i] == target && depth-- == 0) {
                result = {BraceMatch::Outcome::Found, i};
                break;
            }
        }
    }
    return result;
}

QString LeadingBlanks(QStringView line)
{
    const QStringView head = line.first(std::min<qsizetype>(line.size(), kMaxIndentScan));
    qsizetype count = 0;
    while (count < head.size() && (head[count] == QLatin1Char(' ') || head[count] == QLatin1Char('\t')))
        ++count;
    return head.first(count).toString();
}

} // namespace bivora
