#pragma once

#include "ui/commands/command_router.h"
#include "ui/drives/select_drive_dlg.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QWidget;

namespace bivora {

class CommandActions;
class DriveBar;
class DriveWatch;
class IconCache;
class JobStarter;
class KeyboardState;
class Prompts;
class SettingsStore;
class ShellNamespace;
class StatusService;

// What the drive commands need of the two panes (column 0 is the left one).
struct DrivePanes {
    std::function<int()> activeColumn;
    // The file-system path of the folder the pane shows; none for a virtual folder.
    std::function<std::optional<std::string>(int column)> folderPath;
    // Sends the pane to a text as if it had been typed in the address bar.
    std::function<void(int column, const std::string& text)> goTo;
};

struct DriveServices {
    SettingsStore& store;
    Prompts& prompts;
    KeyboardState& keyboard;
    IconCache& icons;
    JobStarter& jobs;
};

// The drive bar's link of the command chain, asked before the panes: Root/Current
// (toggles bDriveBar2Root, which the panes' drive keys follow too), one command per
// drive button, and Select Drive for the active pane, the left one (Alt+F1) or the
// right one (Alt+F2). Alt held sends the other pane. The drives come from a watch of the
// mount table, and the bar's buttons follow it.
//
// GUI thread only. It outlives the frame's command chain (or leaves it first); the bar
// may go before it.
class DriveCommands final : public CommandTarget {
public:
    // driveBar2Root is the run's bDriveBar2Root, which outlives this object.
    // dialogSettingsLoaded runs once, when the dialog's settings are first read in the run.
    DriveCommands(DriveServices services, DrivePanes panes, std::shared_ptr<const ShellNamespace> ns,
                  bool& driveBar2Root, std::function<void()> dialogSettingsLoaded);
    ~DriveCommands() override;

    // The drive bar, kept in step with the drives and bDriveBar2Root. run is how its
    // buttons send their commands along the chain.
    DriveBar* MakeBar(CommandActions& actions, bool letters, std::function<void(int id)> run, QWidget* parent);
    DriveWatch& Watch() const { return *m_watch; }

    // The dialog's settings, at exit (only when they were loaded).
    void SaveDialogSettings(SettingsStore& store) const;
    // The window the dialog and its messages belong to.
    void SetParentWindow(QWidget* window) { m_window = window; }

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

private:
    void GoToDrive(std::size_t index);
    void SelectDrive(int column);

    DriveServices m_services;
    DrivePanes m_panes;
    bool& m_driveBar2Root;
    std::function<void()> m_dialogSettingsLoaded;
    std::unique_ptr<DriveWatch> m_watch;
    QPointer<DriveBar> m_bar;
    QPointer<QWidget> m_window;
    std::optional<SelectDriveSettings> m_dialogSettings; // loaded on the dialog's first use
};

} // namespace bivora
