#pragma once

#include "base/settings_store.h"
#include "shell/environment.h"
#include "ui/app/startup.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace bivora::testing {

// A temporary home with its own configuration folder.
inline Environment TemporaryEnvironment(const QTemporaryDir& dir)
{
    Environment env;
    env.home = dir.path().toStdString();
    env.xdgConfigHome = env.home + "/config";
    env.xdgDataHome = env.home + "/data";
    env.tmpDir = env.home + "/tmp";
    return env;
}

// A store factory that hands out one memory store and remembers the key asked for.
struct MemoryStoreFactory {
    MemorySettingsStore* store = nullptr;
    std::string key;

    StoreFactory Factory(std::function<void(MemorySettingsStore&)> fill = {})
    {
        return [this, fill](const Environment&, std::string_view applicationKey) {
            auto made = std::make_unique<MemorySettingsStore>();
            if (fill)
                fill(*made);
            store = made.get();
            key = std::string(applicationKey);
            return std::unique_ptr<SettingsStore>(std::move(made));
        };
    }
};

// Runs the event loop until the condition holds or the time is up.
inline bool WaitUntil(const std::function<bool()>& condition, int milliseconds = 5000)
{
    QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

} // namespace bivora::testing
