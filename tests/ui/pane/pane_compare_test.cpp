// Comparing the panes: Synchronize Panes, Locate identical and Sync on Content, with
// the selections and messages they leave.
#include "pane_fixture.h"

#include "ui/commands/command_ids.h"
#include "ui/widgets/sort_list_ctrl.h"

#include "../../shell/test_files.h"

#include <QTest>
#include <QTimer>

#include <algorithm>
#include <sys/stat.h>

namespace bivora::test {
namespace {

using Names = std::vector<std::string>;
constexpr std::int64_t kBase = 1'600'000'000;

class PaneCompareTest : public PaneFixture {
protected:
    enum class Kind { None, File, Folder };
    struct Side {
        Kind kind = Kind::None;
        std::string bytes;
        std::int64_t seconds = kBase;
    };

    void Make(const std::string& folder, const std::string& name, const Side& side)
    {
        const std::string path = folder + "/" + name;
        if (side.kind == Kind::None)
            return;
        if (side.kind == Kind::Folder)
            tree.MakeDir(path);
        else
            tree.MakeFile(path, side.bytes);
        SetTimes(tree.Path(path), side.seconds, side.seconds);
    }

    static Names Sorted(Names names)
    {
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string leftDir = tree.MakeDir("data/left");
    std::string rightDir = tree.MakeDir("data/right");
};

// One pair of folders holding every kind of pair, compared both ways with folders
// selectable and not.
TEST_F(PaneCompareTest, SynchronizeAndLocateIdentical)
{
    using enum Kind;
    struct Pair {
        const char* name;
        Side left, right;
        bool syncLeft, syncRight, sameLeft, sameRight; // selected by F9 / by Ctrl+F9
    };
    const Pair pairs[] = {
        {"same", {File, "abc"}, {File, "abc"}, false, false, true, true},
        {"right_later", {File, "abc"}, {File, "abc", kBase + 10}, false, true, false, false},
        {"two_seconds_later", {File, "abc"}, {File, "abc", kBase + 2}, false, false, true, true},
        {"two_seconds_earlier", {File, "abc", kBase + 2}, {File, "abc"}, false, false, true, true},
        {"three_seconds_later", {File, "abc"}, {File, "abc", kBase + 3}, false, true, false, false},
        {"left_later", {File, "abc", kBase + 60}, {File, "abc"}, true, false, false, false},
        {"size_differs", {File, "abc"}, {File, "abcd"}, false, false, false, false},
        {"only_left", {File, "x"}, {}, true, false, false, false},
        {"only_right", {}, {File, "x"}, false, true, false, false},
        {"Case", {File, "x"}, {}, true, false, false, false},
        {"case", {}, {File, "x"}, false, true, false, false},
        {"folder_vs_file", {Folder, ""}, {File, "", kBase + 100}, true, false, false, false},
        {"folder_vs_close_file", {Folder, ""}, {File, "", kBase + 1}, false, false, true, true},
        {"folders_same", {Folder, ""}, {Folder, ""}, false, false, true, true},
        {"folder_only_left", {Folder, ""}, {}, true, false, false, false},
    };
    for (const Pair& pair : pairs) {
        Make("data/left", pair.name, pair.left);
        Make("data/right", pair.name, pair.right);
    }
    // lengths alike in their low 32 bits are still different lengths
    Make("data/left", "huge", {File, "abc"});
    Make("data/right", "huge", {File, "abc"});
    SetFileSize(tree.Path("data/right/huge"), (off_t{1} << 32) + 3);
    SetTimes(tree.Path("data/right/huge"), kBase, kBase);

    for (const bool withFolders : {true, false}) {
        SCOPED_TRACE(withFolders ? "folders selectable" : "files only");
        general.selectIncFolders = withFolders;
        MakePanes(leftDir, rightDir);
        for (const int command : {cmd::kSynchronize, cmd::kLocateIdentical}) {
            SCOPED_TRACE(command == cmd::kSynchronize ? "Synchronize" : "Locate identical");
            const bool sync = command == cmd::kSynchronize;
            Names expectLeft, expectRight;
            for (const Pair& pair : pairs) {
                const bool folderLeft = pair.left.kind == Folder, folderRight = pair.right.kind == Folder;
                if ((sync ? pair.syncLeft : pair.sameLeft) && (withFolders || !folderLeft))
                    expectLeft.push_back(pair.name);
                if ((sync ? pair.syncRight : pair.sameRight) && (withFolders || !folderRight))
                    expectRight.push_back(pair.name);
            }
            Select(*left, {"only_left"}); // replaced, not added to
            router.Execute(command);
            EXPECT_EQ(Sorted(SelectedNames(*left)), Sorted(expectLeft));
            EXPECT_EQ(Sorted(SelectedNames(*right)), Sorted(expectRight));
            EXPECT_EQ(status.Last(), sync ? QStringLiteral("Differing items identified and selected for further action.")
                                          : QStringLiteral("Identical items identified and selected for further action."));
            EXPECT_FALSE(status.LastIsAlert());
        }
        EXPECT_TRUE(prompts.Log().empty());
        ClosePanes();
    }
}

// What is said when nothing is selected; the questions asked first, and No to either
// leaves everything as it was. Hidden items of the other pane still pair.
TEST_F(PaneCompareTest, QuestionsAndEmptyOutcomes)
{
    Make("data/left", "a.txt", {Kind::File, "1"});
    Make("data/right", "a.txt", {Kind::File, "1"});
    Make("data/right", "b.doc", {Kind::File, "2"});
    Make("data/left", "b.doc", {Kind::File, "2"});
    tree.MakeDir("data/empty");
    MakePanes(leftDir, rightDir);

    router.Execute(cmd::kSynchronize);
    EXPECT_EQ(status.Last(), QStringLiteral("The contents of the two folders seem identical"));

    right->SetFilterText("*.txt");
    Select(*left, {"a.txt"});
    const std::size_t said = status.messages.size();
    prompts.AnswerYesNo(false);
    router.Execute(cmd::kLocateIdentical);
    EXPECT_EQ(prompts.Texts(ScriptedPrompts::Kind::YesNo),
              QStringList{"The two panes have different visual filters.\nThe synchronization may be incomplete.\n"
                          "Continue anyway?\n"});
    EXPECT_EQ(SelectedNames(*left), Names{"a.txt"});
    EXPECT_EQ(status.messages.size(), said);

    // yes to both questions: the filtered-out b.doc of the right still pairs with the left's
    prompts.ClearLog();
    general.fileDateUzed = 1;
    prompts.AnswerYesNo(true);
    prompts.AnswerYesNo(true);
    router.Execute(cmd::kLocateIdentical);
    ASSERT_EQ(prompts.Texts(ScriptedPrompts::Kind::YesNo).size(), 2);
    EXPECT_TRUE(prompts.Texts(ScriptedPrompts::Kind::YesNo)[1].startsWith("The file dates shown are NOT"));
    EXPECT_EQ(Sorted(SelectedNames(*left)), (Names{"a.txt", "b.doc"}));

    general.fileDateUzed = 0;
    right->SetFilterText("*");
    ASSERT_TRUE(right->GoToFolder(IdOf(tree.Path("data/empty"))));
    router.Execute(cmd::kLocateIdentical);
    EXPECT_TRUE(SelectedNames(*left).empty());
    EXPECT_EQ(status.Last(), QStringLiteral("No common items shared between the folders"));

    // one folder in both panes: nothing to compare, the commands are off
    ASSERT_TRUE(right->GoToFolder(IdOf(leftDir)));
    CommandState state;
    for (const int command : {cmd::kSynchronize, cmd::kLocateIdentical}) {
        ASSERT_TRUE(left->OnUpdateCommand(command, state));
        EXPECT_FALSE(state.enabled) << command;
    }
}

// Sync on Content selects in the active pane the files whose bytes differ, and only
// those; a FIFO is never opened.
TEST_F(PaneCompareTest, SyncOnContent)
{
    using enum Kind;
    struct Pair {
        const char* name;
        Side left, right;
        bool selected;
    };
    const Pair pairs[] = {
        {"same", {File, "abcdef"}, {File, "abcdef", kBase + 100}, false},
        {"last_byte", {File, "abcdef"}, {File, "abcdeX"}, true},
        {"empty", {File, ""}, {File, ""}, false},
        {"length", {File, "abc"}, {File, "abcd"}, true},
        {"only_here", {File, "abc"}, {}, true},
        {"Same", {File, "abc"}, {}, true}, // no case-folded pairing
        {"folders", {Folder, ""}, {Folder, ""}, false},
        {"folder_vs_file", {Folder, ""}, {File, ""}, true},
    };
    for (const Pair& pair : pairs) {
        Make("data/left", pair.name, pair.left);
        Make("data/right", pair.name, pair.right);
    }
    ASSERT_EQ(::mkfifo(tree.Path("data/left/pipe").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(tree.Path("data/right/pipe").c_str(), 0600), 0);
    general.selectIncFolders = true;
    MakePanes(leftDir, rightDir);
    Select(*left, {"same", "pipe"});
    Select(*right, {"same"});

    router.Execute(cmd::kSyncOnContent);
    Names expected;
    for (const Pair& pair : pairs) {
        if (pair.selected)
            expected.push_back(pair.name);
    }
    EXPECT_EQ(Sorted(SelectedNames(*left)), Sorted(expected));
    EXPECT_EQ(SelectedNames(*right), Names{"same"}); // the other pane is not touched
    EXPECT_EQ(status.progress.back(), QStringLiteral("Comparing contents... (ESC to abort)"));
    EXPECT_EQ(status.Last(), QStringLiteral("Differing items identified and selected for further action."));
    EXPECT_TRUE(status.LastIsAlert());

    // the right pane active: the same pairs differ, but the right holds no one-sided files
    pair.SetActivePane(right);
    general.selectIncFolders = false;
    router.Execute(cmd::kSyncOnContent);
    EXPECT_EQ(Sorted(SelectedNames(*right)), (Names{"folder_vs_file", "last_byte", "length"}));

    tree.MakeFile("data/left/folders/one", "1");
    tree.MakeFile("data/right/folders/one", "1");
    ASSERT_TRUE(left->GoToFolder(IdOf(leftDir + "/folders")) && right->GoToFolder(IdOf(rightDir + "/folders")));
    router.Execute(cmd::kSyncOnContent);
    EXPECT_TRUE(SelectedNames(*right).empty());
    EXPECT_EQ(status.Last(), QStringLiteral("All files are identical with matching files in the other pane."));
    EXPECT_TRUE(status.LastIsAlert());
}

// Escape during Sync on Content ends it inside the file being read: the rows answered
// before keep their new state, that file and the rows after it their old one.
TEST_F(PaneCompareTest, EscapeStopsSyncOnContent)
{
    tree.MakeFile("data/left/a", "1");
    tree.MakeFile("data/right/a", "2");
    for (const std::string side : {"data/left/b", "data/right/b"})
        SetFileSize(tree.MakeFile(side, ""), off_t{8} << 30); // all holes: slow to read, nothing on disk
    tree.MakeFile("data/left/c", "1");
    tree.MakeFile("data/right/c", "2");
    MakePanes(leftDir, rightDir);
    SortBy(*left, cmd::kSortByName, true);
    Select(*left, {"b"});

    // a's answer is in once the bar has moved a third of the way
    QTimer escape;
    QObject::connect(&escape, &QTimer::timeout, [&] {
        if (status.progressSteps >= 3) {
            escape.stop();
            QTest::keyClick(window.get(), Qt::Key_Escape);
        }
    });
    escape.start(5);
    router.Execute(cmd::kSyncOnContent);

    EXPECT_EQ(SelectedNames(*left), (Names{"a", "b"}));
    EXPECT_EQ(status.Last(), QStringLiteral("Differing items identified and selected for further action."));
    EXPECT_GE(status.progressHidden, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return jobs.Count() <= 2; }, 10000)); // the panes' watchers
}

} // namespace
} // namespace bivora::test
