#include "ui/app/startup.h"

#include "base/registry_keys.h"
#include "shell/shell_namespace.h"
#include "ui/app/close_on_signals.h"
#include "ui/platform/file_version.h"
#include "ui/platform/icon_theme.h"
#include "ui/app/app_window.h"
#include "ui/frame/main_frame.h"
#include "ui/jobs/job_registry.h"
#include "ui/platform/qsettings_store.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace bivora {

std::unique_ptr<SettingsStore> OpenSettingsStore(const Environment& env, std::string_view applicationKey)
{
    return std::make_unique<QSettingsStore>(QSettingsStore::PathForKey(env.xdgConfigHome, applicationKey));
}

std::unique_ptr<BivoraApp> Startup(const std::vector<std::string>& arguments, Environment env,
                                   const StoreFactory& openStore)
{
    CommandLine commandLine = ParseCommandLine(arguments, registry::kApplicationKey);
    std::unique_ptr<SettingsStore> store = openStore(env, commandLine.applicationKey);
    auto shellNamespace = std::make_shared<ShellNamespace>(env);
    auto app = std::make_unique<BivoraApp>(std::move(store), std::move(env), std::move(commandLine));
    app->LoadSettings();
    app->AttachNamespace(std::move(shellNamespace));
    return app;
}

int RunApplication(int argc, char* argv[])
{
    // Qt takes its own options (-platform, -style ...) out of argv before the program reads it.
    QApplication qtApp(argc, argv);
    QCoreApplication::setOrganizationName(QString::fromUtf8(registry::kCompanyKey.data(),
                                                            static_cast<qsizetype>(registry::kCompanyKey.size())));
    QCoreApplication::setApplicationName(QStringLiteral("Bivora"));
    QCoreApplication::setApplicationVersion(QString::fromStdString(GetFileVersionString()));
    // without a full icon theme every file would show the same blank page
    ChooseIconTheme();

    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    std::unique_ptr<BivoraApp> app = Startup(arguments, Environment::FromProcess());

    int result = 0;
    {
        AppWindow window(*app);
        CloseOnSignals closeOnSignals(window.Frame());
        // Start may have seen the window closed (a signal while the start folders were
        // read): then there is no loop to run.
        if (window.Start())
            result = qtApp.exec();
        window.Shutdown();
    }
    // The settings are saved. A worker stuck on a dead mount is waited for a bounded
    // time; the process then ends without it (it shares what it reads, and nothing of
    // it is torn down under it).
    if (!app->Jobs().Shutdown()) {
        std::fflush(nullptr);
        std::_Exit(result);
    }
    return result;
}

} // namespace bivora
