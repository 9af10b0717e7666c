#include "ui/platform/qsettings_store.h"

#include "base/general_settings.h"
#include "base/registry_keys.h"
#include "base/window_rect.h"

#include "../../shell/temp_tree.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <set>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace bivora {
namespace {

// The whole text of a file, read byte for byte.
std::string FileText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file.is_open()) << path;
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class QSettingsStoreTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return m_dir.Path() + '/' + name; }

    // A store opened afresh on the file, as the next program run would see it.
    static std::unique_ptr<QSettingsStore> Reopen(const std::string& path)
    {
        return std::make_unique<QSettingsStore>(path);
    }

    void WriteFile(const std::string& path, const QByteArray& text) const
    {
        std::ofstream file(path, std::ios::binary);
        ASSERT_TRUE(file.is_open());
        file.write(text.constData(), text.size());
    }

    test::TempTree m_dir;
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
        "\"in quotes\"",
        "\"",
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
    const auto store = Reopen(path);
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
    const std::string text = FileText(path);
    EXPECT_TRUE(Has(text, "[Editor/Viewer Settings]\nnForeColor=255\n")) << text;
    EXPECT_TRUE(Has(text, "[Editor]\nViewer Settings/nForeColor=7\n")) << text;

    const auto store = Reopen(path);
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
    const std::string text = FileText(path);
    EXPECT_TRUE(Has(text, "[General Settings]\nnHistoryItems=20\n")) << text;
    EXPECT_TRUE(Has(text, "[BookMarks]\n0=/home/user/My Files\n1=caf\\xe9 \\x20\n")) << text;
    EXPECT_TRUE(Has(text, "[Layout 1]\nInfoHeader=@Binary(00ff10)\n")) << text;
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
    const auto reread = Reopen(path);
    EXPECT_EQ(LoadGeneralSettings(*reread).historyItems, 20);
    EXPECT_EQ(reread->ReadString("Layout 1", "\xff\xfe"), "\x01\x02");
}

TEST_F(QSettingsStoreTest, NamesThatAreNotUtf8StayApart)
{
    const std::string path = Path("names.conf");
    // U+FFFD in UTF-8 is what a lossy conversion would make of the others.
    const std::vector<std::pair<std::string, std::string>> names = {
        {"\xff", "\xfe"}, {"\xfe", "\xfe"}, {"\xfe", "\xff"}, {"\xef\xbf\xbd", "\xfe"}, {"\xfe", "\xef\xbf\xbd"},
    };
    {
        QSettingsStore store(path);
        for (std::size_t i = 0; i < names.size(); ++i)
            store.WriteInt(names[i].first, names[i].second, static_cast<std::int32_t>(i));
        for (std::size_t i = 0; i < names.size(); ++i)
            EXPECT_EQ(store.ReadInt(names[i].first, names[i].second), static_cast<std::int32_t>(i)) << i;
    }
    const auto store = Reopen(path);
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(store->ReadInt(names[i].first, names[i].second), static_cast<std::int32_t>(i)) << i;
}

TEST_F(QSettingsStoreTest, ValuesInDoubleQuotesReadWithoutThem)
{
    const std::string path = Path("quoted.conf");
    WriteFile(path, "[Left Pane Settings]\n"
                    "szInitialFolder=\"/home/x\"\n"
                    "szDisplayFilter = \"*.txt;*.md\" \n"
                    "szEmpty=\"\"\n"
                    "szInner=\"say \\\"hi\\\"\"\n"
                    "szOpen=\"unterminated\n"
                    "nViewStyle=\"3\"\n");
    QSettingsStore store(path);
    const std::string_view section = registry::section::kLeftPaneSettings;
    EXPECT_EQ(store.ReadString(section, registry::value::kInitialFolder), "/home/x");
    EXPECT_EQ(store.ReadString(section, registry::value::kDisplayFilter), "*.txt;*.md");
    EXPECT_EQ(store.ReadString(section, "szEmpty"), "");
    EXPECT_EQ(store.ReadString(section, "szInner"), "say \"hi\"");
    EXPECT_EQ(store.ReadString(section, "szOpen"), "\"unterminated");
    EXPECT_EQ(store.ReadInt(section, registry::value::kViewStyle), 3);
}

TEST_F(QSettingsStoreTest, TwoRunsSavingOneFileKeepEachOthersValues)
{
    const std::string path = Path("shared.conf");
    QSettingsStore first(path);
    QSettingsStore second(path);
    first.WriteInt("S", "first", 1);
    second.WriteInt("S", "second", 2);
    first.Flush();
    second.Flush();
    ASSERT_TRUE(first.Ok() && second.Ok());
    EXPECT_EQ(second.ReadInt("S", "first"), 1) << "a save brings in what the other run saved";
    const auto store = Reopen(path);
    EXPECT_EQ(store->ReadInt("S", "first"), 1);
    EXPECT_EQ(store->ReadInt("S", "second"), 2);
}

TEST(QSettingsStorePath, OneFilePerKeyInTheCompanyFolder)
{
    EXPECT_EQ(QSettingsStore::PathForKey("/cfg", "Bivora"), "/cfg/Quellmoor Plc/Bivora.conf");
    EXPECT_EQ(QSettingsStore::PathForKey("/cfg/", "BivoraWork"), "/cfg/Quellmoor Plc/BivoraWork.conf");
    EXPECT_EQ(QSettingsStore::PathForKey("/cfg", "Bivora/../../etc/x"),
              "/cfg/Quellmoor Plc/Bivora%2F..%2F..%2Fetc%2Fx.conf");
    EXPECT_EQ(QSettingsStore::PathForKey("/cfg", "Bivora%2F"), "/cfg/Quellmoor Plc/Bivora%252F.conf");
    EXPECT_EQ(QSettingsStore::PathForKey("/cfg", "Bivora\xc3\xbc\xff\n"), "/cfg/Quellmoor Plc/Bivora\xc3\xbc%FF%0A.conf");
}

TEST_F(QSettingsStoreTest, KeysThatAreNotUtf8HaveFilesOfTheirOwn)
{
    const std::vector<std::string> keys = {"Bivora\xff", "Bivora\xfe", "Bivora%FF", "Bivora\xef\xbf\xbd",
                                           "Bivora\xc3",  "Bivora\n",   "Bivora%0A"};
    std::set<std::string> paths;
    for (const std::string& key : keys) {
        const std::string path = QSettingsStore::PathForKey(m_dir.Path(), key);
        paths.insert(path);
        QSettingsStore store(path);
        store.WriteString("S", "key", key);
    }
    EXPECT_EQ(paths.size(), keys.size());
    for (const std::string& key : keys)
        EXPECT_EQ(Reopen(QSettingsStore::PathForKey(m_dir.Path(), key))->ReadString("S", "key"), key);
}

// What a settings path may be. Usable ones are read and replaced through a link that
// stays a link; anything else is neither read nor written, the run uses defaults,
// and the store says so once.
struct FileCase {
    const char* name;
    bool usable;
    bool needsRoot;
    // Makes the settings path below root; returns it and the file it leads to.
    std::function<std::pair<std::string, std::string>(const test::TempTree& root)> make;
};

void PrintTo(const FileCase& kind, std::ostream* out)
{
    *out << kind.name;
}

constexpr uid_t kOtherUser = 65534;
const QByteArray kStoredText = "[S]\nn=5\n";

std::string MakeStored(const test::TempTree& root, const std::string& relative)
{
    return root.MakeFile(relative, kStoredText.toStdString(), 0600);
}

std::string Link(const test::TempTree& root, const std::string& target)
{
    const std::string link = root.MakeDir("config") + "/Bivora.conf";
    EXPECT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    return link;
}

const FileCase kFileCases[] = {
    {"LinkIntoADotfilesFolder", true, false,
     [](const test::TempTree& root) {
         root.MakeDir("dotfiles");
         const std::string target = MakeStored(root, "dotfiles/Bivora.conf");
         return std::pair(Link(root, "../dotfiles/Bivora.conf"), target);
     }},
    {"LinkToACharacterDevice", false, false,
     [](const test::TempTree& root) {
         // A zero device of the test's own, so that a store that wrote it would harm nothing else.
         const std::string device = root.Path() + "/zero";
         if (::mknod(device.c_str(), S_IFCHR | 0600, makedev(1, 5)) != 0)
             return std::pair(std::string(), std::string());
         return std::pair(Link(root, device), device);
     }},
    {"Pipe", false, false,
     [](const test::TempTree& root) {
         const std::string path = root.MakeDir("config") + "/Bivora.conf";
         EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
         return std::pair(path, path);
     }},
    {"LinkThatLeadsNowhere", false, false,
     [](const test::TempTree& root) {
         const std::string path = Link(root, "../dotfiles/missing.conf");
         return std::pair(path, path);
     }},
    {"FileOfAnotherUser", false, true,
     [](const test::TempTree& root) {
         root.MakeDir("config");
         const std::string path = MakeStored(root, "config/Bivora.conf");
         EXPECT_EQ(::chown(path.c_str(), kOtherUser, kOtherUser), 0);
         return std::pair(path, path);
     }},
    {"LinkIntoAFolderOfAnotherUser", false, true,
     [](const test::TempTree& root) {
         const std::string folder = root.MakeDir("theirs");
         const std::string target = MakeStored(root, "theirs/Bivora.conf");
         EXPECT_EQ(::chown(folder.c_str(), kOtherUser, kOtherUser), 0);
         return std::pair(Link(root, target), target);
     }},
};

class SettingsFileKinds : public ::testing::TestWithParam<FileCase> {};

TEST_P(SettingsFileKinds, OnlyARegularFileOfTheUserIsReadAndReplaced)
{
    const FileCase& kind = GetParam();
    if (kind.needsRoot && ::geteuid() != 0)
        GTEST_SKIP() << "needs root to give a file to another user";
    test::TempTree root;
    const auto [path, target] = kind.make(root);
    if (path.empty())
        GTEST_SKIP() << "cannot make a device node here";
    struct stat before {};
    ASSERT_EQ(::lstat(target.c_str(), &before), 0);

    std::vector<std::string> said;
    {
        QSettingsStore store(path, [&said](const std::string& message) { said.push_back(message); });
        EXPECT_EQ(store.ReadInt("S", "n"), kind.usable ? std::optional<std::int32_t>(5) : std::nullopt);
        store.WriteInt("S", "n", 6);
        store.Flush();
        EXPECT_EQ(store.Ok(), kind.usable);
        EXPECT_EQ(store.LeftAlone(), !kind.usable);
        EXPECT_EQ(store.ReadInt("S", "n"), 6) << "the run goes on with its own values";
        store.WriteInt("S", "m", 7);
    } // and the store saves once more as it goes

    struct stat linkInfo {};
    ASSERT_EQ(::lstat(path.c_str(), &linkInfo), 0);
    if (path != target) {
        EXPECT_TRUE(S_ISLNK(linkInfo.st_mode)) << "the link stays a link";
    }
    if (kind.usable) {
        EXPECT_TRUE(said.empty());
        const std::string text = FileText(target);
        EXPECT_TRUE(Has(text, "n=6\n") && Has(text, "m=7\n")) << text;
        // Nothing is left beside the file.
        DIR* folder = ::opendir((root.Path() + "/dotfiles").c_str());
        ASSERT_NE(folder, nullptr);
        int entries = 0;
        while (const dirent* entry = ::readdir(folder))
            entries += entry->d_name[0] != '.';
        ::closedir(folder);
        EXPECT_EQ(entries, 1);
        return;
    }
    ASSERT_EQ(said.size(), 1u) << "said once";
    EXPECT_TRUE(Has(said[0], target)) << said[0];
    struct stat after {};
    if (::lstat(target.c_str(), &after) == 0) {
        EXPECT_EQ(after.st_ino, before.st_ino) << "the file is not replaced";
        EXPECT_EQ(after.st_mode, before.st_mode);
        if (S_ISREG(after.st_mode)) {
            EXPECT_EQ(FileText(target), kStoredText.toStdString());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(, SettingsFileKinds, ::testing::ValuesIn(kFileCases),
                         [](const ::testing::TestParamInfo<FileCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace bivora
