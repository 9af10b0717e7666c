#include "../pane/pane_fixture.h"
#include "base/registry_keys.h"
#include "ui/commands/command_ids.h"
#include "ui/stats/folder_data_window.h"
#include "../wait_until.h"

#include <QApplication>
#include <QTest>
#include <QTreeWidget>

namespace bivora::test {
namespace {

class FolderDataTest : public PaneFixture {
protected:
    FolderDataWindow* OpenWindow()
    {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* window = dynamic_cast<FolderDataWindow*>(widget); window && window->isVisible())
                return window;
        return nullptr;
    }

    // The item texts of one level, in order.
    static QStringList Texts(const QTreeWidgetItem* parent)
    {
        QStringList texts;
        for (int i = 0; i < parent->childCount(); ++i)
            texts << parent->child(i)->text(0);
        return texts;
    }
};

// Folders of 1 kB in three files, alpha 3 kB, beta 10 kB with inner 2 kB: every level
// adds up what lies below it, the biggest sub-tree comes first, the files last.
TEST_F(FolderDataTest, CtrlDShowsTheSubTreeSortedAndBrowsesToAFolder)
{
    tree.MakeFile("data/one", std::string(100, 'x'));
    tree.MakeFile("data/two", std::string(200, 'x'));
    tree.MakeFile("data/three", std::string(300, 'x'));
    tree.MakeFile("data/alpha/a", std::string(3 * 1024, 'x'));
    tree.MakeFile("data/beta/b", std::string(10 * 1024, 'x'));
    tree.MakeFile("data/beta/inner/c", std::string(2 * 1024, 'x'));
    MakePanes(data, data);

    ASSERT_TRUE(router.Execute(cmd::kFolderData));
    FolderDataWindow* window = OpenWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->windowTitle().startsWith(QStringLiteral("Folder Statistics (Disk free space: ")));
    EXPECT_FALSE(window->windowTitle().contains(QStringLiteral("???")));
    EXPECT_FALSE(status.LastIsAlert());

    QTreeWidget* view = window->Tree();
    ASSERT_EQ(view->topLevelItemCount(), 1);
    QTreeWidgetItem* root = view->topLevelItem(0);
    EXPECT_EQ(root->text(0), QStringLiteral("16kB \"data\": Sub-Folders=3, Files=6"));
    EXPECT_TRUE(root->isExpanded());

    window->SortBy(kFolderDataSortBySize);
    EXPECT_EQ(Texts(root), (QStringList{QStringLiteral("12kB \"beta\": Sub-Folders=1, Files=2"),
                                        QStringLiteral("3kB \"alpha\": Sub-Folders=0, Files=1"),
                                        QStringLiteral("1kB in 3 local file(s)")}));
    EXPECT_EQ(Texts(root->child(0)), (QStringList{QStringLiteral("2kB \"inner\": Sub-Folders=0, Files=1"),
                                                  QStringLiteral("10kB in 1 local file(s)")}));

    window->SortBy(kFolderDataSortByName);
    EXPECT_EQ(Texts(root).join('|'), QStringLiteral("3kB \"alpha\": Sub-Folders=0, Files=1|"
                                                    "12kB \"beta\": Sub-Folders=1, Files=2|1kB in 3 local file(s)"));
    EXPECT_EQ(store.GetInt(registry::section::kFolderDataSettings, registry::value::kSortBy, 0),
              kFolderDataSortByName);

    // Enter on a local-files row opens nothing; on a folder, that folder in the pane
    view->setCurrentItem(root->child(2));
    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_TRUE(browsed.empty());
    view->setCurrentItem(root->child(1)->child(0));
    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_EQ(browsed, std::vector<std::string>{tree.Path("data/beta/inner")});
    WAIT_EQ(QString::fromStdString(left->Folder()->Path()), QString::fromStdString(tree.Path("data/beta/inner")), 5000);

    QTest::keyClick(window, Qt::Key_Escape); // closes, keeping the placement
    EXPECT_TRUE(store.ReadString(registry::section::kFolderDataSettings, registry::value::kWindowRect).has_value());
}

// A folder that cannot be read at all gives the message and no window.
TEST_F(FolderDataTest, UnreadableStartFolderShowsNoWindow)
{
    MakePanes(data, data);
    ASSERT_EQ(::rmdir(data.c_str()), 0);
    ASSERT_TRUE(router.Execute(cmd::kFolderData));
    EXPECT_EQ(OpenWindow(), nullptr);
    EXPECT_EQ(status.Last(), QStringLiteral("The current folder is fully un-cooperative"));
    EXPECT_TRUE(status.LastIsAlert());
}

} // namespace
} // namespace bivora::test
