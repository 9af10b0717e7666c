#include "shell/icon_themes.h"

#include "temp_tree.h"

#include <gtest/gtest.h>

namespace bivora {
namespace {

TEST(IconThemes, TheFirstInstalledCandidateWinsInTheCandidatesOrder)
{
    test::TempTree tree;
    tree.MakeFile("user/breeze/index.theme", "[Icon Theme]\n");
    tree.MakeFile("system/Adwaita/index.theme", "[Icon Theme]\n");
    tree.MakeDir("system/oxygen/16x16");              // icons but no index: not a theme
    tree.MakeFile("outside/index.theme", "[Icon Theme]\n"); // beside the search folders
    const std::vector<std::string> dirs = {tree.Path("missing"), tree.Path("user"), tree.Path("system/")};

    struct Case {
        const char* name;
        std::vector<std::string> candidates;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"candidate order, not folder order", {"Tango", "Adwaita", "breeze"}, "Adwaita"},
        {"a later folder is searched", {"Adwaita"}, "Adwaita"},
        {"letter case counts", {"adwaita", "Breeze"}, std::nullopt},
        {"a folder without index.theme", {"oxygen"}, std::nullopt},
        {"no way out of the search folders", {"../outside", "..", ""}, std::nullopt},
        {"no candidates", {}, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FirstInstalledIconTheme(dirs, c.candidates), c.expected) << c.name;

    EXPECT_TRUE(IconThemeInstalled(dirs, "breeze"));
    EXPECT_FALSE(IconThemeInstalled({}, "breeze"));
}

} // namespace
} // namespace bivora
