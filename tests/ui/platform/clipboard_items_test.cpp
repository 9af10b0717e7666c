#include "ui/platform/clipboard_items.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

namespace bivora {
namespace {

using Paths = std::vector<std::string>;

const Paths kItems = {std::string("/tmp/n\xff\xfe ame"), "/tmp/line\nbreak", "/tmp/100% #1"};

std::string Text(const QMimeData& data, const char* format)
{
    return data.data(QString::fromLatin1(format)).toStdString();
}

// What lands on the clipboard is what other file managers read, and comes back whole
// with its effect.
TEST(ClipboardItems, PutAndReadBackInEveryEffect)
{
    for (const int effect : {kEffectCopy, kEffectMove, kEffectLink}) {
        SCOPED_TRACE(effect);
        PutItemsOnClipboard(kItems, effect);
        ASSERT_TRUE(ClipboardHoldsItems());
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        ASSERT_NE(data, nullptr);
        const bool cut = effect == kEffectMove;
        EXPECT_EQ(Text(*data, "x-special/gnome-copied-files"),
                  std::string(cut ? "cut" : "copy") + "\nfile:///tmp/n%FF%FE%20ame\nfile:///tmp/line%0Abreak"
                                                      "\nfile:///tmp/100%25%20%231");
        EXPECT_EQ(Text(*data, "application/x-kde-cutselection"), cut ? "1" : "0");
        EXPECT_EQ(Text(*data, "text/uri-list"),
                  "file:///tmp/n%FF%FE%20ame\r\nfile:///tmp/line%0Abreak\r\nfile:///tmp/100%25%20%231\r\n");
        EXPECT_EQ(Text(*data, "text/plain"), kItems[0] + "\n" + kItems[1] + "\n" + kItems[2]);
        // Qt's own reading of the list agrees with ours
        ASSERT_EQ(data->urls().size(), 3);
        EXPECT_EQ(data->urls()[2].toLocalFile(), QStringLiteral("/tmp/100% #1"));

        const std::optional<ItemTransfer> items = ClipboardItems();
        ASSERT_TRUE(items);
        EXPECT_EQ(items->paths, kItems);
        EXPECT_EQ(items->effect, effect);
        EXPECT_EQ(items->SourceFolder(), "/tmp");
    }
    ClearClipboard();
    EXPECT_FALSE(ClipboardHoldsItems());
    EXPECT_FALSE(ClipboardItems());
}

// Data from other programs: the effect comes from the copied-files line, else from the
// KDE cut flag; anything but local files refuses the whole data.
TEST(ClipboardItems, ReadsForeignDataAndRefusesWhatIsNoLocalFile)
{
    struct Case {
        std::vector<std::pair<const char*, const char*>> formats;
        std::optional<Paths> paths;
        int effect = kEffectCopy;
    };
    const Case cases[] = {
        {{{"text/uri-list", "file:///a\r\n"}}, Paths{"/a"}, kEffectCopy},
        {{{"text/uri-list", "file:///a\r\n"}, {"application/x-kde-cutselection", "1"}}, Paths{"/a"}, kEffectMove},
        {{{"x-special/gnome-copied-files", "cut\nfile:///a"}, {"text/uri-list", "file:///a"}}, Paths{"/a"},
         kEffectMove},
        {{{"text/plain", "x-special/nautilus-clipboard\ncut\nfile:///a%20b\n"}}, Paths{"/a b"}, kEffectMove},
        {{{"text/uri-list", "https://example.com/\r\n"}}, std::nullopt},
        {{{"text/uri-list", "file:///a\r\nfile://server/share/b\r\n"}}, std::nullopt},
        {{{"x-special/gnome-copied-files", "copy\nrelative/name"}, {"text/uri-list", "file:///a"}}, std::nullopt},
        {{{"text/plain", "/just/a/path"}}, std::nullopt},
    };
    for (const Case& c : cases) {
        QMimeData data;
        for (const auto& [format, text] : c.formats)
            data.setData(QString::fromLatin1(format), QByteArray(text));
        SCOPED_TRACE(data.formats().join(QLatin1Char(' ')).toStdString());
        const std::optional<ItemTransfer> items = ItemsFromMimeData(data);
        ASSERT_EQ(items.has_value(), c.paths.has_value());
        if (items) {
            EXPECT_EQ(items->paths, *c.paths);
            EXPECT_EQ(items->effect, c.effect);
        }
    }
}

} // namespace
} // namespace bivora
