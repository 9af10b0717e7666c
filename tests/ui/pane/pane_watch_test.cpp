// The pane's folder watcher: changes made by other programs show without a Refresh
// command, and a message about a folder the pane has left is ignored.
#include "pane_fixture.h"

#include "shell/directory_reader.h"
#include "ui/pane/folder_changed_event.h"
#include "../wait_until.h"

#include <QCoreApplication>
#include <QTest>

#include <filesystem>
#include <map>
#include <mutex>

namespace bivora::test {
namespace {

constexpr int kGenerousMs = 20000;

class PaneWatchTest : public PaneFixture {
protected:
    // Counts the reads of each directory (the pane's reads and refreshes run on workers).
    void CountReads()
    {
        ns.SetDirectoryReader([this](const std::string& path, std::uint32_t flags, const std::atomic<bool>* cancel,
                                     const std::function<void(FindData&&)>& sink) {
            {
                std::lock_guard lock(m_readsMutex);
                ++m_reads[path];
            }
            return ReadDirectory(path, flags, cancel, sink);
        });
    }
    int Reads(const std::string& path)
    {
        std::lock_guard lock(m_readsMutex);
        return m_reads[path];
    }

private:
    std::mutex m_readsMutex;
    std::map<std::string, int> m_reads;
};

// Both panes show the folder; a file another program makes appears in each, one it
// removes leaves each, and rows and records agree afterwards.
TEST_F(PaneWatchTest, ChangesOnDiskShowWithoutARefreshCommand)
{
    tree.MakeFile("data/stays.txt", "1");
    tree.MakeFile("data/goes.txt", "22");
    MakePanes(data, data);
    ASSERT_NE(ItemNamed(*left, "goes.txt"), nullptr);

    tree.MakeFile("data/arrives.txt", "333");
    std::filesystem::remove(tree.Path("data/goes.txt"));
    for (PaneView* pane : {left, right}) {
        WAIT_UNTIL(ItemNamed(*pane, "arrives.txt") && !ItemNamed(*pane, "goes.txt"), kGenerousMs);
        EXPECT_NE(ItemNamed(*pane, "stays.txt"), nullptr);
        EXPECT_EQ(pane->ByteTotal(), 4u);
        EXPECT_TRUE(pane->IsConsistent());
    }
}

// The pane moves on while a burst in its old folder settles: the old watcher is
// stopped with its folder, and a message about the old folder that was already on its
// way re-reads nothing. The new folder's own watcher works.
TEST_F(PaneWatchTest, MessageAboutAFolderLeftIsIgnored)
{
    const std::string other = tree.MakeDir("other");
    tree.MakeFile("other/here.txt");
    CountReads();
    MakePanes(data, data);
    const std::uint64_t oldGeneration = left->FolderGeneration();

    tree.MakeFile("data/burst.txt"); // settles after the left pane has left
    ASSERT_TRUE(left->GoToFolder(IdOf(other)));
    ASSERT_EQ(Reads(other), 1);
    QCoreApplication::postEvent(left, new FolderChangedEvent(oldGeneration));
    QCoreApplication::sendPostedEvents(left, FolderChangedEvent::kType);
    EXPECT_EQ(Reads(other), 1);
    EXPECT_EQ(RowNames(*left), std::vector<std::string>{"here.txt"});

    // the right pane, still in the old folder, sees the burst; the left one its new folder
    WAIT_UNTIL(ItemNamed(*right, "burst.txt"), kGenerousMs);
    tree.MakeFile("other/new.txt");
    WAIT_UNTIL(ItemNamed(*left, "new.txt"), kGenerousMs);
    EXPECT_EQ(ItemNamed(*left, "burst.txt"), nullptr);
    EXPECT_TRUE(left->IsConsistent());
}

} // namespace
} // namespace bivora::test
