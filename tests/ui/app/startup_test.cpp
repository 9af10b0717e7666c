#include "app_test_support.h"

#include "base/registry_keys.h"
#include "ui/app/bivora_app.h"
#include "ui/platform/file_version.h"
#include "ui/app/startup.h"
#include "shell/shell_namespace.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace bivora {
namespace {

namespace section = registry::section;
namespace value = registry::value;

TEST(Startup, CommandLineChoosesTheKeyAndStartFolders)
{
    QTemporaryDir dir;
    testing::MemoryStoreFactory factory;
    auto app = Startup({"/s:Work", "/srv/left", "-s:x", "ignored"}, testing::TemporaryEnvironment(dir),
                       factory.Factory());
    EXPECT_EQ(factory.key, "BivoraWork");
    EXPECT_EQ(app->ApplicationKey(), "BivoraWork");
    EXPECT_EQ(app->LeftStartFolder(), "/srv/left");
    EXPECT_EQ(app->RightStartFolder(), "-s:x");
    EXPECT_EQ(&app->Store(), factory.store);
}

TEST(Startup, ReadsGeneralSettingsAndTheActivePane)
{
    QTemporaryDir dir;
    testing::MemoryStoreFactory factory;
    auto app = Startup({}, testing::TemporaryEnvironment(dir), factory.Factory([](MemorySettingsStore& store) {
        store.WriteInt(section::kGeneralSettings, value::kHistoryItems, 51);
        store.WriteInt(section::kGeneralSettings, value::kFileDateUzed, 2);
        store.WriteInt(section::kMainFrameSettings, value::kLeftPaneActive, 0);
        store.WriteInt(section::kGeneralSettings, value::kShowHiddenFiles, 0);
    }));
    ASSERT_NE(app->Namespace(), nullptr);
    EXPECT_FALSE(app->Namespace()->ShowHiddenFiles());
    EXPECT_EQ(factory.key, "Bivora");
    EXPECT_EQ(app->Settings().historyItems, 15);
    EXPECT_EQ(app->Settings().fileDateUzed, 2);
    EXPECT_FALSE(app->LeftPaneActiveAtStart());

    auto fresh = Startup({}, testing::TemporaryEnvironment(dir), factory.Factory());
    EXPECT_TRUE(fresh->LeftPaneActiveAtStart());
}

TEST(Startup, EachKeyHasItsOwnIniFile)
{
    QTemporaryDir dir;
    const Environment env = testing::TemporaryEnvironment(dir);
    for (const char* key : {"", "Work"}) {
        auto app = Startup({std::string("/s:") + key}, env);
        app->Settings().historyItems = key[0] ? 30 : 20;
        app->SaveAllSettings();
    }
    const QString folder = QString::fromStdString(env.xdgConfigHome) + "/Quellmoor Plc/";
    EXPECT_TRUE(QFile::exists(folder + "Bivora.conf"));
    EXPECT_TRUE(QFile::exists(folder + "BivoraWork.conf"));
    EXPECT_EQ(Startup({}, env)->Settings().historyItems, 20);
    EXPECT_EQ(Startup({"-S:Work"}, env)->Settings().historyItems, 30);
}

class ExitPath : public ::testing::Test {
protected:
    std::unique_ptr<BivoraApp> Start(std::function<void(MemorySettingsStore&)> fill = {})
    {
        auto app = Startup({}, testing::TemporaryEnvironment(m_dir), m_factory.Factory(std::move(fill)));
        m_factory.store->ClearWriteLog();
        return app;
    }

    MemorySettingsStore& Store() { return *m_factory.store; }

    std::string MakeBatchFile()
    {
        const std::string path = (m_dir.path() + "/BivoraTmpBatch.bat").toStdString();
        QFile file(QString::fromStdString(path));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return path;
    }

    QTemporaryDir m_dir;
    testing::MemoryStoreFactory m_factory;
};

TEST_F(ExitPath, SavingOffWritesOnlyTheSwitch)
{
    auto app = Start([](MemorySettingsStore& store) {
        store.WriteInt(section::kGeneralSettings, value::kSaveSettings, 0);
        store.WriteInt(section::kGeneralSettings, value::kHistoryItems, 40);
        store.WriteString(section::kGrepSettings, value::kMatchCase, "1");
    });
    const std::size_t storedValues = Store().Size();
    bool grepSaved = false;
    app->SubsystemLoaded(Subsystem::Grep, [&](SettingsStore& store) {
        grepSaved = true;
        store.WriteInt(section::kGrepSettings, value::kMatchCase, 0);
    });
    app->Settings().historyItems = 3;
    const std::string batch = MakeBatchFile();
    app->SetTemporaryFilePath(batch);

    app->SaveAllSettings();

    ASSERT_EQ(Store().Writes().size(), 1u);
    EXPECT_EQ(Store().Writes()[0].section, section::kGeneralSettings);
    EXPECT_EQ(Store().Writes()[0].name, value::kSaveSettings);
    EXPECT_EQ(Store().ReadInt(section::kGeneralSettings, value::kSaveSettings), 0);
    EXPECT_EQ(Store().ReadInt(section::kGeneralSettings, value::kHistoryItems), 40);
    EXPECT_EQ(Store().ReadString(section::kGrepSettings, value::kMatchCase), "1");
    EXPECT_EQ(Store().Size(), storedValues);
    EXPECT_FALSE(grepSaved);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(batch))) << "the batch file goes even when nothing is saved";
}

TEST_F(ExitPath, OnlyLoadedSubsystemsSaveInTheirOrderAfterTheGeneralSettings)
{
    auto app = Start([](MemorySettingsStore& store) {
        store.WriteInt(section::kSelectDriveDialog, value::kGotoRoot, 1);
    });
    std::vector<std::string> calls;
    auto saver = [&calls](const char* name) {
        return [&calls, name](SettingsStore& store) {
            calls.push_back(name);
            store.WriteInt(name, "n", 1);
        };
    };
    // Loaded in a different order than they save.
    app->SubsystemLoaded(Subsystem::Editor, saver("editor"));
    app->SubsystemLoaded(Subsystem::SelectionPatternHistory, saver("selection"));
    app->SubsystemLoaded(Subsystem::FindFile, saver("find"));
    EXPECT_TRUE(app->HasLoaded(Subsystem::FindFile));
    EXPECT_FALSE(app->HasLoaded(Subsystem::SelectDriveDialog));

    app->SaveAllSettings();
    EXPECT_EQ(calls, (std::vector<std::string>{"selection", "find", "editor"}));
    // Twelve general values, then one per loaded subsystem.
    ASSERT_EQ(Store().Writes().size(), 15u);
    EXPECT_EQ(Store().Writes()[11].name, value::kFlatToolbars);
    EXPECT_EQ(Store().Writes()[12].section, "selection");
    EXPECT_EQ(Store().ReadInt(section::kSelectDriveDialog, value::kGotoRoot), 1);

    app->SaveAllSettings();
    EXPECT_EQ(calls.size(), 3u) << "the exit path runs once";
    EXPECT_EQ(Store().Writes().size(), 15u);
}

TEST_F(ExitPath, MissingBatchFileIsNoMatter)
{
    auto app = Start();
    app->SetTemporaryFilePath((m_dir.path() + "/gone.bat").toStdString());
    app->SaveAllSettings();
    EXPECT_EQ(Store().ReadInt(section::kGeneralSettings, value::kSaveSettings), 1);
    EXPECT_TRUE(app->TemporaryFilePath().empty());
}

TEST(FileVersion, BuildVersionOrUnknown)
{
    EXPECT_EQ(FileVersionText("1, 1, 0, 17"), "1.1.0.17");
    EXPECT_EQ(FileVersionText("2.0.1"), "2.0.1");
    EXPECT_EQ(FileVersionText(""), "[unknown]");
    EXPECT_EQ(GetFileVersionString(), BIVORA_VERSION_TEXT);
}

} // namespace
} // namespace bivora
