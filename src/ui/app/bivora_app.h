#pragma once

#include "base/command_line.h"
#include "base/general_settings.h"
#include "base/settings_store.h"
#include "shell/environment.h"

#include <array>
#include <functional>
#include <memory>
#include <string>

namespace bivora {

class JobRegistry;
class ShellNamespace;

// The subsystems that keep settings of their own, in the order they save at exit.
enum class Subsystem {
    SelectionPatternHistory,
    SelectDriveDialog,
    TargetFolderHistory,
    Grep,                 // Grep Settings and the two grep histories
    BatchTemplateHistory,
    FolderData,
    FindFile,
    Editor,               // editor settings and Replace Text History
};
inline constexpr std::size_t kSubsystemCount = static_cast<std::size_t>(Subsystem::Editor) + 1;

// The process-wide state: the settings store, the general settings, the namespace
// the panes browse, the job registry of every worker, the start folders and the
// temporary batch file. It lives on the GUI thread from start-up to exit and hands
// references down. The registry goes last: whatever else goes first, a worker still
// running shares what it reads (the namespace among it).
class BivoraApp {
public:
    BivoraApp(std::unique_ptr<SettingsStore> store, Environment env, CommandLine commandLine);
    ~BivoraApp();

    BivoraApp(const BivoraApp&) = delete;
    BivoraApp& operator=(const BivoraApp&) = delete;

    SettingsStore& Store() { return *m_store; }
    const Environment& Env() const { return m_env; }
    const std::string& ApplicationKey() const { return m_commandLine.applicationKey; }
    const std::string& LeftStartFolder() const { return m_commandLine.leftStartFolder; }
    const std::string& RightStartFolder() const { return m_commandLine.rightStartFolder; }

    GeneralSettings& Settings() { return m_settings; }
    const GeneralSettings& Settings() const { return m_settings; }

    // Whether the left pane is the active one when the panes first show.
    bool LeftPaneActiveAtStart() const { return m_leftPaneActiveAtStart; }

    // The temporary batch file, deleted at exit; empty when there is none.
    const std::string& TemporaryFilePath() const { return m_temporaryFilePath; }
    void SetTemporaryFilePath(std::string path) { m_temporaryFilePath = std::move(path); }

    // The namespace the panes browse; null until one is attached. Attaching applies
    // the hidden-files setting to it.
    ShellNamespace* Namespace() const { return m_namespace.get(); }
    void AttachNamespace(std::shared_ptr<ShellNamespace> shellNamespace);

    JobRegistry& Jobs() { return *m_jobs; }
    // Hands the hidden-files setting to the namespace after the settings change.
    void ApplyShowHiddenFiles();

    // Reads the general settings and the active-pane flag from the store.
    void LoadSettings();

    // A subsystem calls this when it has loaded its settings, the first time it is
    // used in the run; only such subsystems save at exit. A second call replaces the saver.
    using Saver = std::function<void(SettingsStore&)>;
    void SubsystemLoaded(Subsystem subsystem, Saver saver);
    bool HasLoaded(Subsystem subsystem) const;

    // The exit path, once: deletes the temporary batch file, writes the general
    // settings and, when saving is on, asks every loaded subsystem to save, then
    // flushes the store. Later calls do nothing.
    void SaveAllSettings();
    bool SettingsSaved() const { return m_settingsSaved; }

private:
    std::unique_ptr<JobRegistry> m_jobs; // first made, last gone
    std::unique_ptr<SettingsStore> m_store;
    Environment m_env;
    CommandLine m_commandLine;
    GeneralSettings m_settings;
    bool m_leftPaneActiveAtStart = true;
    std::string m_temporaryFilePath;
    std::shared_ptr<ShellNamespace> m_namespace;
    std::array<Saver, kSubsystemCount> m_savers;
    bool m_settingsSaved = false;
};

} // namespace bivora
