#include "pane_fixture.h"

#include "ui/commands/command_ids.h"
#include "ui/pane/pane_drag_drop.h"
#include "ui/platform/clipboard_items.h"
#include "ui/widgets/sort_list_ctrl.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>

#include <sys/stat.h>

namespace bivora::test {
namespace {

using Names = std::vector<std::string>;

bool Exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool IsSymlink(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// Items leaving a pane by the clipboard or a drag, and arriving by Paste or a drop.
class PaneClipboardTest : public PaneFixture {
protected:
    ~PaneClipboardTest() override { ClearClipboard(); }

    static QWidget* Viewport(PaneView& pane) { return pane.List().CurrentView()->viewport(); }
    QPoint RowCenter(PaneView& pane, const std::string& name)
    {
        const int row = pane.RowOf(ItemNamed(pane, name));
        return pane.List().CurrentView()->visualRect(pane.Model().index(row, 0)).center();
    }
    static std::unique_ptr<QMimeData> Files(const Names& paths) { return MimeDataForItems(paths, kEffectCopy); }

    // Sends enter and move at a place; true when the pane took the drag there.
    static bool DragOver(PaneView& pane, const QMimeData& data, QPoint pos,
                         Qt::MouseButtons buttons = Qt::LeftButton, Qt::KeyboardModifiers mods = {})
    {
        QDragEnterEvent enter(pos, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data, buttons, mods);
        QApplication::sendEvent(Viewport(pane), &enter);
        if (!enter.isAccepted())
            return false;
        QDragMoveEvent move(pos, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data, buttons, mods);
        QApplication::sendEvent(Viewport(pane), &move);
        return move.isAccepted();
    }
    static bool DropAt(PaneView& pane, const QMimeData& data, QPoint pos, Qt::MouseButtons buttons = Qt::LeftButton,
                       Qt::KeyboardModifiers mods = {})
    {
        DragOver(pane, data, pos, buttons, mods);
        QDropEvent drop(pos, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data, buttons & ~Qt::LeftButton, mods);
        QApplication::sendEvent(Viewport(pane), &drop);
        // the drop's work comes after the drag loop has let go of the pointer
        QCoreApplication::processEvents();
        return drop.isAccepted();
    }
};

TEST_F(PaneClipboardTest, CutDimsItsRowsAndPasteInTheOtherPaneMovesThemAndEmptiesTheClipboard)
{
    const std::string from = tree.MakeDir("data/from");
    const std::string to = tree.MakeDir("data/to");
    tree.MakeFile("data/from/a", "1");
    tree.MakeFile("data/from/b", "22");
    tree.MakeFile("data/from/c", "333");
    MakePanes(from, to);

    // nothing selected: the command is off, and refuses when sent all the same
    left->List().SelectionModel()->clearSelection();
    EXPECT_FALSE(router.Update(cmd::kCut).enabled);
    left->OnCommand(cmd::kCut);
    EXPECT_TRUE(status.LastIsAlert());
    EXPECT_EQ(status.Last(), QStringLiteral("This folder has a dyslexia wrt. this verb"));

    Select(*left, {"a", "b"});
    ASSERT_TRUE(router.Update(cmd::kCut).enabled);
    router.Execute(cmd::kCut);
    const auto dimmed = [this](const std::string& name) {
        const int row = left->RowOf(ItemNamed(*left, name));
        return left->Model().IsCut(row) && left->Model().index(row, 0).data(Qt::ForegroundRole).isValid();
    };
    EXPECT_TRUE(dimmed("a"));
    EXPECT_TRUE(dimmed("b"));
    EXPECT_FALSE(dimmed("c"));
    const std::optional<ItemTransfer> held = ClipboardItems();
    ASSERT_TRUE(held);
    EXPECT_EQ(held->effect, kEffectMove);
    // a copy takes the marks away
    Select(*left, {"c"});
    router.Execute(cmd::kCopy);
    EXPECT_FALSE(dimmed("a"));
    Select(*left, {"a", "b"});
    router.Execute(cmd::kCut);

    right->Activate();
    ASSERT_TRUE(router.Update(cmd::kPaste).enabled);
    router.Execute(cmd::kPaste);
    EXPECT_TRUE(Exists(to + "/a") && Exists(to + "/b"));
    EXPECT_FALSE(Exists(from + "/a") || Exists(from + "/b"));
    EXPECT_TRUE(Exists(from + "/c"));
    EXPECT_FALSE(ClipboardHoldsItems());
    EXPECT_EQ(RowNames(*right), (Names{"a", "b"}));
    EXPECT_EQ(RowNames(*left), (Names{"c"}));
}

TEST_F(PaneClipboardTest, PasteLinkMakesLinksAndRefusedDataIsReported)
{
    const std::string from = tree.MakeDir("data/from");
    const std::string to = tree.MakeDir("data/to");
    tree.MakeFile("data/from/a", "1");
    MakePanes(from, to);
    Select(*left, {"a"});
    router.Execute(cmd::kCopy);
    right->Activate();
    router.Execute(cmd::kPasteShortcut);
    EXPECT_TRUE(IsSymlink(to + "/a"));
    EXPECT_TRUE(Exists(from + "/a"));

    auto web = std::make_unique<QMimeData>();
    web->setData(QStringLiteral("text/uri-list"), "https://example.com/a\r\n");
    QGuiApplication::clipboard()->setMimeData(web.release());
    ASSERT_TRUE(router.Update(cmd::kPaste).enabled); // only the format is looked at
    status.messages.clear();
    router.Execute(cmd::kPaste);
    EXPECT_TRUE(status.LastIsAlert());
    EXPECT_EQ(status.Last(), QStringLiteral("This computer won't comply with your demands"));
}

TEST_F(PaneClipboardTest, DragFromSelectedRowsPutsACopiedSetOnTheClipboard)
{
    tree.MakeFile("data/a");
    tree.MakeFile("data/b");
    MakePanes(data, data);
    left->List().OnCommand(cmd::kDetails);
    std::vector<std::pair<Names, Qt::DropActions>> drags;
    left->DragDrop().SetDragRunner([&](QDrag& drag, Qt::DropActions offered) {
        const std::optional<ItemTransfer> items = ItemsFromMimeData(*drag.mimeData());
        drags.emplace_back(items ? items->paths : Names{}, offered);
    });
    Select(*left, {"b"});
    Select(*right, {"a"});
    right->Model().SetCutRows({right->RowOf(ItemNamed(*right, "a"))});
    const QPoint start = RowCenter(*left, "b");
    const auto pressAndMove = [&](Qt::MouseButton button) {
        QTest::mousePress(Viewport(*left), button, {}, start);
        const QPoint to = start + QPoint(0, QApplication::startDragDistance() + 2);
        QMouseEvent move(QEvent::MouseMove, to, Viewport(*left)->mapToGlobal(to), Qt::NoButton, button, {});
        QApplication::sendEvent(Viewport(*left), &move);
    };
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton})
        pressAndMove(button);
    ASSERT_EQ(drags.size(), 2u);
    EXPECT_EQ(drags[0].first, Names{data + "/b"});
    EXPECT_EQ(drags[1].first, Names{data + "/b"});
    EXPECT_EQ(drags[0].second, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction);
    const std::optional<ItemTransfer> held = ClipboardItems();
    ASSERT_TRUE(held);
    EXPECT_EQ(held->paths, Names{data + "/b"});
    EXPECT_EQ(held->effect, kEffectCopy);
    EXPECT_FALSE(right->Model().IsCut(right->RowOf(ItemNamed(*right, "a"))));

    left->List().SelectionModel()->clearSelection();
    left->DragDrop().BeginDrag(false);
    EXPECT_EQ(drags.size(), 2u);
    EXPECT_EQ(status.Last(), QStringLiteral("Perhaps sir wishes to drag something else?"));
}

TEST_F(PaneClipboardTest, FolderRowsAreHighlightedAndTakeTheDropOtherRowsLeaveItToThePane)
{
    const std::string here = tree.MakeDir("data/here");
    tree.MakeDir("data/here/sub");
    tree.MakeLink("data/here/link", "sub");
    tree.MakeFile("data/here/plain.txt", "x");
    tree.MakeFile("data/here/tool", "#!/bin/sh\n", 0755);
    const std::string one = tree.MakeFile("data/one", "1");
    const std::string two = tree.MakeFile("data/two", "2");
    MakePanes(here, data);
    left->List().OnCommand(cmd::kDetails);
    const int subRow = left->RowOf(ItemNamed(*left, "sub"));
    const auto data1 = Files({one});

    // hovering: folder rows (and links to them) and programs light up, one at a time
    EXPECT_TRUE(DragOver(*left, *data1, RowCenter(*left, "sub")));
    EXPECT_EQ(left->Model().DropHighlightRow(), subRow);
    EXPECT_TRUE(left->Model().index(subRow, 0).data(Qt::BackgroundRole).isValid());
    EXPECT_TRUE(DragOver(*left, *data1, RowCenter(*left, "link")));
    EXPECT_EQ(left->Model().DropHighlightRow(), left->RowOf(ItemNamed(*left, "link")));
    EXPECT_FALSE(left->Model().index(subRow, 0).data(Qt::BackgroundRole).isValid());
    // a program lights up once its first bytes are read (on a worker); till then the
    // pane's folder answers
    const int toolRow = left->RowOf(ItemNamed(*left, "tool"));
    EXPECT_TRUE(DragOver(*left, *data1, RowCenter(*left, "tool")));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return DragOver(*left, *data1, RowCenter(*left, "tool")) && left->Model().DropHighlightRow() == toolRow; },
        5000));
    // a plain file refuses; the pane's folder answers instead
    EXPECT_TRUE(DragOver(*left, *data1, RowCenter(*left, "plain.txt")));
    EXPECT_EQ(left->Model().DropHighlightRow(), -1);
    EXPECT_TRUE(DragOver(*left, *data1, RowCenter(*left, "sub")));
    QDragLeaveEvent leave;
    QApplication::sendEvent(Viewport(*left), &leave);
    EXPECT_EQ(left->Model().DropHighlightRow(), -1);

    // anything but local files is refused at the door
    QMimeData web;
    web.setData(QStringLiteral("text/uri-list"), "https://example.com/\r\n");
    EXPECT_FALSE(DragOver(*left, web, RowCenter(*left, "sub")));
    EXPECT_EQ(left->Model().DropHighlightRow(), -1);

    // the drop goes into the hovered folder, not into the pane's
    EXPECT_TRUE(DropAt(*left, *data1, RowCenter(*left, "sub")));
    EXPECT_TRUE(Exists(here + "/sub/one"));
    EXPECT_FALSE(Exists(here + "/one"));
    EXPECT_TRUE(Exists(one)); // copied: no modifier
    EXPECT_EQ(left->Model().DropHighlightRow(), -1);
    // on a plain file row: into the pane's folder; Shift moves
    const auto data2 = Files({two});
    EXPECT_TRUE(DropAt(*left, *data2, RowCenter(*left, "plain.txt"), Qt::LeftButton, Qt::ShiftModifier));
    EXPECT_TRUE(Exists(here + "/two"));
    EXPECT_FALSE(Exists(two));
    // on a program: it starts in its folder with the dropped paths
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return DragOver(*left, *data1, RowCenter(*left, "tool")) && left->Model().DropHighlightRow() == toolRow; },
        5000));
    EXPECT_TRUE(DropAt(*left, *data1, RowCenter(*left, "tool")));
    ASSERT_FALSE(launcher.Log().empty());
    EXPECT_EQ(launcher.Log().back().program, QString::fromStdString(here + "/tool"));
    EXPECT_EQ(launcher.Log().back().arguments, QStringList{QString::fromStdString(one)});
    EXPECT_EQ(launcher.Log().back().workingDirectory, QString::fromStdString(here));
}

TEST_F(PaneClipboardTest, RightButtonDropAsksWhatToDo)
{
    const std::string to = tree.MakeDir("data/to");
    MakePanes(to, data);
    struct Case {
        const char* choice;
        bool copied;
        bool sourceStays;
        bool link;
    };
    const Case cases[] = {
        {"&Copy Here", true, true, false},
        {"&Move Here", true, false, false},
        {"&Link Here", true, true, true},
        {"Cancel", false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.choice);
        const std::string name = std::string("item ") + c.choice[1];
        const std::string source = tree.MakeFile("data/" + name, "x");
        QStringList offered;
        left->SetMenuChooser([&](QMenu& menu, const QPoint&) -> QAction* {
            QAction* chosen = nullptr;
            for (QAction* action : menu.actions()) {
                if (!action->isSeparator())
                    offered << action->text();
                if (action->text() == QLatin1String(c.choice))
                    chosen = action;
            }
            return chosen;
        });
        const auto items = Files({source});
        DropAt(*left, *items, QPoint(5, Viewport(*left)->height() - 5), Qt::RightButton);
        EXPECT_EQ(offered, (QStringList{"&Copy Here", "&Move Here", "&Link Here", "Cancel"}));
        EXPECT_EQ(Exists(to + "/" + name), c.copied);
        EXPECT_EQ(IsSymlink(to + "/" + name), c.link);
        EXPECT_EQ(Exists(source), c.sourceStays);
    }
}

} // namespace
} // namespace bivora::test
