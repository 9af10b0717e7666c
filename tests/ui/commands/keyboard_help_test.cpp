#include "ui/commands/keyboard_help.h"
#include "ui/commands/main_menu.h"

#include <gtest/gtest.h>

namespace bivora {
namespace {

using K = MenuEntry::Kind;

TEST(KeyboardHelpTest, SectionListsKeyedItemsUnderTheirPopupsInOneSpelling)
{
    const MenuEntry menu[] = {
        {K::Popup, "&File"},
        {K::Item, "&Save\tCtrl+S", 1},
        {K::Item, "Save &As...", 2}, // no key, no line
        {K::Separator},
        {K::End},
        {K::Popup, "&View"},
        {K::Popup, "&Indent"},
        {K::Item, "&Increase\tAlt+ right", 3},
        {K::End},
        {K::Item, "Like &this one\tAlt + G+", 4},
        {K::End},
    };
    EXPECT_EQ(MenuKeysSection("Some window", menu),
              "Some window\n"
              "-----------\n"
              "  Ctrl+S                File > Save\n"
              "  Alt+Right             View > Indent > Increase\n"
              "  Alt+Grey +            View > Like this one\n");
}

} // namespace
} // namespace bivora
