#include "ui/drives/drive_commands.h"

#include "shell/shell_namespace.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/services.h"
#include "ui/drives/drive_bar.h"
#include "ui/drives/drive_texts.h"
#include "ui/drives/drive_watch.h"

namespace bivora {

DriveCommands::DriveCommands(DriveServices services, DrivePanes panes, std::shared_ptr<const ShellNamespace> ns,
                             bool& driveBar2Root, std::function<void()> dialogSettingsLoaded)
    : m_services(services)
    , m_panes(std::move(panes))
    , m_driveBar2Root(driveBar2Root)
    , m_dialogSettingsLoaded(std::move(dialogSettingsLoaded))
    , m_watch(std::make_unique<DriveWatch>(services.jobs, ns->Env().mountInfoPath, [ns] { return ns->Drives(); }))
{
    QObject::connect(m_watch.get(), &DriveWatch::DrivesChanged, m_watch.get(), [this] {
        if (m_bar)
            m_bar->SetDrives(m_watch->Drives());
    });
}

DriveCommands::~DriveCommands() = default;

DriveBar* DriveCommands::MakeBar(CommandActions& actions, bool letters, std::function<void(int id)> run,
                                 QWidget* parent)
{
    auto* bar = new DriveBar(actions, m_services.icons, letters, std::move(run), parent);
    bar->SetToRoot(m_driveBar2Root);
    bar->SetDrives(m_watch->Drives());
    m_bar = bar;
    return bar;
}

void DriveCommands::SaveDialogSettings(SettingsStore& store) const
{
    if (m_dialogSettings)
        m_dialogSettings->Save(store);
}

bool DriveCommands::OnCommand(int id)
{
    if (id >= cmd::kDriveButton0 && id < cmd::kDriveButton0 + kMaxDriveButtons) {
        // an id past the drives (a button of a list just replaced) does nothing
        const auto index = static_cast<std::size_t>(id - cmd::kDriveButton0);
        if (index < m_watch->Drives().size())
            GoToDrive(index);
        return true;
    }
    switch (id) {
    case cmd::kRootCurrent:
        m_driveBar2Root = !m_driveBar2Root;
        if (m_bar)
            m_bar->SetToRoot(m_driveBar2Root);
        return true;
    case cmd::kSelectDrive:
        SelectDrive(m_panes.activeColumn());
        return true;
    case cmd::kSelectDriveLeft:
    case cmd::kSelectDriveRight:
        SelectDrive(id == cmd::kSelectDriveLeft ? 0 : 1);
        return true;
    default:
        return false;
    }
}

bool DriveCommands::OnUpdateCommand(int id, CommandState& state)
{
    if (id >= cmd::kDriveButton0 && id < cmd::kDriveButton0 + kMaxDriveButtons) {
        state.enabled = static_cast<std::size_t>(id - cmd::kDriveButton0) < m_watch->Drives().size();
        return true;
    }
    switch (id) {
    case cmd::kRootCurrent:
        state.checked = m_driveBar2Root;
        return true;
    case cmd::kSelectDrive:
        // the key of the active pane's side
        state.text = QStringLiteral("&Select Drive...\tAlt+F%1").arg(m_panes.activeColumn() + 1);
        return true;
    case cmd::kSelectDriveLeft:
    case cmd::kSelectDriveRight:
        return true;
    default:
        return false;
    }
}

void DriveCommands::GoToDrive(std::size_t index)
{
    const int active = m_panes.activeColumn();
    const int column = m_services.keyboard.Alt() ? 1 - active : active;
    m_panes.goTo(column, DriveGoText(m_watch->Drives()[index], m_driveBar2Root));
}

void DriveCommands::SelectDrive(int column)
{
    if (!m_dialogSettings) {
        m_dialogSettings = SelectDriveSettings::Load(m_services.store);
        if (m_dialogSettingsLoaded)
            m_dialogSettingsLoaded();
    }
    // the list the watch keeps: opening the dialog never waits for a mount
    const std::vector<Drive> drives = m_watch->Drives();
    const std::optional<std::string> path = m_panes.folderPath(column);
    const std::optional<std::size_t> paneDrive = path ? DriveIndexOfPath(drives, *path) : std::nullopt;
    SelectDriveDlg dialog(m_services.prompts, m_services.icons, drives, paneDrive, column == 0, *m_dialogSettings,
                          m_window);
    if (m_services.prompts.Exec(dialog) != QDialog::Accepted)
        return;
    m_dialogSettings = dialog.Settings();
    // Alt at the moment of Select sends the partner pane
    const int target = m_services.keyboard.Alt() ? 1 - column : column;
    m_panes.goTo(target, dialog.ChosenText());
}

} // namespace bivora
