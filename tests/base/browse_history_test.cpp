#include "base/browse_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bivora {
namespace {

using Texts = std::vector<std::string>;

// One step of a pane's life: "+p" visits p (as typing it), "<" and ">" are Previous
// and Next (a visit of the peeked path), "=n" sets the focus name n, "=" clears it,
// "-p" forgets p.
struct Trail {
    BrowseHistory history;
    std::optional<std::string> lastFocus;

    void Run(const Texts& steps)
    {
        for (const std::string& step : steps) {
            const std::string arg = step.substr(1);
            switch (step[0]) {
            case '+': lastFocus = history.Visit(arg); break;
            case '<': lastFocus = history.Visit(history.PeekBack().value()); break;
            case '>': lastFocus = history.Visit(history.PeekForward().value()); break;
            case '=': history.SetFocusName(arg.empty() ? std::nullopt : std::optional(arg)); break;
            case '-': history.Forget(arg); break;
            default: FAIL() << step;
            }
        }
    }
};

struct TrailCase {
    const char* label;
    Texts steps;
    Texts paths;          // expected entries, oldest first
    std::size_t current;  // expected current index
    std::optional<std::string> focus; // what the last visit gave
};

TEST(BrowseHistory, MovesTruncatesAndRemembersFocus)
{
    const std::vector<TrailCase> cases = {
        {"new folder from the middle drops the forward part", {"+A", "+B", "+C", "<", "<", "+D"}, {"A", "D"}, 1, {}},
        {"previous and next move without adding", {"+A", "+B", "+C", "<", "<", ">"}, {"A", "B", "C"}, 1, {}},
        {"coming back gives the focus left behind", {"+A", "=y.txt", "+B", "<"}, {"A", "B"}, 0, "y.txt"},
        {"a cleared name is forgotten", {"+A", "=y", "=", "+B", "<"}, {"A", "B"}, 0, {}},
        {"a distant visit appends and finds the older name",
         {"+A", "=y.txt", "+B", "+C", "+A"}, {"A", "B", "C", "A"}, 3, "y.txt"},
        {"the latest older name wins", {"+A", "=old", "+B", "+C", "+A", "=new", "+D", "+E", "+A"},
         {"A", "B", "C", "A", "D", "E", "A"}, 6, "new"},
        {"paths compare byte for byte", {"+/a", "+/A", "<"}, {"/a", "/A"}, 0, {}},
        {"names keep every byte", {"+A", "=line\nfeed \xff", "+B", "<"}, {"A", "B"}, 0, "line\nfeed \xff"},
        {"forget drops the next entry", {"+A", "+B", "+C", "<", "-C"}, {"A", "B"}, 1, {}},
        {"forget drops the previous entry", {"+A", "+B", "+C", "-B"}, {"A", "C"}, 1, {}},
        {"forget keeps the current and distant entries", {"+A", "+B", "+C", "-C", "-A"}, {"A", "B", "C"}, 2, {}},
    };
    for (const TrailCase& c : cases) {
        SCOPED_TRACE(c.label);
        Trail trail;
        trail.Run(c.steps);
        EXPECT_EQ(trail.history.Paths(), c.paths);
        EXPECT_EQ(trail.history.Current(), c.current);
        EXPECT_EQ(trail.lastFocus, c.focus);
        EXPECT_EQ(trail.history.CanGoBack(), c.current > 0);
        EXPECT_EQ(trail.history.CanGoForward(), c.current + 1 < c.paths.size());
    }
}

TEST(BrowseHistory, KeepsTheLatestThirtyFolders)
{
    Trail trail;
    Texts steps;
    for (int i = 1; i <= 31; ++i)
        steps.push_back("+/f" + std::to_string(i));
    trail.Run(steps);
    const Texts paths = trail.history.Paths();
    ASSERT_EQ(paths.size(), BrowseHistory::kLimit);
    EXPECT_EQ(paths.front(), "/f2");
    EXPECT_EQ(paths.back(), "/f31");
    EXPECT_EQ(trail.history.PeekBack(), "/f30");
}

} // namespace
} // namespace bivora
