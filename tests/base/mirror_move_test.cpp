#include "base/mirror_move.h"

#include <gtest/gtest.h>

#include <vector>

namespace bivora {
namespace {

using Kind = MirrorMove::Kind;

struct MirrorCase {
    const char* label;
    const char* oldPath;
    const char* newPath;
    std::optional<std::string_view> other;
    Kind kind;
    std::size_t levels; // for Up
    const char* path;   // for Go
};

TEST(MirrorMove, RepeatsTheMoveOrSwitchesOff)
{
    const std::vector<MirrorCase> cases = {
        {"sideways to a sibling", "/src/proj1", "/src/proj2", "/backup/proj1", Kind::Go, 0, "/backup/proj2"},
        {"sideways, longer sibling", "/src/a", "/src/abc", "/backup/a", Kind::Go, 0, "/backup/abc"},
        {"sideways, shorter sibling", "/a/bc", "/a/b", "/backup/bc", Kind::Go, 0, "/backup/b"},
        {"sideways into a deeper folder", "/src/p1", "/src/p2/x/y", "/b/p1", Kind::Go, 0, "/b/p2/x/y"},
        {"straight down one level", "/a", "/a/b", "/x/y", Kind::Go, 0, "/x/y/b"},
        {"straight down two levels", "/a/b", "/a/b/c/d", "/x", Kind::Go, 0, "/x/c/d"},
        {"down from the root", "/", "/usr", "/mnt/disk", Kind::Go, 0, "/mnt/disk/usr"},
        {"up two levels", "/a/b/c", "/a", "/x/y/z", Kind::Up, 2, ""},
        {"up one level", "/a/b", "/a", "/x/y", Kind::Up, 1, ""},
        {"up to the root", "/a/b", "/", "/x/y", Kind::Up, 2, ""},
        {"up from a name sharing the parent's prefix", "/ab/c", "/ab", "/x/y", Kind::Up, 1, ""},
        {"same folder stays", "/a/b", "/a/b", "/x", Kind::Stay, 0, ""},
        {"same folder stays even without another folder", "/a", "/a", std::nullopt, Kind::Stay, 0, ""},
        {"other pane in a virtual folder", "/a", "/b", std::nullopt, Kind::SwitchOff, 0, ""},
        {"nothing in common", "a/b", "c/d", "/x/y", Kind::SwitchOff, 0, ""},
        {"no shared folder", "src1", "src2", "/x/y", Kind::SwitchOff, 0, ""},
        {"other path too short to give up the old tail", "/src/proj1", "/src/proj2", "/p", Kind::SwitchOff, 0, ""},
        {"other pane at the root", "/a", "/b", "/", Kind::SwitchOff, 0, ""},
        {"old tail is not a whole name of the other path", "/src/proj1", "/src/proj2", "/backup/xproj1",
         Kind::SwitchOff, 0, ""},
        {"case differs: two folders", "/src/Proj", "/src/proj", "/b/Proj", Kind::Go, 0, "/b/proj"},
        {"bytes that are not UTF-8 pass", "/s/\xff" "1", "/s/\xff" "2", "/b/\xff" "1", Kind::Go, 0, "/b/\xff" "2"},
    };
    for (const MirrorCase& c : cases) {
        SCOPED_TRACE(c.label);
        const MirrorMove move = MirrorMoveFor(c.oldPath, c.newPath, c.other);
        EXPECT_EQ(move.kind, c.kind);
        if (c.kind == Kind::Up) {
            EXPECT_EQ(move.levels, c.levels);
        } else if (c.kind == Kind::Go) {
            EXPECT_EQ(move.path, c.path);
        }
    }
}

} // namespace
} // namespace bivora
