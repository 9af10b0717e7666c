#include "ui/widgets/history_picker.h"

#include "base/history_list.h"

#include <QComboBox>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace bivora {
namespace {

HistoryList Holding(std::initializer_list<const char*> texts)
{
    HistoryList list;
    // Add puts each at the front: add the last first
    std::vector<std::string> all(texts.begin(), texts.end());
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        list.Add(50, *it);
    return list;
}

QStringList Items(const QComboBox& combo)
{
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    return items;
}

TEST(FillComboTest, AppendsUpToTheLimitAndSetsTheText)
{
    struct Case {
        const char* name;
        int limit;
        std::optional<std::string> text;
        QStringList items;
        QString editText;
    };
    const Case cases[] = {
        {"all, first entry shown", 5, std::nullopt, {"c", "b", "a"}, "c"},
        {"limited", 2, std::nullopt, {"c", "b"}, "c"},
        {"given text shown", 5, std::string("typed"), {"c", "b", "a"}, "typed"},
        {"empty text means the first entry", 5, std::string(), {"c", "b", "a"}, "c"},
    };
    const HistoryList history = Holding({"c", "b", "a"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QComboBox combo;
        combo.setEditable(true);
        FillCombo(history, c.limit, combo, c.text);
        EXPECT_EQ(Items(combo), c.items);
        EXPECT_EQ(combo.currentText(), c.editText);
    }
    QComboBox combo;
    combo.setEditable(true);
    FillCombo(HistoryList(), 5, combo);
    EXPECT_EQ(combo.count(), 0);
    EXPECT_EQ(combo.currentText(), "");
}

TEST(HistoryPickerTest, TextIsAtMost128CharactersAndKeepsItsBytes)
{
    HistoryList history;
    history.Add(15, "/x\xFF");
    HistoryPicker picker(nullptr, "t", history, 15);
    EXPECT_EQ(picker.Text(), "/x\xFF");
    picker.Combo()->lineEdit()->setText(QString(300, QLatin1Char('a')));
    EXPECT_EQ(picker.Text(), std::string(HistoryPicker::kMaxLength, 'a'));
}

TEST(HistoryPickerTest, ChoosingAnEntryFromTheListActsLikeOk)
{
    HistoryList history = Holding({"one", "two"});
    HistoryPicker picker(nullptr, "t", history, 15);
    picker.show();
    picker.Combo()->activated(1);
    EXPECT_EQ(picker.result(), QDialog::Accepted);
    EXPECT_FALSE(picker.isVisible());
    EXPECT_EQ(picker.Text(), "two");
}

} // namespace
} // namespace bivora
