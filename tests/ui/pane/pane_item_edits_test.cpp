#include "pane_fixture.h"

#include "ui/commands/command_ids.h"
#include "ui/widgets/sort_list_ctrl.h"
#include "../wait_until.h"

#include <QAbstractItemView>
#include <QAction>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTest>

#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace bivora::test {
namespace {

using Names = std::vector<std::string>;

class PaneItemEditsTest : public PaneFixture {
protected:
    // "<dir>", "<none>", or the file's content
    static std::string Content(const std::string& path)
    {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            return "<none>";
        if (S_ISDIR(st.st_mode))
            return "<dir>";
        std::ostringstream text;
        text << std::ifstream(path).rdbuf();
        return text.str();
    }
    std::vector<QString> Alerts() const
    {
        std::vector<QString> alerts;
        for (const auto& message : status.messages) {
            if (message.alert)
                alerts.push_back(message.text);
        }
        return alerts;
    }
    QLineEdit* Editor() const { return left->List().LabelEditor(); }
};

TEST_F(PaneItemEditsTest, NewItemsComeAsTheLastRowUnderTheNextFreeNameWithTheirNameBeingEdited)
{
    tree.MakeDir("data/New Folder");
    tree.MakeDir("data/New Folder2");
    tree.MakeFile("data/main.c");
    MakePanes(data, data);
    left->SetFilterText("*.c"); // a new text file is shown all the same

    struct Step {
        int command;
        const char* name;
        bool folder;
        const char* offered; // the part of the name selected for typing over
    };
    for (const Step step : {Step{cmd::kNewFile, "New File.txt", false, "New File"},
                            Step{cmd::kNewFile, "New File2.txt", false, "New File2"},
                            Step{cmd::kNewFolder, "New Folder3", true, "New Folder3"}}) {
        SCOPED_TRACE(step.name);
        ASSERT_TRUE(router.Execute(step.command));
        const int last = left->Model().rowCount() - 1;
        EXPECT_EQ(left->ItemAt(last)->Name(), step.name);
        EXPECT_EQ(SelectedNames(*left), Names{step.name});
        EXPECT_EQ(Content(data + "/" + step.name), step.folder ? "<dir>" : "");
        // the user names it at once; meanwhile the watcher holds its refreshes
        ASSERT_TRUE(Editor());
        EXPECT_EQ(Editor()->text(), QString::fromUtf8(step.name));
        EXPECT_EQ(Editor()->selectedText(), QString::fromUtf8(step.offered));
        EXPECT_FALSE(left->Folder()->watchRefresh);
        QTest::keyClick(Editor(), Qt::Key_Escape);
        EXPECT_FALSE(left->List().IsEditingLabel());
        EXPECT_TRUE(left->Folder()->watchRefresh);
    }
    EXPECT_TRUE(Alerts().empty());

    // a folder that went declines, and the watcher is not left off
    const std::string gone = tree.MakeDir("gone");
    ASSERT_TRUE(left->GoToFolder(IdOf(gone)));
    ASSERT_EQ(::rmdir(gone.c_str()), 0);
    ASSERT_TRUE(router.Execute(cmd::kNewFolder));
    EXPECT_EQ(Alerts(), std::vector<QString>{QStringLiteral("New folder creation request has beed declined")});
    EXPECT_FALSE(left->List().IsEditingLabel());
    EXPECT_TRUE(left->Folder()->watchRefresh);
    EXPECT_EQ(left->Model().rowCount(), 0);
}

TEST_F(PaneItemEditsTest, RenameThroughTheEditor)
{
    struct Case {
        std::string from;
        std::optional<QString> typed; // none: the editor's text as it opened
        std::string shown;            // the row's name afterwards
        bool refused;                 // else no alert; no message at all when nothing was renamed
    };
    const Case cases[] = {
        {"a.txt", QStringLiteral("  c.txt \t"), "c.txt", false},
        {"a.txt", QStringLiteral("   "), "a.txt", false},
        {"a.txt", QStringLiteral("a.txt"), "a.txt", false},
        {"caf\xe9", std::nullopt, "caf\xe9", false}, // shown with a replacement character, not renamed to it
        {"a.txt", QStringLiteral("b.txt"), "a.txt", true},
        {"a.txt", QStringLiteral("x/y"), "a.txt", true},
    };
    MakePanes(data, data);
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown + " <- " + (c.typed ? c.typed->toStdString() : c.from));
        const std::string sub = "data/" + std::to_string(index++);
        const std::string dir = tree.MakeDir(sub);
        tree.MakeFile(sub + "/" + c.from, "alpha");
        tree.MakeFile(sub + "/b.txt", "beta");
        ASSERT_TRUE(left->GoToFolder(IdOf(dir)));
        Select(*left, {c.from});
        const ShellItem* before = ItemNamed(*left, c.from);
        status.messages.clear();

        ASSERT_TRUE(router.Execute(cmd::kRename));
        ASSERT_TRUE(Editor());
        EXPECT_FALSE(left->Folder()->watchRefresh);
        if (c.typed)
            Editor()->setText(*c.typed);
        QTest::keyClick(Editor(), Qt::Key_Return);

        WAIT_UNTIL(!left->List().IsEditingLabel(), 5000); // Enter commits once the editor has had the key
        EXPECT_TRUE(left->Folder()->watchRefresh);
        EXPECT_EQ(Content(dir + "/b.txt"), "beta");
        EXPECT_EQ(Content(dir + "/" + c.shown), "alpha");
        const int row = left->FocusName(c.shown, false);
        ASSERT_GE(row, 0);
        EXPECT_EQ(left->Model().data(left->Model().index(row, 0)).toString(), QString::fromUtf8(c.shown));
        EXPECT_EQ(RowNames(*left).size(), 2u);
        EXPECT_TRUE(left->IsConsistent());
        const bool renamed = c.shown != c.from;
        EXPECT_EQ(ItemNamed(*left, c.shown) != before, renamed);
        EXPECT_EQ(Content(dir + "/" + c.from), renamed ? "<none>" : "alpha");
        if (c.refused) {
            EXPECT_EQ(Alerts(), std::vector<QString>{QStringLiteral("For one reason or other, the item can't be renamed")});
        } else {
            // nothing renamed: not even a quiet message
            EXPECT_EQ(renamed ? Alerts().size() : status.messages.size(), 0u) << status.Last().toStdString();
        }
    }
}

TEST_F(PaneItemEditsTest, TheEditorHasEveryKeyWhileItIsOpen)
{
    tree.MakeFile("data/a.txt", "alpha");
    MakePanes(data, data);
    // a window shortcut, as the main window's commands have
    int fired = 0;
    auto* action = new QAction(window.get());
    action->setShortcuts({QKeySequence(Qt::Key_F8), QKeySequence(Qt::Key_Delete), QKeySequence::Copy});
    QObject::connect(action, &QAction::triggered, [&fired] { ++fired; });
    window->addAction(action);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    Select(*left, {"a.txt"});
    left->List().CurrentView()->setFocus();
    QTest::keyClick(left->List().CurrentView(), Qt::Key_F8);
    ASSERT_EQ(fired, 1) << "the shortcut works outside the editor";

    ASSERT_TRUE(router.Execute(cmd::kRename));
    ASSERT_TRUE(Editor());
    Editor()->setFocus();
    for (const QKeySequence& key : {QKeySequence(Qt::Key_F8), QKeySequence(Qt::Key_Delete), QKeySequence(QKeySequence::Copy),
                                    QKeySequence(Qt::Key_Backspace), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)})
        QTest::keySequence(Editor(), key);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(left->Folder()->Path(), data) << "Ctrl+Shift+C is no drive key in the editor";
    EXPECT_TRUE(left->List().IsEditingLabel());
    EXPECT_EQ(Content(data + "/a.txt"), "alpha");
    EXPECT_EQ(RowNames(*left), Names{"a.txt"});
    ClosePanes(); // with the editor open

}

TEST_F(PaneItemEditsTest, RenameIsRefusedInVirtualFolders)
{
    MakePanes(data, data);
    const QString refused = QStringLiteral("Rename is not supported for virtual folders");
    // Computer's drives, and the Desktop's own items (Computer, Home...) beside its files
    ASSERT_TRUE(left->GoToFolder(IdOf("::{Computer}")));
    ASSERT_GT(left->Model().rowCount(), 0);
    left->List().SetRowState(0, 1);
    QTest::keyClick(left->List().CurrentView(), Qt::Key_F2);
    EXPECT_EQ(Alerts(), std::vector<QString>{refused});
    EXPECT_FALSE(left->List().IsEditingLabel());

    status.messages.clear();
    ASSERT_TRUE(left->GoToDesktop());
    ASSERT_GE(left->FocusName("Computer", true), 0);
    QTest::keyClick(left->List().CurrentView(), Qt::Key_F2);
    EXPECT_EQ(Alerts(), std::vector<QString>{refused});
    EXPECT_FALSE(left->List().IsEditingLabel());
}

TEST_F(PaneItemEditsTest, ViewAndEditOpenEverySelectedFile)
{
    const std::string a = tree.MakeFile("data/a.txt");
    const std::string b = tree.MakeFile("data/b.txt");
    tree.MakeDir("data/sub");
    MakePanes(data, data);
    SortBy(*left, cmd::kSortByName, true);

    Select(*left, {"sub"});
    ASSERT_TRUE(router.Execute(cmd::kView));
    EXPECT_EQ(Alerts(), std::vector<QString>{QStringLiteral("This operation requires a file object")});
    EXPECT_TRUE(launcher.Log().empty());
    status.messages.clear();

    // the external editor, once per file, folders left out
    general.uzeExternalEditor = true;
    general.externalEditorName = "/opt/editor";
    Select(*left, {"a.txt", "sub", "b.txt"});
    ASSERT_TRUE(router.Execute(cmd::kEdit));
    ASSERT_EQ(launcher.Log().size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(launcher.Log()[i].program, QStringLiteral("/opt/editor"));
        EXPECT_EQ(launcher.Log()[i].arguments, QStringList{QString::fromStdString(i == 0 ? a : b)});
        EXPECT_FALSE(launcher.Log()[i].opened);
    }

    // Ctrl: not the external editor (the default application stands in for ours)
    keyboard.SetModifiers(Qt::ControlModifier);
    Select(*left, {"a.txt"});
    ASSERT_TRUE(router.Execute(cmd::kView));
    keyboard.SetModifiers(Qt::NoModifier);
    ASSERT_EQ(launcher.Log().size(), 3u);
    EXPECT_TRUE(launcher.Log()[2].opened);
    EXPECT_EQ(launcher.Log()[2].program, QString::fromStdString(a));

    // an editor that cannot start: Yes turns it off and the file goes elsewhere
    launcher.SetSucceeds(false);
    prompts.AnswerYesNo(true);
    Select(*left, {"a.txt", "b.txt"});
    ASSERT_TRUE(router.Execute(cmd::kEdit));
    EXPECT_EQ(prompts.Texts(ScriptedPrompts::Kind::YesNo),
              QStringList{QStringLiteral("There was an error launching the external editor\n/opt/editor\nUse the internal applet instead?")});
    EXPECT_FALSE(general.uzeExternalEditor);
    ASSERT_EQ(launcher.Log().size(), 6u); // the editor, then both files with the default application
    EXPECT_TRUE(launcher.Log()[4].opened && launcher.Log()[5].opened);
    EXPECT_EQ(Alerts().size(), 2u); // neither could be opened
    EXPECT_TRUE(status.messages.size() == 2u);
}

} // namespace
} // namespace bivora::test
