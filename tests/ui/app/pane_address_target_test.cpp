#include "../pane/pane_fixture.h"
#include "../../shell/test_files.h"

#include "base/registry_keys.h"
#include "ui/app/pane_address_target.h"

#include <filesystem>

namespace bivora {
namespace {

namespace reg = registry;

class PaneAddressTargetTest : public test::PaneFixture {
protected:
    std::unique_ptr<PaneAddressTarget> Target(bool leftActive)
    {
        return std::make_unique<PaneAddressTarget>([this, leftActive] { return leftActive ? left : right; },
                                                   [this, leftActive] { return leftActive ? right : left; },
                                                   store);
    }
};

// $L and $R are the left and the right pane whichever is active, a folder whose name
// a shell would split stays one word, and the program starts in the active pane's folder.
TEST_F(PaneAddressTargetTest, CommandsGetThePaneFoldersAsWords)
{
    const std::string leftFolder = tree.MakeDir("data/left; touch injected");
    const std::string rightFolder = tree.MakeDir("data/right side");
    MakePanes(leftFolder, rightFolder);

    auto target = Target(false);
    ASSERT_TRUE(target->RunCommand("> touch $L/from-left $R/from-right made-here"));
    EXPECT_TRUE(test::AppearsSoon(leftFolder + "/from-left"));
    EXPECT_TRUE(test::AppearsSoon(rightFolder + "/from-right"));
    EXPECT_TRUE(test::AppearsSoon(rightFolder + "/made-here"));
    EXPECT_FALSE(std::filesystem::exists(tree.Path("data/left")));
    EXPECT_FALSE(std::filesystem::exists(tree.Path("injected")));

    // what cannot be understood or started is refused, never run in part
    EXPECT_FALSE(target->RunCommand("> touch 'unbalanced"));
    EXPECT_FALSE(target->RunCommand("> no-such-program-anywhere"));
    EXPECT_FALSE(target->RunCommand("plain text"));
}

TEST_F(PaneAddressTargetTest, PreamblesAreReadAndWrittenBack)
{
    store.WriteString(reg::section::kMainFrameSettings, reg::value::kShellCmdPreample, "env ");
    MakePanes(data, data);
    auto target = Target(true);
    EXPECT_EQ(store.ReadString(reg::section::kMainFrameSettings, reg::value::kShellCmdPreample), "env ");
    EXPECT_EQ(store.ReadString(reg::section::kMainFrameSettings, reg::value::kDosCmdPreample), "x-terminal-emulator");
    // the text is appended to the program preamble (which ends in its own blank)
    ASSERT_TRUE(target->RunCommand(">   touch through-env"));
    EXPECT_TRUE(test::AppearsSoon(data + "/through-env"));
}

// Typed folders go to the active pane or the other one, relative ones from the active
// pane's folder; a pattern becomes the filter and shows in the address text; what is
// refused is left to the bar to say, once.
TEST_F(PaneAddressTargetTest, TypedTextsReachThePaneWithTheirOutcome)
{
    const std::string sub = tree.MakeDir("data/sub");
    tree.MakeFile("data/sub/a.conf");
    tree.MakeFile("data/note.txt");
    MakePanes(data, data);
    auto target = Target(true);

    EXPECT_EQ(target->GoToTyped("sub/*.conf", false), AddressTarget::Outcome::Done);
    EXPECT_EQ(left->Folder()->Path(), sub);
    EXPECT_EQ(target->ActiveAddressText(), sub + "/*.conf");
    // from the active pane's folder: the other pane's own would have no such folder
    EXPECT_EQ(target->GoToTyped("../sub", true), AddressTarget::Outcome::Done);
    EXPECT_EQ(right->Folder()->Path(), sub);

    status.messages.clear();
    EXPECT_EQ(target->GoToTyped(data + "/note.txt", false), AddressTarget::Outcome::Refused);
    EXPECT_EQ(target->GoToTyped(data + "/gone", false), AddressTarget::Outcome::Refused);
    EXPECT_EQ(left->Folder()->Path(), sub);
    EXPECT_TRUE(status.messages.empty());
}

} // namespace
} // namespace bivora
