#include "ui/platform/icon_cache.h"

#include "../../shell/folder_fixture.h"
#include "shell/shell_item.h"
#include "ui/jobs/job_registry.h"
#include "ui/pane/pane_model.h"

#include <QIcon>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>

#include <set>

namespace bivora {
namespace {

class IconCacheTest : public test::FolderFixture {
protected:
    // A small icon theme of the test's own, so that the icons of different types are
    // real and different wherever the test runs. Qt's theme is process-wide: the
    // original is put back afterwards.
    void SetUp() override
    {
        tree.MakeFile("icons/TestIcons/index.theme",
                      "[Icon Theme]\nName=TestIcons\nDirectories=16x16\n\n[16x16]\nSize=16\nType=Fixed\n");
        const std::pair<const char*, Qt::GlobalColor> icons[] = {
            {"text-plain", Qt::white}, {"application-octet-stream", Qt::gray}, {"application-x-shellscript", Qt::green}};
        tree.MakeDir("icons/TestIcons/16x16");
        for (const auto& [name, colour] : icons) {
            QImage image(16, 16, QImage::Format_ARGB32);
            image.fill(colour);
            ASSERT_TRUE(image.save(QString::fromStdString(tree.Path("icons/TestIcons/16x16/")) + QLatin1String(name)
                                   + QLatin1String(".png")));
        }
        QIcon::setThemeSearchPaths({QString::fromStdString(tree.Path("icons"))});
        QIcon::setThemeName(QStringLiteral("TestIcons"));
    }
    void TearDown() override
    {
        QIcon::setThemeSearchPaths(m_savedPaths);
        QIcon::setThemeName(m_savedName);
    }

    // last gone but the tree's: the content reads are its jobs
    JobRegistry m_jobs;
    ShellFolder folder{ns};

    void Open()
    {
        ASSERT_EQ(folder.Open(IdOf(data), true), ShellFolder::kOk);
    }
    ShellItem& Item(const char* name)
    {
        ShellItem* item = folder.FindItemByName(name);
        EXPECT_TRUE(item) << name;
        return *item;
    }

private:
    QStringList m_savedPaths = QIcon::themeSearchPaths();
    QString m_savedName = QIcon::themeName();
};

TEST_F(IconCacheTest, NamesDecideAtOnceContentArrivesFromTheWorker)
{
    tree.MakeFile("data/notes.txt", "words\n");
    tree.MakeFile("data/run.sh", "#!/bin/sh\n");
    tree.MakeFile("data/fake.png", "words, not pixels\n");
    tree.MakeFile("data/letter", "plain words\n");
    tree.MakeFile("data/launcher", "#!/bin/sh\necho hi\n");
    // a FIFO without a writer: a read that opened it would wait for ever
    ASSERT_EQ(::mkfifo(tree.Path("data/pipe").c_str(), 0600), 0);
    Open();

    IconCache cache(m_jobs);
    bool waiting = true;
    const int text = cache.IconIndex(Item("notes.txt"), &waiting);
    EXPECT_FALSE(waiting);
    const int script = cache.IconIndex(Item("run.sh"), &waiting);
    EXPECT_FALSE(waiting);
    // by name only: the content is not looked at
    EXPECT_NE(cache.IconIndex(Item("fake.png"), &waiting), text);
    EXPECT_FALSE(waiting);

    struct Case {
        const char* name;
        int expected; // -1: anything but the generic icon
    };
    const Case cases[] = {{"letter", text}, {"launcher", script}, {"pipe", -1}};
    int generic = -1;
    for (const Case& c : cases) {
        const int index = cache.IconIndex(Item(c.name), &waiting);
        EXPECT_TRUE(waiting) << c.name;
        if (generic < 0)
            generic = index;
        EXPECT_EQ(index, generic) << c.name << ": the generic icon while the content is read";
    }

    QSignalSpy found(&cache, &IconCache::IconsFound);
    ASSERT_TRUE(found.wait(5000));
    const auto allKnown = [&] {
        for (const Case& c : cases) {
            cache.IconIndex(Item(c.name), &waiting);
            if (waiting)
                return false;
        }
        return true;
    };
    ASSERT_TRUE(QTest::qWaitFor(allKnown, 5000));
    for (const Case& c : cases) {
        const int index = cache.IconIndex(Item(c.name), &waiting);
        if (c.expected >= 0) {
            EXPECT_EQ(index, c.expected) << c.name;
        } else {
            EXPECT_NE(index, generic) << c.name;
        }
    }
}

TEST_F(IconCacheTest, GoesWhileItsWorkerStillHasFilesToRead)
{
    for (int i = 0; i < 300; ++i)
        tree.MakeFile("data/file" + std::to_string(i), "words\n");
    Open();
    auto cache = std::make_unique<IconCache>(m_jobs);
    bool waiting = false;
    for (const auto& item : folder.Items())
        cache->IconIndex(*item, &waiting);
    EXPECT_TRUE(waiting);
    // the batch starts from the event loop; the cache then goes in the middle of it
    QCoreApplication::processEvents();
    cache.reset();
    QCoreApplication::processEvents();
}

// The pane's rows that waited for their content are told by contiguous range, and
// only those whose icon changed.
TEST_F(IconCacheTest, WaitingRowsChangeByRange)
{
    tree.MakeFile("data/a.txt", "words\n");
    tree.MakeFile("data/textA", "words\n");
    tree.MakeFile("data/textB", "more words\n");
    tree.MakeFile("data/b.txt", "words\n");
    tree.MakeFile("data/binary", std::string("\x00\x01\x02\x03\xfe\xff", 6));
    tree.MakeFile("data/textC", "words again\n");
    Open();
    IconCache cache(m_jobs);
    PaneModel model(cache);
    model.SetColumns({QStringLiteral("Name"), QStringLiteral("Size"), QStringLiteral("Date")},
                     {Qt::AlignLeft, Qt::AlignRight, Qt::AlignLeft});
    const char* order[] = {"a.txt", "textA", "textB", "b.txt", "binary", "textC"};
    std::vector<ShellItem*> items;
    for (const char* name : order)
        items.push_back(&Item(name));
    model.AppendRows(items);

    const auto iconKey = [&](int row) {
        return model.data(model.index(row, PaneModel::kNameColumn), Qt::DecorationRole).value<QIcon>().cacheKey();
    };
    const qint64 textKey = iconKey(0);
    const qint64 genericKey = iconKey(1);
    ASSERT_NE(textKey, genericKey);
    for (int row = 2; row < model.rowCount(); ++row)
        iconKey(row);

    QSignalSpy found(&cache, &IconCache::IconsFound);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    ASSERT_TRUE(QTest::qWaitFor([&] { return iconKey(1) == textKey && iconKey(2) == textKey && iconKey(5) == textKey; },
                                5000));
    EXPECT_EQ(iconKey(4), genericKey);

    std::set<int> rows;
    std::vector<std::pair<int, int>> ranges;
    for (const QList<QVariant>& signal : changed) {
        const auto first = signal.at(0).value<QModelIndex>();
        const auto last = signal.at(1).value<QModelIndex>();
        EXPECT_EQ(first.column(), PaneModel::kNameColumn);
        EXPECT_EQ(last.column(), PaneModel::kNameColumn);
        EXPECT_EQ(signal.at(2).value<QList<int>>(), QList<int>{Qt::DecorationRole});
        ranges.emplace_back(first.row(), last.row());
        for (int row = first.row(); row <= last.row(); ++row)
            EXPECT_TRUE(rows.insert(row).second) << "row " << row << " told twice";
    }
    EXPECT_EQ(rows, (std::set<int>{1, 2, 5}));
    // arriving together, the neighbours come as one range
    if (found.count() == 1) {
        EXPECT_EQ(ranges, (std::vector<std::pair<int, int>>{{1, 2}, {5, 5}}));
    }
}

} // namespace
} // namespace bivora
