#include "ui/platform/qsettings_store.h"

#include "base/general_settings.h"
#include "base/registry_keys.h"
#include "base/window_rect.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace bivora {
namespace {

class QSettingsStoreTest : public ::testing::Test {
protected:
    std::string Path(const char* name) const { return (m_dir.path() + '/' + name).toStdString(); }

    // QSettings caches a file per path inside the process; a copy under a fresh name
    // is parsed from its text, as the next program run would see it.
    std::unique_ptr<QSettingsStore> Reopen(const std::string& path, const char* copyName)
    {
        const std::string copy = Path(copyName);
        EXPECT_TRUE(QFile::copy(QString::fromStdString(path), QString::fromStdString(copy)));
        return std::make_unique<QSettingsStore>(copy);
    }

    QByteArray FileText(const std::string& path) const
    {
        QFile file(QString::fromStdString(path));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    void WriteFile(const std::string& path, const QByteArray& text) const
    {
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QTemporaryDir m_dir;
};

TEST_F(QSettingsStoreTest, ValuesRoundTripThroughTheFile)
{
    const std::string path = Path("store.conf");
    ByteBlock everyByte(256);
    for (int i = 0; i < 256; ++i)
        everyByte[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    const ByteBlock dockState(4095, 0x5a);
    const std::vector<std::string> texts = {
        "",
        "plain",
        "a, b, \"quoted\", c",
        "  leading and trailing  ",
        "@ByteArray(not binary)",
        "line\nbreak\ttab;semicolon=equals#hash",
        std::string("nul\0inside", 10),
        "Gr\xC3\xBC\xC3\x9F" "e",
        "latin1 caf\xE9 \xFF\xFE",
    };
    {
        QSettingsStore store(path);
        store.WriteInt("General Settings", "min", -2147483647 - 1);
        store.WriteInt("General Settings", "max", 2147483647);
        store.WriteInt("General Settings", "zero", 0);
        for (std::size_t i = 0; i < texts.size(); ++i)
            store.WriteString("History", std::to_string(i), texts[i]);
        store.WriteBinary("Layout 1", "InfoHeader", everyByte);
        store.WriteBinary("Layout 1", "DockState", dockState);
        store.WriteBinary("Layout 1", "Empty", {});
        store.Flush();
        EXPECT_TRUE(store.Ok());
    }
    const auto store = Reopen(path, "copy.conf");
    EXPECT_EQ(store->ReadInt("General Settings", "min"), -2147483647 - 1);
    EXPECT_EQ(store->ReadInt("General Settings", "max"), 2147483647);
    EXPECT_EQ(store->ReadInt("General Settings", "zero"), 0);
    for (std::size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(store->ReadString("History", std::to_string(i)), texts[i]) << i;
    EXPECT_EQ(store->ReadBinary("Layout 1", "InfoHeader"), everyByte);
    EXPECT_EQ(store->ReadBinary("Layout 1", "DockState"), dockState);
    EXPECT_EQ(store->ReadBinary("Layout 1", "Empty"), ByteBlock{});
}

TEST_F(QSettingsStoreTest, SlashInASectionNameKeepsOneSection)
{
    const std::string path = Path("slash.conf");
    {
        QSettingsStore store(path);
        store.WriteInt("Editor/Viewer Settings", "nForeColor", 255);
        store.WriteInt("Editor", "Viewer Settings/nForeColor", 7);
        store.WriteInt("100%/x", "n", 1);
        store.WriteInt("100%2Fx", "n", 2);
        store.WriteInt("[odd] = section;", "#name=x] ", 3);
    }
    const QByteArray text = FileText(path);
    EXPECT_TRUE(text.contains("[Editor/Viewer Settings]\nnForeColor=255\n")) << text.constData();
    EXPECT_TRUE(text.contains("[Editor]\nViewer Settings/nForeColor=7\n")) << text.constData();

    const auto store = Reopen(path, "slash-copy.conf");
    EXPECT_EQ(store->ReadInt("Editor/Viewer Settings", "nForeColor"), 255);
    EXPECT_EQ(store->ReadInt("Editor", "Viewer Settings/nForeColor"), 7);
    EXPECT_EQ(store->ReadInt("100%/x", "n"), 1);
    EXPECT_EQ(store->ReadInt("100%2Fx", "n"), 2);
    EXPECT_EQ(store->ReadInt("[odd] = section;", "#name=x] "), 3);
    EXPECT_FALSE(store->ReadInt("Editor", "Viewer Settings"));
}

TEST_F(QSettingsStoreTest, TheFileIsAReadableIni)
{
    const std::string path = Path("readable.conf");
    {
        QSettingsStore store(path);
        store.WriteInt("General Settings", "nHistoryItems", 20);
        store.WriteString("BookMarks", "0", "/home/user/My Files");
        store.WriteString("BookMarks", "1", "caf\xE9  ");
        store.WriteBinary("Layout 1", "InfoHeader", {0x00, 0xff, 0x10});
    }
    const QByteArray text = FileText(path);
    EXPECT_TRUE(text.contains("[General Settings]\nnHistoryItems=20\n")) << text.constData();
    EXPECT_TRUE(text.contains("[BookMarks]\n0=/home/user/My Files\n1=caf\\xe9 \\x20\n")) << text.constData();
    EXPECT_TRUE(text.contains("[Layout 1]\nInfoHeader=@Binary(00ff10)\n")) << text.constData();
}

TEST_F(QSettingsStoreTest, ValuesOfAnotherKindReadAsMissing)
{
    QSettingsStore store(Path("kinds.conf"));
    store.WriteInt("S", "int", 5);
    store.WriteString("S", "text", "abc");
    store.WriteString("S", "bytes", "\xFF\xFE");
    store.WriteBinary("S", "block", {1, 2});

    EXPECT_EQ(store.ReadString("S", "int"), "5");
    EXPECT_FALSE(store.ReadBinary("S", "int"));
    EXPECT_FALSE(store.ReadInt("S", "text"));
    EXPECT_FALSE(store.ReadBinary("S", "text"));
    EXPECT_FALSE(store.ReadInt("S", "bytes"));
    EXPECT_FALSE(store.ReadBinary("S", "bytes"));
    EXPECT_FALSE(store.ReadInt("S", "block"));
    EXPECT_FALSE(store.ReadString("S", "block"));
    EXPECT_FALSE(store.ReadInt("S", "missing"));
    EXPECT_FALSE(store.ReadString("Missing", "int"));
}

TEST_F(QSettingsStoreTest, HandWrittenGarbageReadsAsDefaults)
{
    const std::string path = Path("garbage.conf");
    WriteFile(path, QByteArray("orphan=1\r\n"
                               "[General Settings]\r\n"
                               "; a comment\n"
                               "bSaveSettings=@Variant(\\0\\0\\0\\x31\\xff\\xff\\xff\\xf0)\n"
                               "nHistoryItems=99999999999999999999999\n"
                               "eFileDateUzed=1,2\n"
                               "bShowHiddenFiles=@Binary(0\n"
                               "bAskConfirmation=\n"
                               "  bFlatToolbars =   3   \r\n"
                               "bUzeExternalEditor=1\n"
                               "szExternalEditorName=@Binary(7669)\n"
                               "line without equals\n"
                               "=value without name\n"
                               "[unterminated section\n"
                               "bSelectIncFolders=1\n"
                               "[MainFrame Settings]\n"
                               "szWindowRect=10,20,810,620\n"
                               "nLeftPaneWidth=\\x\\\n"
                               "[Layout 1]\n"
                               "InfoHeader=@Binary(zz)\n"
                               "DockState=@Binary(\n"
                               "\xff\xfe=\x01\x02\n") +
                        QByteArray(100000, 'x') + "\n");
    QSettingsStore store(path);
    const GeneralSettings settings = LoadGeneralSettings(store);
    EXPECT_TRUE(settings.saveSettings);
    EXPECT_EQ(settings.historyItems, 15);
    EXPECT_EQ(settings.fileDateUzed, 0);
    EXPECT_TRUE(settings.showHiddenFiles);
    EXPECT_TRUE(settings.askConfirmation);
    EXPECT_TRUE(settings.flatToolbars);
    EXPECT_FALSE(settings.selectIncFolders);
    // A byte block is no name, so the external editor is off.
    EXPECT_EQ(settings.externalEditorName, "");
    EXPECT_FALSE(settings.uzeExternalEditor);
    EXPECT_FALSE(store.ReadInt("", "orphan"));
    EXPECT_EQ(ReadWindowRect(store, registry::section::kMainFrameSettings), (WindowRect{10, 20, 810, 620}));
    EXPECT_EQ(store.ReadString(registry::section::kMainFrameSettings, "nLeftPaneWidth"), "\\x\\");
    EXPECT_FALSE(store.ReadBinary("Layout 1", "InfoHeader"));
    EXPECT_FALSE(store.ReadBinary("Layout 1", "DockState"));
    EXPECT_EQ(store.ReadString("Layout 1", "\xff\xfe"), "\x01\x02");

    // The next save writes the damaged file out whole and readable again.
    store.WriteInt(registry::section::kGeneralSettings, "nHistoryItems", 20);
    store.Flush();
    EXPECT_TRUE(store.Ok());
    const auto reread = Reopen(path, "garbage-copy.conf");
    EXPECT_EQ(LoadGeneralSettings(*reread).historyItems, 20);
    EXPECT_EQ(reread->ReadString("Layout 1", "\xff\xfe"), "\x01\x02");
}

TEST(QSettingsStorePath, OneFilePerKeyInTheCompanyFolder)
{
    EXPECT_EQ(QSettingsStore::PathForKey("/cfg", "Bivora"), "/cfg/Quellmoor Plc/Bivora.conf");
    EXPECT_EQ(QSettingsStore::PathForKey("/cfg/", "BivoraWork"), "/cfg/Quellmoor Plc/BivoraWork.conf");
    EXPECT_EQ(QSettingsStore::PathForKey("/cfg", "Bivora/../../etc/x"),
              "/cfg/Quellmoor Plc/Bivora%2F..%2F..%2Fetc%2Fx.conf");
    EXPECT_EQ(QSettingsStore::PathForKey("/cfg", "Bivora%2F"), "/cfg/Quellmoor Plc/Bivora%252F.conf");
}

} // namespace
} // namespace bivora
