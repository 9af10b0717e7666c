#include "base/pattern_list.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace bivora {
namespace {

// The plain recursive matcher: take the literal run, then try every length the
// wildcard may take while leaving room for the literal bytes after it.
// Exponential on bad patterns, so only ever given short inputs.
bool ReferenceMatch(std::string_view name, std::string_view pattern)
{
    auto fold = [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    };
    auto wild = [](char c) { return c == '*' || c == '?'; };

    std::size_t run = 0;
    while (run < pattern.size() && !wild(pattern[run]))
        ++run;
    if (name.size() < run)
        return false;
    for (std::size_t i = 0; i < run; ++i)
        if (fold(name[i]) != fold(pattern[i]))
            return false;
    name.remove_prefix(run);
    pattern.remove_prefix(run);
    if (pattern.empty())
        return name.empty();
    if (name.empty()) {
        for (char c : pattern)
            if (!wild(c))
                return false;
        return true;
    }
    const char w = pattern.front();
    const std::string_view rest = pattern.substr(1);
    long long wildInRest = 0;
    for (char c : rest)
        wildInRest += wild(c) ? 1 : 0;
    const long long n = static_cast<long long>(name.size()) + wildInRest - static_cast<long long>(rest.size());
    const long long limit = w == '?' ? std::min(n, 1LL) : n;
    for (long long k = 0; k <= limit; ++k)
        if (ReferenceMatch(name.substr(static_cast<std::size_t>(k)), rest))
            return true;
    return false;
}

struct WildcardCase {
    const char* label;
    std::string name;
    std::string pattern;
    bool matches;
};

TEST(MatchWildcard, NamedCases)
{
    const std::vector<WildcardCase> cases = {
        {"star matches any name", "readme.txt", "*", true},
        {"star matches the empty rest", "abc", "abc*", true},
        {"question mark takes one byte", "abc", "a?c", true},
        {"question mark takes no byte", "ac", "a?c", true},
        {"question mark takes at most one byte", "abbc", "a?c", false},
        {"trailing question mark on a full name", "abc", "abc?", true},
        {"trailing wildcards after the name ends", "ab", "ab?*?", true},
        {"literal after wildcards needs its byte", "ab", "ab?*x", false},
        {"star dot star needs a dot", "Makefile", "*.*", false},
        {"star dot star with a dot", "a.b", "*.*", true},
        {"dot is literal", "maincpp", "main.cpp", false},
        {"ASCII case is ignored", "main.cpp", "*.CPP", true},
        {"ASCII case is ignored in the leading run", "README.md", "readme.*", true},
        {"prefix must be at the start", "xabc", "abc*", false},
        {"whole literal must be the whole name", "abcd", "abc", false},
        {"name shorter than the leading run", "ab", "abc*", false},
        {"semicolon is an ordinary byte", "a.c;b.h", "*.c;*.h", true},
        {"semicolon pattern does not split", "a.c", "*.c;*.h", false},
        {"star can end at the last occurrence", "a.b.c", "*.c", true},
        {"star backtracks past an early match", "abcabd", "*abd", true},
        {"blank is literal", "my file", "my *", true},
        {"empty pattern matches only the empty name", "a", "", false},
        {"empty pattern and empty name", "", "", true},
        {"non-ASCII bytes compare exactly", "\xC3\xA9t\xC3\xA9", "\xC3\xA9*", true},
        {"non-ASCII bytes are not case-folded", "\xC3\xA9", "\xC3\x89", false},
        {"latin-1 bytes are not case-folded", "\xE9", "\xC9", false},
        {"invalid UTF-8 is matched as bytes", "a\xFF\xFE.txt", "a??.TXT", true},
        {"question mark takes a non-ASCII byte", "x\x80y", "x?y", true},
        {"only letters fold, not neighbours", "[", "{", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(MatchWildcard(c.name, c.pattern), c.matches) << c.name << " / " << c.pattern;
        EXPECT_EQ(ReferenceMatch(c.name, c.pattern), c.matches) << "reference disagrees with the case";
    }
}

TEST(MatchWildcard, AgreesWithTheRecursiveMatcherOnGeneratedCases)
{
    std::mt19937 random(20240611);
    const std::string nameBytes = "aabB.\xE9";
    const std::string patternBytes = "aAb.**??\xC9\xE9";
    auto make = [&](const std::string& alphabet, std::size_t maxLength) {
        std::string text(random() % (maxLength + 1), ' ');
        for (char& c : text)
            c = alphabet[random() % alphabet.size()];
        return text;
    };
    int matched = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::string name = make(nameBytes, 9);
        const std::string pattern = make(patternBytes, 7);
        const bool expected = ReferenceMatch(name, pattern);
        ASSERT_EQ(MatchWildcard(name, pattern), expected) << "name '" << name << "' pattern '" << pattern << "'";
        matched += expected ? 1 : 0;
    }
    // Both outcomes must be well represented for the comparison to mean anything.
    EXPECT_GT(matched, 1000);
    EXPECT_LT(matched, 19000);
}

TEST(MatchWildcard, PathologicalPatternsFinishQuickly)
{
    const std::string longRun(5000, 'a');
    EXPECT_FALSE(MatchWildcard(longRun, "*a*a*a*a*a*b"));
    EXPECT_TRUE(MatchWildcard(longRun + "b", "*a*a*a*a*a*b"));
    EXPECT_FALSE(MatchWildcard(longRun, "?*?*?*?*?*?*?*?*?*?*b"));

    // A pattern longer than any fixed scratch space.
    std::string manyStars;
    for (int i = 0; i < 300; ++i)
        manyStars += "*a";
    EXPECT_TRUE(MatchWildcard(longRun, manyStars));
    EXPECT_FALSE(MatchWildcard(std::string(299, 'a'), manyStars));
}

struct ParseCase {
    const char* label;
    std::optional<std::string_view> text;
    bool parses;
    std::string canonical;
    std::vector<std::string> patterns;
};

TEST(PatternList, ParseSplitsTrimsAndDropsEmptyEntries)
{
    const std::vector<ParseCase> cases = {
        {"absent text", std::nullopt, false, "", {}},
        {"empty text", "", false, "", {}},
        {"commas and blanks only", " , ,\t,, ", false, "", {}},
        {"one pattern", "*.cpp", true, "*.cpp", {"*.cpp"}},
        {"blanks around the comma", "*.h , *.cpp", true, "*.h,*.cpp", {"*.h", "*.cpp"}},
        {"tabs and blanks at both ends", "\t *.cpp \t,\t-test* ", true, "*.cpp,-test*", {"*.cpp", "-test*"}},
        {"inner blanks stay", " my file* ", true, "my file*", {"my file*"}},
        {"empty entries dropped", ",,a,,b,", true, "a,b", {"a", "b"}},
        {"semicolon does not split", "*.c;*.h", true, "*.c;*.h", {"*.c;*.h"}},
        {"other white space is not trimmed", "\n*.c", true, "\n*.c", {"\n*.c"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        PatternList list;
        ASSERT_TRUE(list.Parse("stale,-entries"));
        EXPECT_EQ(list.Parse(c.text), c.parses);
        EXPECT_EQ(list.CanonicalText(), c.canonical);
        ASSERT_EQ(list.Count(), c.patterns.size());
        for (std::size_t i = 0; i < c.patterns.size(); ++i)
            EXPECT_EQ(list.Pattern(i).text, c.patterns[i]);
    }
}

TEST(PatternList, EntriesKeepTheirTextAndExclusionFlag)
{
    PatternList list;
    ASSERT_TRUE(list.Parse("-*.obj, *.cpp ,-,a-b"));
    ASSERT_EQ(list.Count(), 4u);
    EXPECT_TRUE(list.Pattern(0).exclusion);
    EXPECT_EQ(list.Pattern(0).text, "-*.obj");
    EXPECT_EQ(list.Pattern(0).Wildcard(), "*.obj");
    EXPECT_FALSE(list.Pattern(1).exclusion);
    EXPECT_EQ(list.Pattern(1).Wildcard(), "*.cpp");
    EXPECT_TRUE(list.Pattern(2).exclusion);
    EXPECT_EQ(list.Pattern(2).Wildcard(), "");
    EXPECT_FALSE(list.Pattern(3).exclusion);

    // A copy must not view into the text of the list it came from.
    PatternList copy = list;
    list.Parse("x");
    EXPECT_EQ(copy.Pattern(1).text, "*.cpp");
    EXPECT_EQ(copy.CanonicalText(), "-*.obj,*.cpp,-,a-b");
}

struct MatchCase {
    const char* label;
    const char* patterns;
    std::vector<std::pair<std::string, bool>> names;
};

TEST(PatternList, MatchCombinesInclusionsAndExclusions)
{
    const std::vector<MatchCase> cases = {
        {"inclusion with an exclusion after it", "*.cpp,-test*",
         {{"main.cpp", true}, {"test_main.cpp", false}, {"TESTS.cpp", false}, {"main.h", false}}},
        {"exclusion before the inclusion", "-test*,*.cpp", {{"main.cpp", true}, {"test.cpp", false}}},
        {"exclusion after a matching inclusion still counts", "*,*.cpp,-*.obj",
         {{"a.obj", false}, {"a.cpp", true}, {"a", true}}},
        {"exclusions alone take every other name", "-*.obj",
         {{"a.obj", false}, {"a.cpp", true}, {"Makefile", true}}},
        {"several exclusions alone", "-*.o, -*.a", {{"x.o", false}, {"x.a", false}, {"x.so", true}}},
        {"any inclusion may match", "*.h,*.cpp", {{"a.h", true}, {"a.cpp", true}, {"a.c", false}}},
        {"bare minus excludes nothing real", "-", {{"a", true}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        PatternList list;
        ASSERT_TRUE(list.Parse(c.patterns));
        for (const auto& [name, expected] : c.names)
            EXPECT_EQ(list.Match(name), expected) << name;
    }
}

TEST(PatternList, EmptyListMatchesEveryName)
{
    PatternList list;
    EXPECT_TRUE(list.Match("anything"));
    ASSERT_TRUE(list.Parse("*.cpp"));
    EXPECT_FALSE(list.Match("a.h"));
    EXPECT_FALSE(list.Parse(" , "));
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_TRUE(list.Match("a.h"));
}

} // namespace
} // namespace bivora
