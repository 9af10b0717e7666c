#include "ui/app/app_commands.h"

#include "ui/dialogs/about_dlg.h"
#include "ui/app/bivora_app.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/services.h"
#include "ui/platform/help_files.h"

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

const char* AppCommands::HelpFileName(int id)
{
    switch (id) {
    case cmd::kHelpFeatures:
        return "Torvenal.rtf";
    case cmd::kHelpWhatsNew:
        return "Newest.txt";
    case cmd::kHelpKeyboard:
        return "Keyboard.txt";
    case cmd::kHelpFaq:
        return "faq.txt";
    case cmd::kHelpLicence:
        return "Licence.txt";
    default:
        return nullptr;
    }
}

bool AppCommands::OnCommand(int id)
{
    if (const char* name = HelpFileName(id); name && m_helpViewer) {
        const QString file = QString::fromLatin1(name);
        const std::string path = FindHelpFile(file, m_helpFolders.isEmpty() ? HelpFolders() : m_helpFolders);
        if (path.empty())
            m_prompts.Message(m_parent, QStringLiteral("The help file \"%1\" is missing.\nIt belongs in the program's "
                                                       "folder or in share/bivora of its installation.")
                                            .arg(file));
        else
            m_helpViewer(path);
        return true;
    }
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
    if (id != cmd::kOptions && id != cmd::kAbout && !(HelpFileName(id) && m_helpViewer))
        return false;
    state.enabled = true;
    return true;
}

} // namespace bivora
