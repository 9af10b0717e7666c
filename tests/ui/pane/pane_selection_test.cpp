#include "pane_fixture.h"

#include "base/registry_keys.h"
#include "ui/commands/command_ids.h"
#include "ui/pane/pane_caption.h"
#include "ui/pane/select_items_dlg.h"
#include "ui/widgets/sort_list_ctrl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>

#include <set>

namespace bivora::test {
namespace {

using NameSet = std::set<std::string>;

// Selecting by rule and the visual filter in a folder of files and two folders, one of
// them named like a source file.
class PaneSelectionTest : public PaneFixture {
protected:
    void MakeFolder()
    {
        for (const char* name : {"a.cpp", "b.cpp", "test1.cpp", "acpp", "notes.txt", "Readme"})
            tree.MakeFile(std::string("data/") + name);
        tree.MakeDir("data/sub.cpp");
        tree.MakeDir("data/src");
        MakePanes(data, data);
        SortBy(*left, cmd::kSortByName, true);
    }

    static NameSet SelectedSet(const PaneView& pane)
    {
        const std::vector<std::string> names = SelectedNames(pane);
        return {names.begin(), names.end()};
    }
};

TEST_F(PaneSelectionTest, CommandsFollowTheirOptions)
{
    struct Case {
        const char* what;
        int command;
        const char* pattern; // typed earlier, used directly (Ctrl); null for none
        NameSet before;
        const char* focus; // null: the last of before
        bool addOnTop, includeFolders, within;
        NameSet after;
        const char* alert; // null: none
        const char* focusAfter;
    };
    const Case cases[] = {
        {"exclusion, added on top", cmd::kSelectGroup, "*.cpp,-test*", {"notes.txt"}, nullptr, true, false, false,
         {"a.cpp", "b.cpp", "notes.txt"}, nullptr, "a.cpp"},
        {"replacing", cmd::kSelectGroup, "*.cpp,-test*", {"notes.txt"}, nullptr, false, false, false,
         {"a.cpp", "b.cpp"}, nullptr, "a.cpp"},
        {"folders too", cmd::kSelectGroup, "*.cpp,-test*", {}, nullptr, false, true, false,
         {"a.cpp", "b.cpp", "sub.cpp"}, nullptr, nullptr},
        {"narrowing keeps skipped folders", cmd::kSelectGroup, "*.cpp,-test*",
         {"a.cpp", "notes.txt", "test1.cpp", "src"}, nullptr, false, false, true, {"a.cpp", "src"}, nullptr, nullptr},
        {"unselect leaves folders", cmd::kUnselectGroup, "*.CPP", {"a.cpp", "notes.txt", "sub.cpp"}, nullptr, true,
         false, false, {"notes.txt", "sub.cpp"}, nullptr, nullptr},
        {"commas and blanks", cmd::kSelectGroup, " , ,, ", {"notes.txt"}, nullptr, false, false, false,
         {"notes.txt"}, "The specified pattern is invalid", nullptr},
        {"no history", cmd::kSelectGroup, nullptr, {"notes.txt"}, nullptr, false, false, false, {"notes.txt"},
         "The specified pattern is invalid", nullptr},
        {"nothing matches", cmd::kSelectGroup, "*.xyz", {"notes.txt"}, nullptr, false, false, false, {},
         "No items match the specified pattern", nullptr},
        {"like this one: the letters, no dot", cmd::kLikeThisOne, "*.txt", {"a.cpp"}, nullptr, true, false, false,
         {"a.cpp", "b.cpp", "test1.cpp", "acpp"}, nullptr, "a.cpp"},
        {"unselect like this one", cmd::kUnlikeThisOne, nullptr, {"a.cpp", "notes.txt", "b.cpp"}, "notes.txt", true,
         false, false, {"a.cpp", "b.cpp"}, nullptr, nullptr},
        {"no extension", cmd::kLikeThisOne, nullptr, {"Readme"}, nullptr, true, false, false, {"Readme"},
         "The focused item has no extension", nullptr},
        {"invert leaves folders", cmd::kInvertSelection, nullptr, {"a.cpp", "src"}, nullptr, true, false, false,
         {"b.cpp", "test1.cpp", "acpp", "notes.txt", "Readme", "src"}, nullptr, nullptr},
        {"invert with folders", cmd::kInvertSelection, nullptr, {"a.cpp", "src"}, nullptr, true, true, false,
         {"b.cpp", "test1.cpp", "acpp", "notes.txt", "Readme", "sub.cpp"}, nullptr, nullptr},
        {"select all takes folders", cmd::kSelectAll, nullptr, {"a.cpp"}, nullptr, false, false, false,
         {"a.cpp", "b.cpp", "test1.cpp", "acpp", "notes.txt", "Readme", "sub.cpp", "src"}, nullptr, nullptr},
    };
    MakeFolder();
    keyboard.SetModifiers(Qt::ControlModifier);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        shared.selectionPatternHistory.Clear();
        if (c.pattern)
            shared.selectionPatternHistory.Add(general.historyItems, c.pattern);
        general.selectAddOnTop = c.addOnTop;
        general.selectIncFolders = c.includeFolders;
        shared.selectWithinSelection = c.within;
        left->List().SelectionModel()->clearSelection();
        for (const std::string& name : c.before)
            left->FocusName(name, true);
        if (c.focus)
            left->FocusName(c.focus, false);
        status.messages.clear();

        EXPECT_TRUE(router.Execute(c.command));
        EXPECT_EQ(SelectedSet(*left), c.after);
        if (c.alert) {
            EXPECT_EQ(status.Last(), QString::fromUtf8(c.alert));
            EXPECT_TRUE(status.LastIsAlert());
        } else {
            EXPECT_TRUE(status.messages.empty()) << status.Last().toStdString();
        }
        if (c.focusAfter) {
            EXPECT_EQ(left->ItemAt(left->List().FocusedRow())->Name(), c.focusAfter);
        }
        if (c.command == cmd::kLikeThisOne && !c.alert) {
            // its pattern went first in the history, before the one typed earlier
            EXPECT_EQ(shared.selectionPatternHistory.Entries(), (std::vector<std::string>{"*cpp", "*.txt"}));
        }
    }
}

TEST_F(PaneSelectionTest, SelectItemsDialogRefusesAnEmptyPatternAndKeepsItsOptionsApart)
{
    MakeFolder();
    general.selectAddOnTop = true;
    // the history is in memory from the start, with a default
    ASSERT_NE(shared.selectionPatternHistory.First(), nullptr);
    EXPECT_EQ(*shared.selectionPatternHistory.First(), "*.*");

    Select(*left, {"notes.txt"});
    prompts.AnswerDialog([&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Select Items"));
        auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("pattern"));
        auto* addOnTop = dialog.findChild<QCheckBox*>(QStringLiteral("addOnTop"));
        auto* within = dialog.findChild<QCheckBox*>(QStringLiteral("within"));
        EXPECT_EQ(combo->currentText(), QStringLiteral("*.*"));
        EXPECT_TRUE(addOnTop->isEnabled() && addOnTop->isChecked());
        within->setChecked(true);
        EXPECT_FALSE(addOnTop->isChecked());
        combo->setEditText(QStringLiteral("   "));
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Rejected); // still open
        EXPECT_EQ(prompts.Texts(ScriptedPrompts::Kind::Message), QStringList{QStringLiteral("Pattern should not be empty")});
        combo->setEditText(QStringLiteral("  *.txt,*.cpp "));
        dialog.accept();
        return dialog.result();
    });
    EXPECT_TRUE(router.Execute(cmd::kSelectGroup));
    EXPECT_EQ(*shared.selectionPatternHistory.First(), "*.txt,*.cpp");
    EXPECT_TRUE(shared.selectWithinSelection);
    EXPECT_FALSE(general.selectAddOnTop);
    EXPECT_EQ(SelectedSet(*left), NameSet{"notes.txt"}); // narrowed within the selection

    // unselecting: its own title and button, the selection options greyed; a text of
    // commas passes the dialog and is refused by the command
    prompts.AnswerDialog([&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Unselect items"));
        EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("ok"))->text(), QStringLiteral("Unselect"));
        EXPECT_FALSE(dialog.findChild<QCheckBox*>(QStringLiteral("within"))->isEnabled());
        dialog.findChild<QComboBox*>(QStringLiteral("pattern"))->setEditText(QStringLiteral(",  ,"));
        dialog.accept();
        return dialog.result();
    });
    EXPECT_TRUE(router.Execute(cmd::kUnselectGroup));
    EXPECT_EQ(status.Last(), QStringLiteral("The specified pattern is invalid"));
    EXPECT_EQ(SelectedSet(*left), NameSet{"notes.txt"});

    // a pattern of 100 KB (only a stored history holds one) over a folder of a few
    // hundred files is matched on a worker, and its answer is the same
    const std::string many = tree.MakeDir("many");
    for (int n = 0; n < 260; ++n)
        tree.MakeFile("many/f" + std::to_string(1000 + n));
    ASSERT_TRUE(left->GoToFolder(IdOf(many)));
    std::string huge;
    for (int n = 0; huge.size() < 100 * 1024; ++n)
        huge += "q" + std::to_string(n) + ",";
    huge += "f1007";
    shared.selectionPatternHistory.Add(general.historyItems, huge);
    keyboard.SetModifiers(Qt::ControlModifier);
    shared.selectWithinSelection = false;
    EXPECT_TRUE(router.Execute(cmd::kSelectGroup));
    EXPECT_EQ(SelectedSet(*left), NameSet{"f1007"});
    EXPECT_FALSE(left->IsBusy());

    // the history is written at exit
    keyboard.SetModifiers(Qt::NoModifier);
    general.saveSettings = true;
    ClosePanes();
    EXPECT_FALSE(store.GetString(registry::section::kSelectionPatternHistory, "0").empty());
}

TEST_F(PaneSelectionTest, SelectionClipboardCarriesNamesToAnotherFolder)
{
    MakeFolder();
    const std::string other = tree.MakeDir("other");
    tree.MakeFile("other/A.CPP");
    tree.MakeFile("other/notes.txt");
    tree.MakeFile("other/more");
    ASSERT_TRUE(right->GoToFolder(IdOf(other)));
    SortBy(*right, cmd::kSortByName, true);

    EXPECT_FALSE(router.Update(cmd::kSelectionSelect).enabled);
    Select(*left, {"a.cpp", "notes.txt", "b.cpp"});
    EXPECT_TRUE(router.Execute(cmd::kSelectionStore));
    EXPECT_EQ(status.Last(), QStringLiteral("Current selection stored"));
    EXPECT_FALSE(status.LastIsAlert());
    EXPECT_EQ(shared.selectionClipboard, (std::vector<std::string>{"a.cpp", "b.cpp", "notes.txt"}));

    right->Activate();
    general.selectAddOnTop = false;
    Select(*right, {"more"});
    EXPECT_TRUE(router.Execute(cmd::kSelectionSelect));
    EXPECT_EQ(SelectedSet(*right), (NameSet{"A.CPP", "notes.txt"}));
    EXPECT_EQ(right->ItemAt(right->List().FocusedRow())->Name(), "notes.txt");
    EXPECT_TRUE(router.Execute(cmd::kSelectionUnselect));
    EXPECT_EQ(SelectedSet(*right), NameSet{});

    // none of the names here: said, and the stored names stay for later
    ASSERT_TRUE(right->GoToFolder(IdOf(tree.MakeDir("empty"))));
    EXPECT_TRUE(router.Execute(cmd::kSelectionSelect));
    EXPECT_EQ(status.Last(), QStringLiteral("No matching items in the selection clipboard"));
    EXPECT_TRUE(status.LastIsAlert());
    EXPECT_EQ(shared.selectionClipboard.size(), 3u);
}

TEST_F(PaneSelectionTest, VisualFilterIsCanonicalNeverHidesFoldersAndToggles)
{
    MakeFolder();
    // no filter used yet: Use filter has nothing to return to
    EXPECT_TRUE(router.Execute(cmd::kUseFilter));
    EXPECT_EQ(status.Last(), QStringLiteral("No visual filter has been defined earlier."));
    EXPECT_FALSE(status.LastIsAlert());

    ASSERT_TRUE(left->SetVisualFilter("*.h , *.cpp"));
    EXPECT_EQ(left->FilterText(), "*.h,*.cpp");
    EXPECT_EQ(left->Caption().DisplayedText(), QString::fromStdString(data + " [*.h,*.cpp]"));
    EXPECT_EQ(RowNames(*left), (std::vector<std::string>{"src", "sub.cpp", "a.cpp", "b.cpp", "test1.cpp"}));
    EXPECT_EQ(*shared.visualFilterHistory.First(), "*.h,*.cpp");
    EXPECT_TRUE(router.Update(cmd::kUseFilter).checked);
    EXPECT_FALSE(left->SetVisualFilter(" , "));
    EXPECT_EQ(left->FilterText(), "*.h,*.cpp");

    // Ctrl+J twice gives the same filter back
    EXPECT_TRUE(router.Execute(cmd::kUseFilter));
    EXPECT_EQ(left->FilterText(), "*");
    EXPECT_EQ(RowNames(*left).size(), 8u);
    EXPECT_FALSE(router.Update(cmd::kUseFilter).checked);
    EXPECT_TRUE(router.Execute(cmd::kUseFilter));
    EXPECT_EQ(left->FilterText(), "*.h,*.cpp");
    EXPECT_TRUE(left->IsConsistent());

    // with Alt it is the inactive pane's filter that turns on, and the active one's stays
    keyboard.SetModifiers(Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(router.Execute(cmd::kUseFilter));
    keyboard.SetModifiers(Qt::NoModifier);
    EXPECT_EQ(right->FilterText(), "*.h,*.cpp");
    EXPECT_EQ(left->FilterText(), "*.h,*.cpp");
    EXPECT_EQ(RowNames(*right).size(), 5u);

    // a pattern typed as an address is a filter like any other
    ASSERT_TRUE(left->GoToTyped("*.txt"));
    EXPECT_EQ(*shared.visualFilterHistory.First(), "*.txt");
    EXPECT_EQ(shared.lastVisualFilter, "*.txt");

    // each pane keeps its own at exit
    general.saveSettings = true;
    ClosePanes();
    EXPECT_EQ(store.GetString(registry::section::kLeftPaneSettings, registry::value::kDisplayFilter), "*.txt");
    EXPECT_EQ(store.GetString(registry::section::kRightPaneSettings, registry::value::kDisplayFilter), "*.h,*.cpp");
}

} // namespace
} // namespace bivora::test
