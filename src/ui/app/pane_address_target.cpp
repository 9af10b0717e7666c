#include "ui/app/pane_address_target.h"

#include "base/command_text.h"
#include "base/path_text.h"
#include "base/registry_keys.h"
#include "base/settings_store.h"
#include "shell/command_start.h"
#include "shell/shell_folder.h"
#include "shell/shell_item.h"
#include "ui/pane/pane_navigator.h"
#include "ui/pane/pane_view.h"
#include "ui/widgets/sort_list_ctrl.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QKeyEvent>

namespace bivora {

PaneAddressTarget::PaneAddressTarget(std::function<PaneView*()> active, std::function<PaneView*()> inactive,
                                     SettingsStore& store)
    : m_active(std::move(active))
    , m_inactive(std::move(inactive))
{
    namespace reg = registry;
    m_terminalPreamble = store.GetString(reg::section::kMainFrameSettings, reg::value::kDosCmdPreample,
                                         std::string(kDefaultDosCmdPreamble));
    m_programPreamble = store.GetString(reg::section::kMainFrameSettings, reg::value::kShellCmdPreample,
                                        std::string(kDefaultShellCmdPreamble));
    store.WriteString(reg::section::kMainFrameSettings, reg::value::kDosCmdPreample, m_terminalPreamble);
    store.WriteString(reg::section::kMainFrameSettings, reg::value::kShellCmdPreample, m_programPreamble);
}

AddressTarget::Outcome PaneAddressTarget::GoToTyped(const std::string& text, bool inactivePane)
{
    PaneView* pane = inactivePane ? m_inactive() : m_active();
    if (!pane)
        return Outcome::Refused;
    // the bar gives the alert for a refused text, so the pane's own call that gives it is not used
    switch (pane->Navigator().GoToTyped(text)) {
    case PaneNavigator::TypedOutcome::Done:
        return Outcome::Done;
    case PaneNavigator::TypedOutcome::Refused:
        return Outcome::Refused;
    case PaneNavigator::TypedOutcome::Failed:
        break;
    }
    return Outcome::Failed;
}

bool PaneAddressTarget::RunCommand(const std::string& text)
{
    const std::optional<TypedCommand> command = TypedCommandOf(text);
    if (!command)
        return false;
    const PaneView* active = m_active();
    const PaneView* other = m_inactive();
    const auto folderOf = [](const PaneView* pane) {
        const ShellFolder* folder = pane ? pane->Folder() : nullptr;
        return folder && folder->IsFileSystem() ? folder->Path() : std::string();
    };
    const bool activeIsLeft = !active || active->IsLeft();
    CommandContext context;
    context.leftFolder = folderOf(activeIsLeft ? active : other);
    context.rightFolder = folderOf(activeIsLeft ? other : active);
    context.workingDirectory = folderOf(active);
    context.programPreamble = m_programPreamble;
    context.terminalPreamble = m_terminalPreamble;
    return static_cast<bool>(StartTypedCommand(*command, context));
}

std::string PaneAddressTarget::AddressTextOf(const PaneView& pane)
{
    const ShellFolder* folder = pane.Folder();
    const std::string& filter = pane.FilterText();
    const bool filtered = !filter.empty() && filter != "*";
    if (!folder || !folder->IsFileSystem())
        return filtered ? filter : std::string();
    return filtered ? PathJoin(folder->Path(), filter) : folder->Path();
}

std::string PaneAddressTarget::ActiveAddressText() const
{
    const PaneView* pane = m_active();
    return pane ? AddressTextOf(*pane) : std::string();
}

std::optional<std::string> PaneAddressTarget::FocusedName() const
{
    const PaneView* pane = m_active();
    if (!pane)
        return std::nullopt;
    const ShellItem* item = pane->ItemAt(pane->List().FocusedRow());
    if (!item)
        return std::nullopt;
    return item->IsFileSystem() ? item->Name() : item->DisplayName();
}

void PaneAddressTarget::FocusPane()
{
    if (PaneView* pane = m_active())
        pane->Activate();
}

bool PaneAddressTarget::FocusTree()
{
    return false;
}

void PaneAddressTarget::PassKeyToPane(QKeyEvent& event)
{
    PaneView* pane = m_active();
    if (!pane || !pane->List().CurrentView())
        return;
    QKeyEvent copy(event.type(), event.key(), event.modifiers(), event.text());
    QCoreApplication::sendEvent(pane->List().CurrentView(), &copy);
}

} // namespace bivora
