#include "ui/app/app_commands.h"

#include "ui/dialogs/about_dlg.h"
#include "ui/app/bivora_app.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/services.h"

namespace bivora {

AppCommands::AppCommands(BivoraApp& app, Prompts& prompts, OptionsReactions reactions)
    : m_app(app)
    , m_prompts(prompts)
    , m_reactions(std::move(reactions))
{
    // The namespace filters hidden items itself, so it must know the new setting
    // before the panes read their folders again.
    m_reactions.reReadPanes = [&app, reRead = std::move(m_reactions.reReadPanes)] {
        app.ApplyShowHiddenFiles();
        if (reRead)
            reRead();
    };
}

bool AppCommands::OnCommand(int id)
{
    switch (id) {
    case cmd::kOptions:
        RunOptionsSheet(m_app.Settings(), m_prompts, m_reactions, m_parent);
        return true;
    case cmd::kAbout: {
        AboutDlg about(m_parent);
        m_prompts.Exec(about);
        return true;
    }
    default:
        return false;
    }
}

bool AppCommands::OnUpdateCommand(int id, CommandState& state)
{
    if (id != cmd::kOptions && id != cmd::kAbout)
        return false;
    state.enabled = true;
    return true;
}

} // namespace bivora
