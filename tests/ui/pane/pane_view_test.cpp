#include "pane_fixture.h"

#include "ui/widgets/sort_list_ctrl.h"
#include "ui/commands/command_ids.h"
#include "ui/pane/folder_changed_event.h"
#include "ui/pane/pane_caption.h"
#include "base/row_order.h"
#include "base/text_forms.h"

#include "../../shell/test_files.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace bivora::test {
namespace {

using Names = std::vector<std::string>;

class PaneViewTest : public PaneFixture {};

TEST_F(PaneViewTest, RowsFollowTheRowOrderUnderEveryKey)
{
    tree.MakeDir("data/beta");
    tree.MakeDir("data/Alpha");
    tree.MakeFile("data/notes.txt");
    tree.MakeFile("data/a.tar.gz");
    tree.MakeFile("data/Makefile");
    tree.MakeFile("data/b.TXT");
    MakePanes(data, data);

    SortBy(*left, cmd::kSortByType, true);
    EXPECT_EQ(RowNames(*left), (Names{"Alpha", "beta", "Makefile", "a.tar.gz", "b.TXT", "notes.txt"}));
    SortBy(*left, cmd::kSortByType, false);
    EXPECT_EQ(RowNames(*left), (Names{"notes.txt", "b.TXT", "a.tar.gz", "Makefile", "beta", "Alpha"}));
    SortBy(*left, cmd::kSortByName, true);
    EXPECT_EQ(RowNames(*left), (Names{"Alpha", "beta", "a.tar.gz", "b.TXT", "Makefile", "notes.txt"}));
    EXPECT_TRUE(left->IsConsistent());
}

TEST_F(PaneViewTest, SizesAndTotalsAreWholeSixtyFourBitNumbers)
{
    const std::string small = tree.MakeFile("data/small", "x");
    const std::string three = tree.MakeFile("data/three");
    const std::string six = tree.MakeFile("data/six");
    SetFileSize(three, 3LL << 30);
    SetFileSize(six, 6LL << 30);
    MakePanes(data, data);

    SortBy(*left, cmd::kSortBySize, true);
    EXPECT_EQ(RowNames(*left), (Names{"small", "three", "six"}));
    SortBy(*left, cmd::kSortBySize, false);
    EXPECT_EQ(RowNames(*left), (Names{"six", "three", "small"}));
    EXPECT_EQ(left->ByteTotal(), (9ULL << 30) + 1);
    EXPECT_TRUE(left->StatusText().startsWith(QStringLiteral("3 Objects, 9,663,676,417 bytes in total (")));
    Select(*left, {"six", "three"});
    EXPECT_EQ(left->StatusText(), QStringLiteral("2 objects selected, 9,663,676,416 bytes in total"));
}

TEST_F(PaneViewTest, DateOrderPutsTheNewestFirstWhenAscending)
{
    SetTimes(tree.MakeFile("data/old"), 1000000000, 1000000000);
    SetTimes(tree.MakeFile("data/new"), 1700000000, 1000000000);
    SetTimes(tree.MakeFile("data/mid"), 1500000000, 1000000000);
    SetTimes(tree.MakeFile("data/mid2"), 1500000000, 1000000000);
    MakePanes(data, data);

    SortBy(*left, cmd::kSortByDate, true);
    EXPECT_EQ(RowNames(*left), (Names{"new", "mid", "mid2", "old"}));
    SortBy(*left, cmd::kSortByDate, false);
    EXPECT_EQ(RowNames(*left), (Names{"old", "mid2", "mid", "new"}));
}

TEST_F(PaneViewTest, FilterHidesFilesButNotFoldersAlsoAfterARefresh)
{
    tree.MakeFile("data/a.txt");
    tree.MakeFile("data/b.doc");
    tree.MakeDir("data/sub");
    MakePanes(data, data);
    left->SetFilterText("*.txt");
    SortBy(*left, cmd::kSortByName, true);
    EXPECT_EQ(RowNames(*left), (Names{"sub", "a.txt"}));
    EXPECT_EQ(left->Caption().DisplayedText(), QString::fromStdString(data + " [*.txt]"));

    tree.MakeDir("data/newdir");
    tree.MakeFile("data/c.doc");
    tree.MakeFile("data/d.txt");
    ASSERT_TRUE(left->RefreshPane(false));
    SortBy(*left, cmd::kSortByName, true);
    EXPECT_EQ(RowNames(*left), (Names{"newdir", "sub", "a.txt", "d.txt"}));
    ASSERT_NE(ItemNamed(*left, "c.doc"), nullptr);
    EXPECT_EQ(left->RowOf(ItemNamed(*left, "c.doc")), -1);
    EXPECT_TRUE(left->IsConsistent());

    left->SetFilterText(",,,");
    EXPECT_EQ(left->FilterText(), "*");
    EXPECT_EQ(RowNames(*left).size(), 6u);
    EXPECT_TRUE(left->IsConsistent());
}

TEST_F(PaneViewTest, RefreshSelectsArrivalsRemovesVanishedAndRewritesChanged)
{
    tree.MakeFile("data/a.txt", "1");
    tree.MakeFile("data/b.txt", "22");
    const std::string c = tree.MakeFile("data/c.txt", "333");
    MakePanes(data, data);
    SortBy(*left, cmd::kSortByName, true);
    const int cRow = left->FocusName("c.txt", false);
    EXPECT_EQ(left->Model().SizeText(cRow), QStringLiteral("3"));

    std::filesystem::remove(data + "/b.txt");
    AppendBytes(c, 1000);
    tree.MakeFile("data/d.txt", "4444");
    Names names;
    ASSERT_TRUE(left->RefreshPane(true, &names));

    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Names{"c.txt", "d.txt"}));
    Names rows = RowNames(*left);
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (Names{"a.txt", "c.txt", "d.txt"}));
    Names selected = SelectedNames(*left);
    std::sort(selected.begin(), selected.end());
    EXPECT_EQ(selected, (Names{"c.txt", "d.txt"}));
    EXPECT_EQ(left->Model().SizeText(left->RowOf(ItemNamed(*left, "c.txt"))), QStringLiteral("1,003"));
    EXPECT_EQ(left->ByteTotal(), 1u + 1003u + 4u);
    EXPECT_TRUE(left->IsConsistent());

    // after a copy, the source pane unselects what was copied
    Select(*left, {"a.txt", "c.txt", "d.txt"});
    Names copied{"a.txt", "d.txt"};
    ASSERT_TRUE(left->RefreshPane(false, &copied));
    EXPECT_EQ(SelectedNames(*left), (Names{"c.txt"}));
}

TEST_F(PaneViewTest, RefreshCommandReportsAndAltRefreshesTheOtherPane)
{
    tree.MakeFile("data/a");
    const std::string other = tree.MakeDir("other");
    MakePanes(data, other);

    tree.MakeFile("other/new");
    ASSERT_TRUE(router.Execute(cmd::kRefresh));
    EXPECT_EQ(status.Last(), QStringLiteral("Left pane contents have been refreshed"));
    EXPECT_FALSE(status.LastIsAlert());
    EXPECT_EQ(RowNames(*right), Names{});

    keyboard.SetModifiers(Qt::AltModifier);
    ASSERT_TRUE(router.Execute(cmd::kRefresh));
    keyboard.SetModifiers(Qt::NoModifier);
    EXPECT_EQ(status.Last(), QStringLiteral("Right pane contents have been refreshed"));
    EXPECT_EQ(RowNames(*right), Names{"new"});
}

TEST_F(PaneViewTest, AFolderThatVanishedSendsThePaneToTheDesktop)
{
    const std::string doomed = tree.MakeDir("data/doomed");
    tree.MakeFile("data/doomed/x");
    MakePanes(doomed, data);
    std::filesystem::remove_all(doomed);

    ASSERT_TRUE(router.Execute(cmd::kRefresh));
    EXPECT_EQ(status.Last(), QStringLiteral("Refresh has failed; stale-ness is triumphant again"));
    ASSERT_NE(left->Folder(), nullptr);
    EXPECT_TRUE(left->Folder()->Id().IsEmpty());
    EXPECT_TRUE(left->IsConsistent());
}

TEST_F(PaneViewTest, AFailedReadKeepsTheOldFolderAndRows)
{
    tree.MakeFile("data/keep");
    const std::string gone = tree.MakeDir("gone");
    MakePanes(data, data);
    const ItemIdList goneId = IdOf(gone);
    std::filesystem::remove_all(gone);

    EXPECT_FALSE(left->GoToFolder(goneId));
    EXPECT_TRUE(status.LastIsAlert());
    EXPECT_EQ(status.Last(), QStringLiteral("Reading from '%1' has failed: %2")
                                 .arg(QString::fromStdString(gone), QString::fromLocal8Bit(std::strerror(ENOENT))));
    EXPECT_EQ(left->Folder()->Path(), data);
    EXPECT_EQ(RowNames(*left), Names{"keep"});
}

TEST_F(PaneViewTest, WatcherMessagesAreDrainedIntoOneRefreshAndStaleOnesIgnored)
{
    MakePanes(data, data);
    // a message about the folder the pane has left, even one at the same path (and
    // perhaps at the same address), is stale
    const std::uint64_t leftBehind = left->FolderGeneration();
    ASSERT_TRUE(left->GoToFolder(IdOf(data)));
    tree.MakeFile("data/arrived");
    QCoreApplication::postEvent(left, new FolderChangedEvent(leftBehind));
    QCoreApplication::sendPostedEvents(left, FolderChangedEvent::kType);
    EXPECT_EQ(RowNames(*left), Names{});

    const std::uint64_t folder = left->FolderGeneration();
    QCoreApplication::postEvent(left, new FolderChangedEvent(folder));
    QCoreApplication::postEvent(left, new FolderChangedEvent(folder));
    QCoreApplication::postEvent(left, new FolderChangedEvent());
    // the first one is handled and takes the rest with it
    FolderChangedEvent first(folder);
    QCoreApplication::sendEvent(left, &first);
    EXPECT_EQ(RowNames(*left), Names{"arrived"});
    tree.MakeFile("data/later");
    QCoreApplication::sendPostedEvents(left, FolderChangedEvent::kType);
    EXPECT_EQ(RowNames(*left), Names{"arrived"});
    EXPECT_FALSE(status.Said(QStringLiteral("Left pane contents have been refreshed")));
    EXPECT_TRUE(left->IsConsistent());
}

TEST_F(PaneViewTest, HiddenFilesComeAndGoWithTheSetting)
{
    tree.MakeFile("data/.hidden");
    tree.MakeFile("data/shown");
    MakePanes(data, data);
    EXPECT_EQ(RowNames(*left).size(), 2u);

    ns.SetShowHiddenFiles(false);
    left->ApplySettingsChange(true, false);
    QCoreApplication::sendPostedEvents(left, FolderChangedEvent::kType);
    EXPECT_EQ(RowNames(*left), Names{"shown"});
}

TEST_F(PaneViewTest, DateKindChangeRetitlesTheColumnAndRewritesTheTexts)
{
    const std::string file = tree.MakeFile("data/f");
    SetTimes(file, 1500000000, 1000000000);
    MakePanes(data, data);
    const QString modified = left->Model().DateText(0);

    general.fileDateUzed = 2;
    left->ApplySettingsChange(false, true);
    EXPECT_EQ(left->Model().headerData(2, Qt::Horizontal).toString(), QStringLiteral("Accessed"));
    EXPECT_NE(left->Model().DateText(0), modified);
    EXPECT_EQ(left->Model().DateText(0).toStdString(), DateTimeText(ItemNamed(*left, "f")->accessed));
}

TEST_F(PaneViewTest, ExtensionsHiddenOnlyWhenNoShownNameHasAnExtension)
{
    const std::string plain = tree.MakeDir("plain");
    tree.MakeFile("plain/README");
    tree.MakeFile("plain/Makefile");
    const std::string empty = tree.MakeDir("empty");
    tree.MakeFile("data/a.txt");
    MakePanes(plain, data);
    EXPECT_TRUE(left->ExtensionsHidden());
    EXPECT_FALSE(right->ExtensionsHidden());
    ASSERT_TRUE(left->GoToFolder(IdOf(empty)));
    EXPECT_FALSE(left->ExtensionsHidden());
}

TEST_F(PaneViewTest, OpeningFoldersBrowsesAndFilesStartThroughTheLauncher)
{
    tree.MakeDir("data/sub");
    tree.MakeFile("data/sub/inner");
    const std::string file = tree.MakeFile("data/doc.txt", "hello");
    tree.MakeLink("data/link", data + "/sub");
    MakePanes(data, data);

    // a link to a folder is opened as the folder
    Select(*left, {"link"});
    left->OpenItem(false);
    EXPECT_EQ(RowNames(*left), Names{"inner"});

    ASSERT_TRUE(left->GoToFolder(IdOf(data)));
    Select(*left, {"doc.txt"});
    left->OpenItem(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !launcher.Log().empty(); }, 5000));
    EXPECT_EQ(launcher.Log().front().program, QString::fromStdString(file));

    // no application: a clear alert, nothing hangs
    launcher.SetSucceeds(false);
    left->OpenItem(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return status.LastIsAlert(); }, 5000));
    EXPECT_TRUE(status.Last().contains(QStringLiteral("doc.txt")));

    // double-click without a selection only alerts
    left->List().SelectionModel()->clearSelection();
    left->OpenItem(false);
    EXPECT_EQ(status.Last(), QStringLiteral("No item is selected to act upon"));

    // a pane that goes while its item is being opened is not reported to
    launcher.SetSucceeds(true);
    const std::size_t started = launcher.Log().size();
    Select(*left, {"doc.txt"});
    left->OpenItem(false);
    const std::size_t said = status.messages.size();
    ClosePanes();
    ASSERT_TRUE(QTest::qWaitFor([&] { return jobs.Count() == 0; }, 5000));
    EXPECT_EQ(launcher.Log().size(), started);
    EXPECT_EQ(status.messages.size(), said);
}

} // namespace
} // namespace bivora::test

namespace bivora::test {
namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

// The model sorts on keys gathered from the records; it must order exactly as the
// row order itself does, under every key, direction and date kind.
TEST_F(PaneViewTest, GatheredSortKeysOrderExactlyAsTheRowOrder)
{
    tree.MakeDir("data/Dir");
    tree.MakeDir("data/dir.two");
    SetTimes(tree.MakeFile("data/a.TXT", "12"), 1600000000, 1300000000);
    SetTimes(tree.MakeFile("data/B.txt", "12"), 1600000000, 1200000000);
    SetTimes(tree.MakeFile("data/c.\xc3\xa9t\xc3\xa9", "1"), 1500000000, 1400000000);
    SetTimes(tree.MakeFile("data/d.\xc3\x89T\xc3\x89", "123"), 1700000000, 1100000000);
    tree.MakeFile("data/noext", "");
    tree.MakeLink("data/link", data + "/Dir");
    MakePanes(data, data);
    for (const int dateKind : {0, 2}) {
        general.fileDateUzed = dateKind;
        left->ApplySettingsChange(false, true);
        const PaneModel& model = left->Model();
        for (const int key : {cmd::kSortByName, cmd::kSortByType, cmd::kSortBySize, cmd::kSortByDate}) {
            for (const bool ascending : {true, false}) {
                const std::uint32_t param = static_cast<std::uint32_t>(key) | (ascending ? 0x80000000u : 0u);
                for (int a = 0; a < model.rowCount(); ++a) {
                    for (int b = 0; b < model.rowCount(); ++b) {
                        EXPECT_EQ(Sign(model.CompareRows(a, b, param)),
                                  Sign(CompareRowKeys(model.ItemAt(a)->Key(), model.ItemAt(b)->Key(), param,
                                                      DateKindFromSetting(dateKind))))
                            << key << " " << ascending << " " << model.ItemAt(a)->Name() << " / "
                            << model.ItemAt(b)->Name();
                    }
                }
            }
        }
    }
}

} // namespace
} // namespace bivora::test
