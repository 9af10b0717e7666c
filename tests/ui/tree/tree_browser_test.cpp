// The folder tree over a temporary tree: lazy reads, loops, folders that go, following
// a deep path, a folder that does not answer, and the commands it claims with the focus.
#include "shell/directory_reader.h"
#include "shell/shell_folder.h"
#include "shell/shell_namespace.h"
#include "ui/commands/command_ids.h"
#include "ui/jobs/job_registry.h"
#include "ui/platform/clipboard_items.h"
#include "ui/tree/folder_tree_model.h"
#include "ui/tree/tree_browser.h"

#include "../../shell/temp_tree.h"
#include "../test_services.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <set>

namespace bivora::test {
namespace {

constexpr int kGenerousMs = 20000;

bool WaitFor(const std::function<bool()>& condition)
{
    return QTest::qWaitFor(condition, kGenerousMs);
}

// The directories the namespace has read, and one it holds (as a dead mount would)
// until the gate opens or the read is asked to stop.
struct ReadLog {
    std::mutex mutex;
    std::condition_variable changed;
    std::multiset<std::string> read;
    std::string stuck;
    bool open = false;

    std::size_t Count(const std::string& path)
    {
        std::lock_guard lock(mutex);
        return read.count(path);
    }
};

class TreeBrowserTest : public ::testing::Test {
protected:
    TreeBrowserTest()
    {
        ns.SetDirectoryReader([log = log](const std::string& dir, std::uint32_t flags, const std::atomic<bool>* cancel,
                                          const std::function<void(FindData&&)>& sink) {
            std::unique_lock lock(log->mutex);
            log->read.insert(dir);
            log->changed.notify_all();
            while (dir == log->stuck && !log->open && !(cancel && cancel->load()))
                log->changed.wait_for(lock, std::chrono::milliseconds(5));
            lock.unlock();
            return ReadDirectory(dir, flags, cancel, sink);
        });
        TreeContext context{ns, jobs, nullptr, prompts, keyboard};
        context.browse = [this](const ItemIdList& id) { browsed.push_back(id); };
        context.transfer = [this](int effect, const ItemTransfer* items, const std::string& folder) {
            transfers.push_back({effect, items != nullptr, folder});
            return true;
        };
        context.deleteItems = [this](const std::vector<std::string>& paths, bool permanent) {
            deletes.emplace_back(paths, permanent);
            return true;
        };
        browser = std::make_unique<TreeBrowser>(std::move(context));
        browser->resize(300, 400);
    }

    ItemIdList IdOf(const std::string& path) const { return *ns.ParsePath(path); }
    FolderTreeModel& Model() const { return browser->Model(); }
    QModelIndex Current() const { return browser->currentIndex(); }
    bool At(const std::string& path) const { return Current().isValid() && Model().IdOf(Current()) == IdOf(path); }
    // Shows the tree and walks it to the folder.
    void SyncTo(const std::string& path)
    {
        if (!browser->isVisible())
            browser->show();
        browser->SyncToFolder(IdOf(path));
        ASSERT_TRUE(WaitFor([&] { return At(path); })) << path;
    }
    QStringList ChildTexts(const QModelIndex& node) const
    {
        QStringList texts;
        for (int row = 0; row < Model().rowCount(node); ++row)
            texts << Model().index(row, 0, node).data().toString();
        return texts;
    }
    QModelIndex Child(const QModelIndex& node, const QString& text) const
    {
        for (int row = 0; row < Model().rowCount(node); ++row)
            if (Model().index(row, 0, node).data().toString() == text)
                return Model().index(row, 0, node);
        return {};
    }
    void ExpandAndWait(const QModelIndex& node)
    {
        browser->expand(node);
        ASSERT_TRUE(WaitFor([&] { return Model().StateOf(node) == FolderTreeModel::NodeState::Loaded; }));
    }

    JobRegistry jobs;
    TempTree tree;
    Environment env = tree.MakeEnvironment();
    std::shared_ptr<ShellNamespace> sharedNs = std::make_shared<ShellNamespace>(env);
    ShellNamespace& ns = *sharedNs;
    std::shared_ptr<ReadLog> log = std::make_shared<ReadLog>();
    ScriptedPrompts prompts;
    FakeKeyboardState keyboard;
    std::vector<ItemIdList> browsed;
    struct Transfer {
        int effect;
        bool withItems;
        std::string folder;
    };
    std::vector<Transfer> transfers;
    std::vector<std::pair<std::vector<std::string>, bool>> deletes;
    std::unique_ptr<TreeBrowser> browser;
};

TEST_F(TreeBrowserTest, ReadsANodeOnlyWhenExpandedAndFreesItWhenCollapsed)
{
    const std::string data = tree.MakeDir("data");
    tree.MakeDir("data/b/x");
    tree.MakeDir("data/B2");
    tree.MakeDir("data/a");
    tree.MakeFile("data/file.txt");
    EXPECT_TRUE(log->read.empty()) << "nothing is read before the tree is shown";

    SyncTo(data);
    const QModelIndex node = Current();
    EXPECT_EQ(log->Count(data), 0u) << "the folder synced to is selected, not expanded";
    ExpandAndWait(node);
    // sorted by name without regard to case, folders only
    EXPECT_EQ(ChildTexts(node), (QStringList{"a", "b", "B2"}));
    EXPECT_EQ(log->Count(data), 1u);
    EXPECT_EQ(log->Count(data + "/b"), 0u) << "a child is not read before it is expanded";

    // a folder without sub-folders loses its expand button once it is known
    const QPersistentModelIndex a = Child(node, "a");
    EXPECT_TRUE(WaitFor([&] { return !Model().hasChildren(a); }));
    browser->expand(a);
    EXPECT_TRUE(WaitFor([&] { return !browser->isExpanded(a); }));

    const QPersistentModelIndex b = Child(node, "b");
    ExpandAndWait(b);
    EXPECT_EQ(ChildTexts(b), QStringList{"x"});
    const int open = Model().OpenFolderCount();

    browser->collapse(node);
    EXPECT_EQ(Model().rowCount(node), 0);
    EXPECT_EQ(Model().FolderOf(node), nullptr);
    EXPECT_FALSE(b.isValid()) << "the children went with the collapse";
    EXPECT_EQ(Model().OpenFolderCount(), open - 2);
    EXPECT_TRUE(Model().hasChildren(node)) << "it can be expanded again";

    // hiding the tree frees every folder
    browser->hide();
    EXPECT_EQ(Model().OpenFolderCount(), 0);
}

TEST_F(TreeBrowserTest, ALinkBackToAFolderOnTheWayDoesNotExpand)
{
    const std::string data = tree.MakeDir("data");
    tree.MakeDir("data/a/x");
    const std::string loop = tree.MakeDir("data/loop");
    tree.MakeLink("data/loop/up", "..");        // data itself
    tree.MakeLink("data/loop/self", ".");       // the loop folder
    tree.MakeLink("data/loop/side", "../a");    // elsewhere: expands as any folder

    SyncTo(loop);
    ExpandAndWait(Current());
    const QModelIndex node = Current();
    ASSERT_EQ(ChildTexts(node), (QStringList{"self", "side", "up"}));
    EXPECT_FALSE(Model().hasChildren(Child(node, "up")));
    EXPECT_FALSE(Model().hasChildren(Child(node, "self")));
    const QModelIndex side = Child(node, "side");
    EXPECT_TRUE(Model().hasChildren(side));
    ExpandAndWait(side);
    EXPECT_EQ(ChildTexts(side), QStringList{"x"});

    // the loop's node keeps its place when the pane goes there through it
    browser->setCurrentIndex(Child(node, "up"));
    browser->SyncToFolder(Model().IdOf(Current()));
    EXPECT_EQ(Current().data().toString(), "up");
}

TEST_F(TreeBrowserTest, FoldersThatGoLoseTheirNodes)
{
    const std::string data = tree.MakeDir("data");
    tree.MakeDir("data/a/x");
    tree.MakeDir("data/a/y");
    tree.MakeDir("data/keep");
    SyncTo(data);
    const QPersistentModelIndex node = Current();
    ExpandAndWait(node);
    const QPersistentModelIndex a = Child(node, "a");
    ExpandAndWait(a);
    ASSERT_EQ(ChildTexts(a), (QStringList{"x", "y"}));

    tree.MakeDir("data/a/new");
    std::filesystem::remove(tree.Path("data/a/x"));
    EXPECT_TRUE(WaitFor([&] { return ChildTexts(a) == QStringList({"new", "y"}); })) << ChildTexts(a).join(",").toStdString();
    // links to folders come and go as folders do
    tree.MakeLink("data/a/link", "../keep");
    EXPECT_TRUE(WaitFor([&] { return ChildTexts(a) == QStringList({"link", "new", "y"}); })) << ChildTexts(a).join(",").toStdString();
    std::filesystem::remove(tree.Path("data/a/link"));
    EXPECT_TRUE(WaitFor([&] { return ChildTexts(a) == QStringList({"new", "y"}); })) << ChildTexts(a).join(",").toStdString();

    // the expanded folder itself goes: its node goes with everything below it
    const int open = Model().OpenFolderCount();
    std::filesystem::remove_all(tree.Path("data/a"));
    EXPECT_TRUE(WaitFor([&] { return !a.isValid(); }));
    EXPECT_EQ(ChildTexts(node), QStringList{"keep"});
    EXPECT_EQ(Model().OpenFolderCount(), open - 1);

    // and a folder left without sub-folders collapses
    std::filesystem::remove(tree.Path("data/keep"));
    EXPECT_TRUE(WaitFor([&] { return !browser->isExpanded(node) && !Model().hasChildren(node); }));
    EXPECT_EQ(Model().FolderOf(node), nullptr);
}

TEST_F(TreeBrowserTest, FollowsADeepPathAndStopsWhereItCannotGoOn)
{
    const std::string deep = tree.MakeDir("data/d1/d2/d3/d4/d5/d6");
    tree.MakeDir("data/other");
    const std::string stuck = tree.MakeDir("data/stuck/inner");
    SyncTo(deep);
    for (QModelIndex up = Current().parent(); up.isValid(); up = up.parent())
        EXPECT_TRUE(browser->isExpanded(up)) << up.data().toString().toStdString();

    // a folder that is not there: the walk ends, the selection stays
    ItemIdList missing = IdOf(tree.Path("data/other"));
    missing.Append({ItemId::Kind::Entry, "missing"});
    browser->SyncToFolder(missing);
    EXPECT_TRUE(WaitFor([&] { return !browser->Syncing(); }));
    EXPECT_TRUE(At(deep));

    // a folder that does not answer: the window goes on, the node says it is reading,
    // and a walk elsewhere replaces the stuck one
    {
        std::lock_guard lock(log->mutex);
        log->stuck = tree.Path("data/stuck");
    }
    browser->SyncToFolder(IdOf(stuck));
    ASSERT_TRUE(WaitFor([&] { return log->Count(tree.Path("data/stuck")) == 1; }));
    SyncTo(tree.Path("data/other"));
    const QModelIndex data = Current().parent();
    const QModelIndex stuckFolder = Child(data, "stuck (reading...)");
    EXPECT_TRUE(stuckFolder.isValid()) << ChildTexts(data).join(",").toStdString();
    // collapsing it stops the read; once the mount answers the node expands as usual
    browser->collapse(stuckFolder);
    EXPECT_TRUE(WaitFor([&] { return Child(data, "stuck").isValid(); }));
    {
        std::lock_guard lock(log->mutex);
        log->open = true;
    }
    SyncTo(stuck);
}

TEST_F(TreeBrowserTest, ClaimsCommandsOnlyWhileItHasTheFocus)
{
    const std::string data = tree.MakeDir("data");
    const std::string sub = tree.MakeDir("data/sub");
    SyncTo(sub);
    CommandTarget& target = browser->Commands();
    CommandState state;
    QFocusEvent away(QEvent::FocusOut, Qt::MouseFocusReason);
    QApplication::sendEvent(browser.get(), &away);
    EXPECT_FALSE(target.OnUpdateCommand(cmd::kDelete, state));
    EXPECT_FALSE(target.OnCommand(cmd::kCopy));

    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(browser.get(), &focusIn);
    ASSERT_TRUE(browser->HasKeyboardFocus());
    struct Case {
        int id;
        bool claimed;
        bool enabled;
    };
    const Case cases[] = {
        {cmd::kDelete, true, true},       {cmd::kCopy, true, true},  {cmd::kProperties, true, true},
        {cmd::kDetails, true, false},     {cmd::kSelectAll, true, false}, // pane commands are off
        {cmd::kTree, false, false},       {cmd::kExit, false, false},     // the frame's still work
    };
    for (const Case& c : cases) {
        CommandState s;
        EXPECT_EQ(target.OnUpdateCommand(c.id, s), c.claimed) << c.id;
        if (c.claimed) {
            EXPECT_EQ(s.enabled, c.enabled) << c.id;
        }
    }

    EXPECT_TRUE(target.OnCommand(cmd::kCopy));
    const auto copied = ClipboardItems();
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->paths, std::vector<std::string>{sub});
    EXPECT_TRUE(target.OnCommand(cmd::kPaste));
    ASSERT_EQ(transfers.size(), 1u);
    EXPECT_EQ(transfers[0].folder, sub);

    EXPECT_TRUE(target.OnCommand(cmd::kExecuteAddress));
    ASSERT_EQ(browsed.size(), 1u);
    EXPECT_EQ(browsed[0], IdOf(sub));

    // Shift deletes for good, after the question; a No leaves the folder alone
    keyboard.SetModifiers(Qt::ShiftModifier);
    prompts.AnswerYesNo(false);
    EXPECT_TRUE(target.OnCommand(cmd::kDelete));
    EXPECT_TRUE(deletes.empty());
    prompts.AnswerYesNo(true);
    EXPECT_TRUE(target.OnCommand(cmd::kDelete));
    keyboard.SetModifiers(Qt::NoModifier);
    EXPECT_TRUE(target.OnCommand(cmd::kDelete));
    ASSERT_EQ(deletes.size(), 2u);
    EXPECT_EQ(deletes[0], std::make_pair(std::vector<std::string>{sub}, true));
    EXPECT_EQ(deletes[1], std::make_pair(std::vector<std::string>{sub}, false));

    // the Desktop takes no delete
    browser->setCurrentIndex(Model().DesktopIndex());
    CommandState desktop;
    EXPECT_TRUE(target.OnUpdateCommand(cmd::kDelete, desktop));
    EXPECT_FALSE(desktop.enabled);

    QFocusEvent focusOut(QEvent::FocusOut, Qt::MouseFocusReason);
    QApplication::sendEvent(browser.get(), &focusOut);
    EXPECT_FALSE(target.OnUpdateCommand(cmd::kDetails, state));
}

// A deep node in a narrow tree keeps its whole name: the view scrolls sideways to it
// when it follows a folder, and leaves the sideways scroll alone for a node in view.
TEST_F(TreeBrowserTest, ScrollsSidewaysToADeepNode)
{
    const std::string name = "a_folder_name_far_too_long_for_a_narrow_bar";
    const std::string deep = tree.MakeDir("data/d1/d2/d3/d4/d5/d6/" + name);
    browser->resize(160, 300);
    SyncTo(deep);
    ASSERT_TRUE(WaitFor([&] { return !browser->Syncing(); }));
    QScrollBar* sideways = browser->horizontalScrollBar();
    EXPECT_GT(sideways->maximum(), 0) << "a narrow tree scrolls sideways";
    const auto labelShown = [&](const QModelIndex& node) {
        const QRect label = browser->visualRect(node);
        return label.left() >= 0 && label.left() < browser->viewport()->width() / 2;
    };
    EXPECT_TRUE(labelShown(Current())) << browser->visualRect(Current()).left();
    EXPECT_EQ(Current().data().toString().toStdString(), name) << "the name is not cut short";
    EXPECT_GE(browser->header()->sectionSize(0), browser->sizeHintForIndex(Current()).width());

    // the Desktop, far to the left, brings the view back; a node already in view stays
    browser->scrollTo(Model().DesktopIndex());
    EXPECT_EQ(sideways->value(), 0);
    const int back = sideways->value();
    browser->scrollTo(Model().DesktopIndex());
    EXPECT_EQ(sideways->value(), back);
    browser->scrollTo(Current());
    EXPECT_TRUE(labelShown(Current()));
}

// The tree's link of the command chain outlives the tree in the frame's hands: once the
// tree is gone it claims nothing rather than reaching into it.
TEST_F(TreeBrowserTest, ItsCommandLinkClaimsNothingOnceTheTreeIsGone)
{
    SyncTo(tree.MakeDir("data"));
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(browser.get(), &focusIn);
    const std::shared_ptr<CommandTarget> link = browser->CommandLink();
    CommandState state;
    ASSERT_TRUE(link->OnUpdateCommand(cmd::kCopy, state));
    browser.reset();
    EXPECT_FALSE(link->OnUpdateCommand(cmd::kCopy, state));
    EXPECT_FALSE(link->OnCommand(cmd::kCopy));
}

} // namespace
} // namespace bivora::test
