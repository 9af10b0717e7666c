#include "ui/find/find_files_dlg.h"

#include "base/find_settings.h"
#include "base/grep_settings.h"
#include "base/settings_store.h"
#include "shell/shell_namespace.h"
#include "ui/jobs/job_registry.h"

#include "../../shell/temp_tree.h"
#include "../test_services.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace bivora::test {
namespace {

class FindFilesDlgTest : public ::testing::Test {
protected:
    FindFilesDlgTest()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); // dd/MM/yyyy
        tree.MakeDir("data/sub");
        tree.MakeFile("data/file.txt", "x");
    }
    ~FindFilesDlgTest() override { QLocale::setDefault(QLocale::c()); }

    FindFilesDlgServices Services()
    {
        FindFilesDlgServices services{store, prompts, grep, settings, *ns, driveFolders, jobs};
        services.folderOf = folderOf;
        services.localDrives = [] { return std::vector<std::string>{"/", "/mnt/disk"}; };
        return services;
    }

    // Runs the dialog on the tree's root: fill sets its fields, then Find is pressed.
    // What the dialog said and where the focus went are kept.
    std::optional<FindCriteria> Run(const std::function<void(QDialog&)>& fill)
    {
        prompts.ClearLog();
        message.clear();
        focused.clear();
        prompts.AnswerDialog([&](QDialog& dialog) {
            fill(dialog);
            dialog.accept();
            if (dialog.result() == QDialog::Accepted)
                return int(QDialog::Accepted);
            const QStringList said = prompts.Texts(ScriptedPrompts::Kind::Message);
            message = said.isEmpty() ? QString() : said.back();
            for (QWidget* w = dialog.focusWidget(); w; w = w->parentWidget()) {
                if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_"))) {
                    focused = w->objectName();
                    break;
                }
            }
            lookInAfter = Child<QComboBox>(dialog, "lookIn")->currentText();
            return int(QDialog::Rejected);
        });
        return AskFindCriteria(Services(), tree.Root(), nullptr);
    }

    template <class T>
    static T* Child(QDialog& dialog, const char* name)
    {
        T* child = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    JobRegistry jobs; // first made, last gone
    TempTree tree;
    std::shared_ptr<ShellNamespace> ns = std::make_shared<ShellNamespace>(tree.MakeEnvironment());
    FolderOfEntry folderOf; // unset: the real resolution
    MemorySettingsStore store;
    ScriptedPrompts prompts;
    GrepSettings grep;
    FindFileSettings settings;
    DriveFolders driveFolders;
    QString message;
    QString focused;
    QString lookInAfter;
};

// The checks of Find in their order over a table of entries: each failure names its
// field, focuses it and keeps the dialog open; a switch whose window constrains nothing
// is turned off, so that the search then needs a name pattern.
TEST_F(FindFilesDlgTest, FindChecksTheEntriesInOrder)
{
    const QString today = QLocale().toString(QDate::currentDate(), FindFilesDlg::DateFormat());
    struct Case {
        const char* what;
        QString lookIn, named;
        bool useDate = false, previous = false;
        QString from, until;
        int count = 1;
        bool useSize = false;
        int size = 10;
        bool useText = false;
        QString text;
        QString message;
        QString focus;
    };
    const QString unconstrained =
        QStringLiteral("The search cannot be completely unconstrained.\nYou should at least specify a search pattern.");
    const Case cases[] = {
        {"blank look in", " ", "*.txt", {}, {}, {}, {}, 1, {}, 10, {}, {},
         QStringLiteral("The \"Look in\" field should not be empty."), "lookIn"},
        {"no entries", " , ,", "*.txt", {}, {}, {}, {}, 1, {}, 10, {}, {},
         QStringLiteral("The root folder of the search is invalid"), "lookIn"},
        {"a missing folder", "data , missing", "*.txt", {}, {}, {}, {}, 1, {}, 10, {}, {},
         QStringLiteral("Some folder in the 'Look In' list is invalid"), "lookIn"},
        {"a file", "data/file.txt", "*.txt", {}, {}, {}, {}, 1, {}, 10, {}, {},
         QStringLiteral("Some folder in the 'Look In' list is invalid"), "lookIn"},
        {"an impossible date", "data", "*", true, false, "31/02/2001", {}, 1, {}, 10, {}, {},
         QStringLiteral("Use 'dd/MM/yyyy' format for the date"), "fromDate"},
        {"From after Until", "data", "*", true, false, "02/01/2001", "01/01/2001", 1, {}, 10, {}, {},
         QStringLiteral("The 'From' date cannot be later than 'Until' one."), "untilDate"},
        {"4 GB", "data", "*", {}, {}, {}, {}, 1, true, 4194304, {}, {},
         QStringLiteral("File sizes above 4GB are not supported"), "size"},
        {"no text", "data", "*", {}, {}, {}, {}, 1, {}, 10, true, {},
         QStringLiteral("Text to be found was not specified"), "findWhat"},
        {"nothing asked", "data", "  ", {}, {}, {}, {}, 1, {}, 10, {}, {}, unconstrained, "named"},
        {"Between from the start until today", "data", "*", true, false, {}, today, 1, {}, 10, {}, {},
         unconstrained, "named"},
        {"the previous 0 days", "data", {}, true, true, {}, {}, 0, {}, 10, {}, {}, unconstrained, "named"},
        {"0 kB", "data", "*", {}, {}, {}, {}, 1, true, 0, {}, {}, unconstrained, "named"},
        {"only commas as names", "data", ",,", {}, {}, {}, {}, 1, {}, 10, {}, {}, unconstrained, "named"},
        {"a size just below 4 GB", "data", {}, {}, {}, {}, {}, 1, true, 4194303, {}, {}, {}, {}},
        {"a From date alone", "data", {}, true, false, "01/01/2001", " ", 1, {}, 10, {}, {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<FindCriteria> criteria = Run([&](QDialog& d) {
            Child<QComboBox>(d, "lookIn")->setEditText(c.lookIn);
            Child<QComboBox>(d, "named")->setEditText(c.named);
            Child<QCheckBox>(d, "useDate")->setChecked(c.useDate);
            Child<QRadioButton>(d, c.previous ? "previous" : "between")->setChecked(true);
            Child<QLineEdit>(d, "fromDate")->setText(c.from);
            Child<QLineEdit>(d, "untilDate")->setText(c.until);
            Child<QSpinBox>(d, "count")->setValue(c.count);
            Child<QCheckBox>(d, "useSize")->setChecked(c.useSize);
            Child<QSpinBox>(d, "size")->setValue(c.size);
            Child<QCheckBox>(d, "useText")->setChecked(c.useText);
            Child<QComboBox>(d, "findWhat")->setEditText(c.text);
        });
        EXPECT_EQ(message, c.message);
        EXPECT_EQ(focused, c.focus);
        EXPECT_EQ(criteria.has_value(), c.message.isEmpty());
        if (criteria) {
            EXPECT_EQ(criteria->lookIn, tree.Path("data"));
        }
    }
    // a refused folder leaves the entries rewritten for the user to mend
    Run([](QDialog& d) { Child<QComboBox>(d, "lookIn")->setEditText(QStringLiteral(" data ,, missing ")); });
    EXPECT_EQ(lookInAfter, QStringLiteral("data,missing"));
}

// What passes is what the search gets, and what the next dialog starts from: the
// folders' full paths, the canonical names, the windows, and the texts at the front of
// their histories; the use switches start off again.
TEST_F(FindFilesDlgTest, AcceptedEntriesBecomeTheCriteriaAndTheNextDefaults)
{
    const std::optional<FindCriteria> criteria = Run([](QDialog& d) {
        Child<QComboBox>(d, "lookIn")->setEditText(QStringLiteral(" data ,, data/sub "));
        Child<QComboBox>(d, "named")->setEditText(QStringLiteral(" *.txt , -a* "));
        Child<QCheckBox>(d, "useSize")->setChecked(true);
        Child<QComboBox>(d, "sizeKind")->setCurrentIndex(1);
        Child<QSpinBox>(d, "size")->setValue(5);
        Child<QCheckBox>(d, "useText")->setChecked(true);
        Child<QComboBox>(d, "findWhat")->setEditText(QStringLiteral("needle"));
        Child<QCheckBox>(d, "matchCase")->setChecked(true);
        Child<QCheckBox>(d, "includeSubfolders")->setChecked(false);
    });
    ASSERT_TRUE(criteria.has_value()) << message.toStdString();
    EXPECT_EQ(criteria->lookIn, tree.Path("data") + "," + tree.Path("data/sub"));
    EXPECT_EQ(criteria->namePatterns, "*.txt,-a*");
    EXPECT_FALSE(criteria->includeSubfolders);
    EXPECT_TRUE(criteria->useSize);
    EXPECT_EQ(criteria->minSize, 0u);
    EXPECT_EQ(criteria->maxSize, 5u * 1024);
    EXPECT_TRUE(criteria->useText && criteria->matchCase);
    EXPECT_EQ(criteria->searchText, "needle");
    EXPECT_FALSE(criteria->useDate);
    EXPECT_EQ(*settings.lookInHistory.First(), criteria->lookIn);
    EXPECT_EQ(*grep.findHistory.First(), "needle");
    EXPECT_EQ(*grep.fileTypesHistory.First(), "*.txt,-a*");
    EXPECT_TRUE(settings.sizeAtMost);
    EXPECT_EQ(settings.kByteSize, 5u);
    EXPECT_FALSE(settings.recursive);
    EXPECT_TRUE(grep.matchCase);

    bool switchesOff = false;
    bool sizeDisabled = false;
    prompts.AnswerDialog([&](QDialog& d) {
        switchesOff = !Child<QCheckBox>(d, "useDate")->isChecked() && !Child<QCheckBox>(d, "useSize")->isChecked()
            && !Child<QCheckBox>(d, "useText")->isChecked();
        sizeDisabled = !Child<QSpinBox>(d, "size")->isEnabled();
        EXPECT_EQ(Child<QComboBox>(d, "sizeKind")->currentIndex(), 1);
        return int(QDialog::Rejected);
    });
    EXPECT_FALSE(AskFindCriteria(Services(), tree.Root(), nullptr).has_value());
    EXPECT_TRUE(switchesOff);
    EXPECT_TRUE(sizeDisabled);
}

// Scan all drives lists the local volumes; unticked, Look in goes back to the folder the
// dialog opened with, not to one typed meanwhile.
TEST_F(FindFilesDlgTest, ScanAllDrivesAndBack)
{
    QStringList seen;
    prompts.AnswerDialog([&](QDialog& d) {
        auto* lookIn = Child<QComboBox>(d, "lookIn");
        auto* allDrives = Child<QCheckBox>(d, "scanAllDrives");
        lookIn->setEditText(QStringLiteral("/somewhere/typed"));
        allDrives->setChecked(true);
        seen << lookIn->currentText();
        allDrives->setChecked(false);
        seen << lookIn->currentText();
        return int(QDialog::Rejected);
    });
    AskFindCriteria(Services(), tree.Root(), nullptr);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("/,/mnt/disk"), QString::fromStdString(tree.Root())}));
}

// A Look in folder that does not answer (a dead mount) is checked on a worker: the
// dialog's timers go on meanwhile and nothing is said; Escape gives the check up and
// leaves the dialog open as it was; once the folder answers, Find goes through.
TEST_F(FindFilesDlgTest, SlowLookInFoldersLeaveTheDialogResponsive)
{
    // shared with the worker, which a failed wait would leave behind
    struct Gate {
        std::mutex mutex;
        std::condition_variable changed;
        int asked = 0;
        bool open = false;
    };
    auto gate = std::make_shared<Gate>();
    folderOf = [gate, data = tree.Path("data")](std::string_view entry) {
        std::unique_lock lock(gate->mutex);
        ++gate->asked;
        gate->changed.wait_for(lock, std::chrono::seconds(30), [&] { return gate->open; });
        return entry == "data" ? data : std::string();
    };
    const auto asked = [&gate] {
        const std::lock_guard lock(gate->mutex);
        return gate->asked;
    };

    int ticksWhileWaiting = 0;
    bool openAfterEscape = false;
    bool saidNothing = false;
    prompts.AnswerDialog([&](QDialog& d) {
        Child<QComboBox>(d, "lookIn")->setEditText(QStringLiteral("data"));
        Child<QComboBox>(d, "named")->setEditText(QStringLiteral("*.txt"));
        // first Find: given up with Escape once the timer has ticked during the wait
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            if (asked() > 0 && ++ticksWhileWaiting == 3)
                QTest::keyClick(&d, Qt::Key_Escape);
        });
        ticker.start(5);
        d.accept();
        ticker.stop();
        openAfterEscape = d.result() != QDialog::Accepted;
        saidNothing = prompts.Texts(ScriptedPrompts::Kind::Message).isEmpty();
        // second Find: the folder answers after a few ticks
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            if (asked() > 1) {
                const std::lock_guard lock(gate->mutex);
                gate->open = true;
                gate->changed.notify_all();
            }
        });
        ticker.start(5);
        d.accept();
        return d.result();
    });
    const std::optional<FindCriteria> criteria = AskFindCriteria(Services(), tree.Root(), nullptr);
    EXPECT_GE(ticksWhileWaiting, 3);
    EXPECT_TRUE(openAfterEscape);
    EXPECT_TRUE(saidNothing);
    ASSERT_TRUE(criteria.has_value());
    EXPECT_EQ(criteria->lookIn, tree.Path("data"));
    EXPECT_EQ(*settings.lookInHistory.First(), tree.Path("data"));
}

} // namespace
} // namespace bivora::test
