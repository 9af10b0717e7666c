#include "base/command_line.h"

#include <gtest/gtest.h>

namespace bivora {
namespace {

struct Case {
    const char* label;
    std::vector<std::string> arguments;
    std::string key, left, right;
};

TEST(ParseCommandLine, KeySwitchAndStartFolders)
{
    const Case cases[] = {
        {"nothing", {}, "Bivora", "", ""},
        {"two folders", {"/home", "/tmp"}, "Bivora", "/home", "/tmp"},
        {"extra folders ignored", {"a", "b", "c"}, "Bivora", "a", "b"},
        {"slash switch", {"/s:Work"}, "BivoraWork", "", ""},
        {"empty switch keeps the key", {"/s:"}, "Bivora", "", ""},
        {"dash and capital", {"-S:x"}, "Bivorax", "", ""},
        {"second switch is a folder", {"/s:", "/s:y", "b"}, "Bivora", "/s:y", "b"},
        {"switch after folders", {"a", "-s:k", "b"}, "Bivorak", "a", "b"},
        {"other switches are plain", {"-x", "/S", "-s"}, "Bivora", "-x", "/S"},
        {"colon needed", {"/sWork", "/s:Work"}, "BivoraWork", "/sWork", ""},
        {"empty argument is a folder", {"", "b"}, "Bivora", "", "b"},
    };
    for (const Case& c : cases) {
        const CommandLine line = ParseCommandLine(c.arguments, "Bivora");
        EXPECT_EQ(line.applicationKey, c.key) << c.label;
        EXPECT_EQ(line.leftStartFolder, c.left) << c.label;
        EXPECT_EQ(line.rightStartFolder, c.right) << c.label;
    }
}

} // namespace
} // namespace bivora
