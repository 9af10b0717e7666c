// Moving the pane from folder to folder.
#include "ui/pane/pane_view.h"

#include "base/general_settings.h"
#include "base/registry_keys.h"
#include "base/settings_store.h"
#include "shell/shell_folder.h"
#include "shell/working_directory.h"
#include "ui/widgets/sort_list_ctrl.h"
#include "ui/commands/byte_text.h"
#include "ui/pane/pane_caption.h"
#include "ui/pane/pane_model.h"
#include "ui/pane/pane_navigator.h"
#include "ui/commands/status_service.h"

namespace bivora {

namespace {

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

// The mount path of the drive a folder lies on (the key of the per-drive folders),
// empty for a folder that is on no drive.
std::string DriveKey(const ItemIdList& id)
{
    for (const ItemId& item : id.Items()) {
        if (item.kind == ItemId::Kind::Drive || item.kind == ItemId::Kind::NetworkDrive)
            return item.key;
    }
    return {};
}

// The list of the drive a folder lies on: everything up to and including the drive.
std::optional<ItemIdList> DriveRootId(const ItemIdList& id)
{
    std::vector<ItemId> items;
    for (const ItemId& item : id.Items()) {
        items.push_back(item);
        if (item.kind == ItemId::Kind::Drive || item.kind == ItemId::Kind::NetworkDrive)
            return ItemIdList(std::move(items));
    }
    return std::nullopt;
}

} // namespace

void PaneView::InitialUpdate()
{
    std::string start = m_ctx.commandLineFolder ? Trimmed(*m_ctx.commandLineFolder) : std::string();
    if (start.empty())
        start = m_startFolder;
    if (start.empty())
        start = CurrentDirectory().ValueOr({});
    if (start.empty() || !GoToTyped(start))
        GoToDesktop();
}

bool PaneView::GoToTyped(const std::string& text)
{
    const PaneNavigator::TypedOutcome outcome = m_nav->GoToTyped(text);
    if (outcome == PaneNavigator::TypedOutcome::Refused)
        m_ctx.status.ShowStatusMessage(QStringLiteral("The CPU cannot make any sense of the last input"), true);
    return outcome == PaneNavigator::TypedOutcome::Done;
}

bool PaneView::GoToDesktop()
{
    return GoToFolder(ItemIdList());
}

void PaneView::UpdatePaneState(const std::optional<std::string>& focusName)
{
    UpdateCaption();
    m_caption->SetActive(m_active);
    if (m_folder) {
        if (m_active) {
            // The address bar and the folder tree follow the active pane once they exist.
            if (m_ctx.setMainCaption)
                m_ctx.setMainCaption(QStringLiteral("Bivora - ") + FromBytes(m_folder->Title()));
            if (m_folder->IsFileSystem())
                SetPaneDirectory(m_folder->Path(), true);
        } else if (m_folder->IsFileSystem()) {
            // Remembered for its drive unless the active pane's folder is on the same drive.
            const PaneView* active = m_ctx.pair ? m_ctx.pair->ActivePane() : nullptr;
            const ShellFolder* activeFolder = active ? active->Folder() : nullptr;
            if (!activeFolder || !activeFolder->IsFileSystem() || DriveKey(activeFolder->Id()) != DriveKey(m_folder->Id()))
                SetPaneDirectory(m_folder->Path(), false);
        }
    }
    if (!(focusName && FocusName(*focusName, true) >= 0)) {
        int row = m_list->FocusedRow();
        if (row < 0 && m_model->rowCount() > 0)
            row = 0;
        if (row >= 0)
            m_list->SetRowState(row, 0);
    }
    ScheduleStatusUpdate();
}

void PaneView::SetPaneDirectory(const std::string& path, bool makeCurrent)
{
    if (makeCurrent && !ChangeCurrentDirectory(path))
        return;
    const std::string drive = m_folder ? DriveKey(m_folder->Id()) : std::string();
    if (!drive.empty())
        m_ctx.shared.driveFolders[drive] = path;
}

PaneView* PaneView::Target()
{
    return m_ctx.pair ? m_ctx.pair->TargetPane(this) : this;
}

void PaneView::SwitchPanes()
{
    PaneView* other = m_ctx.pair ? m_ctx.pair->OtherPane(this) : nullptr;
    // With one pane shown the splitter moves the other out of its sight (keeping its
    // minimum width): that pane stays inactive.
    const QWidget* parent = other ? other->parentWidget() : nullptr;
    if (other && other->isVisible() && (!parent || other->geometry().intersects(parent->rect())))
        other->Activate();
}

void PaneView::GoToDrive(char letter)
{
    std::string text(1, letter);
    text += m_ctx.general.driveBar2Root ? ":/" : ":";
    Target()->GoToTyped(text);
}

void PaneView::GoParent()
{
    PaneView* target = Target();
    const ShellFolder* folder = target->Folder();
    if (!folder || folder->Id().IsEmpty())
        return;
    if (std::optional<ItemIdList> parent = folder->ParentId(1))
        target->GoToFolder(std::move(*parent));
}

void PaneView::GoRoot()
{
    PaneView* target = Target();
    const ShellFolder* folder = target->Folder();
    if (!folder || folder->Id().IsEmpty() || !folder->IsFileSystem() || folder->IsFileSystemRoot())
        return;
    if (std::optional<ItemIdList> root = DriveRootId(folder->Id()))
        target->GoToFolder(std::move(*root));
}

void PaneView::GoDesktopCommand()
{
    PaneView* target = Target();
    if (target->Folder() && !target->Folder()->Id().IsEmpty())
        target->GoToDesktop();
}

} // namespace bivora
