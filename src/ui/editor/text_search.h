#pragma once

#include <QString>
#include <QStringView>

#include <functional>
#include <vector>

namespace bivora {

struct SearchOptions {
    bool matchCase = false;
    bool wholeWords = false;
    bool backwards = false;
};

// Letters, digits and the underscore make words.
bool IsWordChar(QChar c);

// One search text prepared for repeated searches: both directions run in time linear
// in the searched range plus the text's length, whatever the text (a 100 KB search
// text over a 10 MB document that nearly matches everywhere included).
//
// Positions are indexes into the text searched; an occurrence lies "in [from, to]"
// when it starts at or after from and ends at or before to.
class TextMatcher {
public:
    // Decides whether a candidate occurrence at the position counts (whole words).
    using Accept = std::function<bool(int position)>;

    TextMatcher(QStringView pattern, bool matchCase, bool wholeWords);

    int Length() const { return static_cast<int>(m_pattern.size()); }
    bool WholeWords() const { return m_wholeWords; }

    // The first occurrence in [from, to], -1 when none. Without accept, whole words
    // are judged against the neighbours in text.
    int FindFirst(QStringView text, int from, int to, const Accept& accept = {}) const;
    // The occurrence with the greatest start in [from, to], -1 when none.
    int FindLast(QStringView text, int from, int to, const Accept& accept = {}) const;
    // Whether s is the search text itself, with the case rule; whole words play no part.
    bool Equals(QStringView s) const;
    // Whether an occurrence with these neighbours is a whole word: a word character at
    // an end of the search text must not touch another one (a null QChar is no neighbour).
    bool WordBoundsOk(QChar before, QChar after) const;

private:
    QChar Fold(QChar c) const { return m_matchCase ? c : c.toCaseFolded(); }
    bool InText(QStringView text, int position) const;

    QString m_pattern;  // folded when the case does not matter
    QString m_reversed;
    std::vector<int> m_next;    // prefix function of m_pattern
    std::vector<int> m_nextRev; // prefix function of m_reversed
    bool m_matchCase;
    bool m_wholeWords;
};

// The occurrence of pattern in text within [start, end] (clamped to the text): the
// first one, or with backwards the one with the greatest start; -1 when none or when
// the pattern is empty.
//
// A backward search scans from the range end with the reversed pattern; that gives the
// same occurrence as searching forwards for the first one and then in overlapping
// windows from the end, in linear time.
int FindInRange(QStringView text, QStringView pattern, int start, int end, const SearchOptions& options);

// Replace All as one pass over the text, with the outcome of repeating "replace the
// selection when it is the search text, then find the next occurrence from there" until
// nothing is found, without a wrap round the text. Forwards each search starts after
// the replacement just made, backwards it covers only the text before it, so a
// replacement that contains the search text is never searched again.
struct ReplaceAllInput {
    int selectionStart = 0;
    int selectionEnd = 0;
    int rangeStart = 0;  // the range the Replace dialog works in
    int rangeEnd = -1;   // -1: no range, the whole text
    bool selectionOnly = false; // forwards, occurrences end at or before the range end
};
struct ReplaceAllPlan {
    int count = 0;
    int spanStart = 0;  // the part of the original text that changes
    int spanEnd = 0;
    QString spanText;   // what takes its place
    int caret = 0;      // in the new text: after the last replacement forwards, at it backwards
    int rangeEnd = -1;  // the range end moved by the replacements inside the range
};
ReplaceAllPlan PlanReplaceAll(QStringView text, const TextMatcher& matcher, QStringView replacement,
                              bool backwards, const ReplaceAllInput& input);

// Brace matching over "<{[(" and their closers ">}])". The selection [start, end) must
// hold exactly one brace once blanks around it are stripped.
struct BraceMatch {
    enum class Outcome { NoSingleBrace, Unbalanced, Found };
    Outcome outcome = Outcome::NoSingleBrace;
    int position = -1;
};
BraceMatch MatchBrace(QStringView text, int start, int end);

// The leading spaces and tabs among the first 49 characters of a line.
QString LeadingBlanks(QStringView line);

} // namespace bivora
