#include "ui/app/bivora_app.h"

#include "base/registry_keys.h"
#include "shell/shell_namespace.h"
#include "ui/jobs/job_registry.h"

#include <unistd.h>

namespace bivora {

BivoraApp::BivoraApp(std::unique_ptr<SettingsStore> store, Environment env, CommandLine commandLine)
    : m_jobs(std::make_unique<JobRegistry>())
    , m_store(std::move(store))
    , m_env(std::move(env))
    , m_commandLine(std::move(commandLine))
{
}

BivoraApp::~BivoraApp() = default;

void BivoraApp::AttachNamespace(std::shared_ptr<ShellNamespace> shellNamespace)
{
    m_namespace = std::move(shellNamespace);
    ApplyShowHiddenFiles();
}

void BivoraApp::ApplyShowHiddenFiles()
{
    if (m_namespace)
        m_namespace->SetShowHiddenFiles(m_settings.showHiddenFiles);
}

void BivoraApp::LoadSettings()
{
    m_settings = LoadGeneralSettings(*m_store);
    ApplyShowHiddenFiles();
    m_leftPaneActiveAtStart =
        m_store->GetInt(registry::section::kMainFrameSettings, registry::value::kLeftPaneActive, 1) != 0;
}

void BivoraApp::SubsystemLoaded(Subsystem subsystem, Saver saver)
{
    m_savers[static_cast<std::size_t>(subsystem)] = std::move(saver);
}

bool BivoraApp::HasLoaded(Subsystem subsystem) const
{
    return static_cast<bool>(m_savers[static_cast<std::size_t>(subsystem)]);
}

void BivoraApp::SaveAllSettings()
{
    if (m_settingsSaved)
        return;
    m_settingsSaved = true;
    if (!m_temporaryFilePath.empty()) {
        ::unlink(m_temporaryFilePath.c_str()); // a file already gone or locked is no matter at exit
        m_temporaryFilePath.clear();
    }
    if (SaveGeneralSettings(*m_store, m_settings)) {
        for (const Saver& saver : m_savers) {
            if (saver)
                saver(*m_store);
        }
    }
    m_store->Flush();
}

} // namespace bivora
