// Copy to, Move to, Delete and the transfer into a folder, on real files.
#include "pane_fixture.h"

#include "shell/working_directory.h"
#include "ui/commands/command_ids.h"
#include "ui/pane/file_transfer.h"
#include "ui/pane/target_folder_dlg.h"
#include "ui/platform/clipboard_items.h"
#include "ui/widgets/sort_list_ctrl.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace bivora::test {
namespace {

using Names = std::vector<std::string>;

Names Sorted(Names names)
{
    std::sort(names.begin(), names.end());
    return names;
}

// Every entry of a folder, hidden ones too.
Names Listing(const std::string& folder)
{
    Names names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return Sorted(names);
}

std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class PaneFileOpsTest : public PaneFixture {
protected:
    // The command as a key with these modifiers would start it.
    bool Run(int id, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        keyboard.SetModifiers(modifiers);
        const bool ran = router.Execute(id);
        keyboard.SetModifiers(Qt::NoModifier);
        return ran;
    }
    std::string Focused(const PaneView& pane) const
    {
        const ShellItem* item = pane.ItemAt(pane.List().FocusedRow());
        return item ? item->Name() : std::string();
    }
    bool WatchingBoth() const { return left->Folder()->watchRefresh && right->Folder()->watchRefresh; }

    std::string src = tree.MakeDir("data/src");
    std::string dst = tree.MakeDir("data/dst");
};

TEST_F(PaneFileOpsTest, CopyToSelectsTheArrivalsInTheTargetAndUnselectsThemInTheSource)
{
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        tree.MakeFile(std::string("data/src/") + name, name);
    tree.MakeFile("data/dst/old.txt");
    MakePanes(src, dst);
    Select(*right, {"old.txt"});
    Select(*left, {"a.txt", "c.txt"});

    ASSERT_TRUE(Run(cmd::kCopyTo, Qt::ControlModifier));

    EXPECT_EQ(Listing(dst), (Names{"a.txt", "c.txt", "old.txt"}));
    EXPECT_EQ(Read(dst + "/c.txt"), "c.txt");
    EXPECT_EQ(Listing(src), (Names{"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(Sorted(SelectedNames(*right)), (Names{"a.txt", "c.txt", "old.txt"}));
    EXPECT_TRUE(Focused(*right) == "a.txt" || Focused(*right) == "c.txt") << Focused(*right);
    EXPECT_TRUE(SelectedNames(*left).empty());
    EXPECT_TRUE(WatchingBoth());
    EXPECT_TRUE(left->IsConsistent() && right->IsConsistent());
}

TEST_F(PaneFileOpsTest, MoveToThroughTheDialogTakesTheItemsOutOfTheSource)
{
    for (const char* name : {"a", "b", "c"})
        tree.MakeFile(std::string("data/src/") + name, name);
    MakePanes(src, data);
    Select(*left, {"a", "b"});
    QString shownSource;
    QString okCaption;
    prompts.AnswerDialog([&](QDialog& dialog) {
        shownSource = dialog.findChild<QLineEdit*>(QStringLiteral("source"))->text();
        okCaption = dialog.findChild<QPushButton*>(QStringLiteral("ok"))->text();
        // the other pane's folder is proposed; the user types another
        EXPECT_EQ(dialog.findChild<QComboBox*>(QStringLiteral("target"))->currentText().toStdString(), data);
        dialog.findChild<QComboBox*>(QStringLiteral("target"))->setEditText(QString::fromStdString(dst + "  "));
        dialog.accept();
        return dialog.result();
    });

    ASSERT_TRUE(Run(cmd::kMoveTo));

    EXPECT_EQ(shownSource.toStdString(), src);
    EXPECT_EQ(okCaption, QStringLiteral("&Move"));
    EXPECT_EQ(Listing(src), Names{"c"});
    EXPECT_EQ(Listing(dst), (Names{"a", "b"}));
    EXPECT_EQ(RowNames(*left), Names{"c"});
    ASSERT_TRUE(shared.targetFolderHistoryLoaded);
    EXPECT_EQ(*shared.targetFolderHistory.First(), dst);
    // a pane showing neither folder is left as it was
    EXPECT_EQ(Sorted(RowNames(*right)), (Names{"dst", "src"}));
    EXPECT_TRUE(WatchingBoth());
}

TEST_F(PaneFileOpsTest, DirectTransfersWithinOneFolder)
{
    tree.MakeFile("data/src/a.txt", "a");
    MakePanes(src, src);
    Select(*left, {"a.txt"});

    ASSERT_TRUE(Run(cmd::kMoveTo, Qt::ControlModifier));
    EXPECT_TRUE(status.LastIsAlert());
    EXPECT_EQ(status.Last(), QStringLiteral("Move requires a different target folder; try the 'Rename' command"));

    ASSERT_TRUE(Run(cmd::kCopyTo, Qt::ControlModifier));
    EXPECT_EQ(Listing(src), (Names{"a (copy).txt", "a.txt"}));
    EXPECT_EQ(Read(src + "/a (copy).txt"), "a");
    EXPECT_EQ(Sorted(SelectedNames(*left)), (Names{"a (copy).txt", "a.txt"}));
    EXPECT_EQ(Focused(*left), "a (copy).txt");
    EXPECT_TRUE(prompts.Log().empty());
}

TEST_F(PaneFileOpsTest, TheDialogRefusesWhatIsNoTargetAndStaysOpen)
{
    const std::string file = tree.MakeFile("data/src/file.txt");
    ASSERT_TRUE(ChangeCurrentDirectory(data));
    const struct {
        std::string text;
        bool copy;
        const char* message; // nullptr: accepted
        std::string target;
    } cases[] = {
        {"", true, "The target folder field should not be empty.", {}},
        {"  \t ", true, "The target folder field should not be empty.", {}},
        {data + "/nowhere", true, "The specified target folder is invalid.", {}},
        {file, true, "The specified target folder is invalid.", {}},
        {src, false, "Target folder must be different from Source in Move command", {}},
        {"src/../src", false, "Target folder must be different from Source in Move command", {}},
        {src, true, nullptr, src},
        {"dst", false, nullptr, dst},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        prompts.ClearLog();
        HistoryList history;
        TargetFolderDlg dialog(nullptr, prompts, jobs, ns, general, history, shared.driveFolders, src, c.text, c.copy);
        dialog.findChild<QComboBox*>(QStringLiteral("target"))->setEditText(QString::fromStdString(c.text));
        dialog.accept();
        const QStringList messages = prompts.Texts(ScriptedPrompts::Kind::Message);
        if (c.message) {
            EXPECT_EQ(dialog.result(), QDialog::Rejected);
            EXPECT_EQ(messages, QStringList{QString::fromUtf8(c.message)});
            EXPECT_EQ(history.Count(), 0u);
        } else {
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_TRUE(messages.isEmpty());
            EXPECT_EQ(dialog.Target(), c.target);
            EXPECT_EQ(history.Entries(), Names{c.target});
        }
    }
}

TEST_F(PaneFileOpsTest, DeleteGoesToTheTrashAndShiftDeleteAsksFirst)
{
    for (const char* name : {"a", "b", "c"})
        tree.MakeFile(std::string("data/src/") + name, name);
    MakePanes(src, dst);

    // Del with nothing selected does nothing
    left->List().SelectionModel()->clearSelection();
    QTest::keyClick(left->List().CurrentView(), Qt::Key_Delete);
    EXPECT_EQ(Listing(src), (Names{"a", "b", "c"}));

    Select(*left, {"a"});
    QTest::keyClick(left->List().CurrentView(), Qt::Key_Delete);
    EXPECT_EQ(Listing(src), (Names{"b", "c"}));
    EXPECT_EQ(Read(env.xdgDataHome + "/Trash/files/a"), "a");
    EXPECT_EQ(Sorted(RowNames(*left)), (Names{"b", "c"}));
    EXPECT_TRUE(prompts.Log().empty());

    Select(*left, {"b"});
    prompts.AnswerYesNo(false);
    ASSERT_TRUE(Run(cmd::kDelete, Qt::ShiftModifier));
    EXPECT_EQ(Listing(src), (Names{"b", "c"}));
    const QStringList asked = prompts.Texts(ScriptedPrompts::Kind::YesNo);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains(QStringLiteral("'b'")));

    prompts.AnswerYesNo(true);
    ASSERT_TRUE(Run(cmd::kDelete, Qt::ShiftModifier));
    EXPECT_EQ(Listing(src), Names{"c"});
    EXPECT_EQ(RowNames(*left), Names{"c"});
    EXPECT_EQ(Listing(env.xdgDataHome + "/Trash/files"), Names{"a"});
    EXPECT_TRUE(WatchingBoth());
}

TEST_F(PaneFileOpsTest, ACollisionIsAskedAboutOnlyWithConfirmation)
{
    const struct {
        bool askConfirmation;
        int answer; // the button: 0 Yes, 2 No
        const char* kept;
        int questions;
    } cases[] = {{true, 2, "old", 1}, {true, 0, "new", 1}, {false, -1, "new", 0}};
    tree.MakeFile("data/src/a");
    MakePanes(src, dst);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        tree.MakeFile("data/src/a", "new");
        tree.MakeFile("data/dst/a", "old");
        general.askConfirmation = c.askConfirmation;
        prompts.ClearLog();
        if (c.answer >= 0)
            prompts.AnswerChoice(c.answer);
        Select(*left, {"a"});
        ASSERT_TRUE(Run(cmd::kCopyTo, Qt::ControlModifier));
        EXPECT_EQ(Read(dst + "/a"), c.kept);
        EXPECT_EQ(prompts.Texts(ScriptedPrompts::Kind::Choice).size(), c.questions);
        EXPECT_EQ(Listing(dst), Names{"a"});
    }
}

// Escape during a large copy: the copy stops, and no partial file stands in the target.
TEST_F(PaneFileOpsTest, ACancelledCopyLeavesNoPartialFile)
{
    constexpr std::size_t kSize = 64u << 20;
    {
        std::ofstream out(tree.Path("data/src/big.bin"), std::ios::binary);
        const std::string block(1 << 20, 'q');
        for (std::size_t n = 0; n < kSize / block.size(); ++n)
            out << block;
    }
    MakePanes(src, dst);
    Select(*left, {"big.bin"});
    QCoreApplication::postEvent(left->List().CurrentView(),
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    ASSERT_TRUE(Run(cmd::kCopyTo, Qt::ControlModifier));

    const Names arrived = Listing(dst);
    EXPECT_TRUE(arrived.empty()
                || (arrived == Names{"big.bin"} && std::filesystem::file_size(dst + "/big.bin") == kSize))
        << arrived.front();
    EXPECT_EQ(std::filesystem::file_size(src + "/big.bin"), kSize);
    EXPECT_TRUE(WatchingBoth());
}

// Paste takes the clipboard's items; a move empties it. A drop's items stay on the clipboard.
TEST_F(PaneFileOpsTest, PasteAndDropTransferIntoAFolder)
{
    tree.MakeFile("data/src/cut.txt", "1");
    tree.MakeFile("data/src/dropped.txt", "2");
    MakePanes(src, dst);
    PutItemsOnClipboard({src + "/cut.txt"}, kEffectMove);
    ASSERT_TRUE(PasteIntoFolder(*right, 0, nullptr, dst, true));
    EXPECT_EQ(Listing(dst), Names{"cut.txt"});
    EXPECT_EQ(SelectedNames(*right), Names{"cut.txt"});
    EXPECT_EQ(RowNames(*left), Names{"dropped.txt"});
    EXPECT_FALSE(ClipboardItems().has_value());

    ItemTransfer drop;
    drop.paths = {src + "/dropped.txt"};
    drop.effect = kEffectCopy | kEffectMove;
    ASSERT_TRUE(PasteIntoFolder(*right, 0, &drop, dst, true));
    EXPECT_EQ(Listing(dst), (Names{"cut.txt", "dropped.txt"}));
    EXPECT_EQ(Listing(src), Names{"dropped.txt"});
    const std::optional<ItemTransfer> onClipboard = ClipboardItems();
    ASSERT_TRUE(onClipboard.has_value());
    EXPECT_EQ(onClipboard->paths, drop.paths);

    // nothing usable to paste: nothing done; a paste the user asked for hears of it,
    // a drop does not
    ClearClipboard();
    status.messages.clear();
    EXPECT_FALSE(PasteIntoFolder(*right, 0, nullptr, dst, false));
    EXPECT_FALSE(status.Said(QStringLiteral("This computer won't comply with your demands")));
    EXPECT_FALSE(PasteIntoFolder(*right, 0, nullptr, dst, true));
    EXPECT_TRUE(status.Said(QStringLiteral("This computer won't comply with your demands")));
    EXPECT_EQ(Listing(dst), (Names{"cut.txt", "dropped.txt"}));
}

} // namespace
} // namespace bivora::test
