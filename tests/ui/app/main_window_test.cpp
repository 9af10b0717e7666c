#include "app_test_support.h"

#include "base/registry_keys.h"
#include "ui/app/close_on_signals.h"
#include "ui/app/main_window.h"
#include "ui/app/window_placement.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace bivora {
namespace {

namespace section = registry::section;
namespace value = registry::value;

TEST(MainWindow, CloseStoresTheRectangleAndRestoresItNextRun)
{
    QTemporaryDir dir;
    testing::MemoryStoreFactory factory;
    auto app = Startup({}, testing::TemporaryEnvironment(dir), factory.Factory());
    WindowRect saved;
    {
        MainWindow window(*app);
        EXPECT_EQ(window.windowTitle(), "Bivora");
        window.show();
        window.setGeometry(40, 30, 500, 400);
        window.close();
        saved = ReadWindowRect(*factory.store, section::kMainFrameSettings);
        EXPECT_EQ(saved, (WindowRect{40, 30, 540, 430}));
        EXPECT_EQ(factory.store->ReadInt(section::kGeneralSettings, value::kSaveSettings), 1);
        EXPECT_TRUE(app->SettingsSaved());
    }
    MemorySettingsStore& store = *factory.store;
    auto next = Startup({}, testing::TemporaryEnvironment(dir), [&store](const Environment&, std::string_view) {
        auto copy = std::make_unique<MemorySettingsStore>();
        copy->WriteString(section::kMainFrameSettings, value::kWindowRect,
                          *store.ReadString(section::kMainFrameSettings, value::kWindowRect));
        return std::unique_ptr<SettingsStore>(std::move(copy));
    });
    MainWindow window(*next);
    EXPECT_EQ(NormalWindowRect(window), saved);
}

TEST(MainWindow, CloseWithSavingOffWritesOnlyTheSwitch)
{
    QTemporaryDir dir;
    testing::MemoryStoreFactory factory;
    auto app = Startup({}, testing::TemporaryEnvironment(dir), factory.Factory([](MemorySettingsStore& store) {
        store.WriteInt(section::kGeneralSettings, value::kSaveSettings, 0);
        store.WriteString(section::kMainFrameSettings, value::kWindowRect, "1,2,3,4");
    }));
    factory.store->ClearWriteLog();
    MainWindow window(*app);
    window.show();
    window.close();
    ASSERT_EQ(factory.store->Writes().size(), 1u);
    EXPECT_EQ(factory.store->Writes()[0].name, value::kSaveSettings);
    EXPECT_EQ(factory.store->ReadString(section::kMainFrameSettings, value::kWindowRect), "1,2,3,4");
}

TEST(MainWindow, AbsurdStoredRectangleStaysOnScreen)
{
    QTemporaryDir dir;
    testing::MemoryStoreFactory factory;
    auto app = Startup({}, testing::TemporaryEnvironment(dir), factory.Factory([](MemorySettingsStore& store) {
        store.WriteString(section::kMainFrameSettings, value::kWindowRect, "-90000,70000,-89990,2147483647");
    }));
    MainWindow window(*app);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window.geometry())) << window.geometry().x() << "," << window.geometry().y();
    EXPECT_GE(window.width(), std::min(kMinRestoredWidth, screen.width()));
}

TEST(PlaceWindowFromSettings, HalvesTheWindowWhenNothingIsStored)
{
    MemorySettingsStore store;
    QWidget window;
    window.setGeometry(10, 20, 600, 400);
    PlaceWindowFromSettings(store, section::kFolderDataSettings, window);
    EXPECT_EQ(window.geometry(), QRect(10, 20, 300, 200));

    WriteWindowRect(store, section::kFolderDataSettings, {50, 60, 450, 360});
    PlaceWindowFromSettings(store, section::kFolderDataSettings, window);
    EXPECT_EQ(window.geometry(), QRect(50, 60, 400, 300));
}

TEST(CloseOnSignals, TerminationClosesTheWindowAndSavesSettings)
{
    QTemporaryDir dir;
    const Environment env = testing::TemporaryEnvironment(dir);
    auto app = Startup({"/s:Signal"}, env);
    app->Settings().historyItems = 42;
    const QString path = QString::fromStdString(env.xdgConfigHome) + "/Quellmoor Plc/BivoraSignal.conf";
    {
        MainWindow window(*app);
        CloseOnSignals closeOnSignals(window);
        ASSERT_TRUE(closeOnSignals.Active());
        window.show();
        ASSERT_TRUE(testing::WaitUntil([&] { return window.isVisible(); }));

        ASSERT_EQ(std::raise(SIGTERM), 0);
        EXPECT_TRUE(testing::WaitUntil([&] { return !window.isVisible(); }));
        EXPECT_TRUE(app->SettingsSaved());
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("nHistoryItems=42")) << text.constData();
    EXPECT_TRUE(text.contains("szWindowRect=")) << text.constData();
}

TEST(CloseOnSignals, InterruptIsACloseRequestToo)
{
    QTemporaryDir dir;
    testing::MemoryStoreFactory factory;
    auto app = Startup({}, testing::TemporaryEnvironment(dir), factory.Factory());
    MainWindow window(*app);
    window.show();
    struct sigaction before {};
    ::sigaction(SIGINT, nullptr, &before);
    {
        CloseOnSignals closeOnSignals(window);
        ASSERT_TRUE(closeOnSignals.Active());
        CloseOnSignals second(window);
        EXPECT_FALSE(second.Active()) << "one instance owns the handlers";
        ASSERT_EQ(std::raise(SIGINT), 0);
        EXPECT_TRUE(testing::WaitUntil([&] { return !window.isVisible(); }));
    }
    EXPECT_EQ(factory.store->ReadInt(section::kGeneralSettings, value::kSaveSettings), 1);
    // The handler goes with it: the previous disposition is back.
    struct sigaction after {};
    ::sigaction(SIGINT, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

} // namespace
} // namespace bivora
