#include "pane_fixture.h"

#include "base/registry_keys.h"
#include "ui/widgets/sort_list_ctrl.h"

#include "../../shell/temp_tree.h"

#include <QAbstractItemView>
#include <QTest>

#include <optional>

namespace bivora::test {
namespace {

class PaneDriveKeysTest : public PaneFixture {};

// Ctrl+Shift+letter goes where the drive bar goes: the drive's root folder, or with
// bDriveBar2Root off the folder the panes last showed on that drive.
TEST_F(PaneDriveKeysTest, CtrlShiftLetterFollowsTheRunsDriveBarSetting)
{
    const std::string drive = tree.MakeDir("drive");
    const std::string remembered = tree.MakeDir("drive/remembered");
    tree.WriteMountTable(MountLine(27, "/", "ext4", "/dev/vda") + MountLine(28, drive, "ext4", "/dev/vdb"));
    struct Row {
        const char* label;
        std::optional<std::int32_t> stored;
        std::string expected;
    };
    const Row rows[] = {
        {"fresh profile", std::nullopt, drive},
        {"stored 0", 0, remembered},
        {"stored 1", 1, drive},
    };
    for (const Row& row : rows) {
        store = MemorySettingsStore();
        if (row.stored)
            store.WriteInt(registry::section::kMainFrameSettings, registry::value::kDriveBar2Root, *row.stored);
        general = LoadGeneralSettings(store);
        MakePanes(data, data);
        shared.driveFolders[drive] = remembered;
        QTest::keyClick(left->List().CurrentView(), Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
        ASSERT_NE(left->Folder(), nullptr) << row.label;
        EXPECT_EQ(left->Folder()->Path(), row.expected) << row.label;
        ClosePanes();
    }
}

} // namespace
} // namespace bivora::test
