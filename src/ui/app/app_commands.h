#pragma once

#include "ui/dialogs/options_sheet.h"
#include "ui/commands/command_router.h"

#include <QStringList>

#include <functional>
#include <string>

class QWidget;

namespace bivora {

class BivoraApp;
class Prompts;

// The application's link of the command chain: Options, About and the help files.
// The help commands stay disabled until a viewer is given.
class AppCommands final : public CommandTarget {
public:
    // The application and the prompts outlive this object. A hidden-files change
    // is handed to the namespace before the panes are told to read again.
    AppCommands(BivoraApp& app, Prompts& prompts, OptionsReactions reactions);

    // The window the dialogs belong to; may be null.
    void SetParentWindow(QWidget* parent) { m_parent = parent; }

    // Opens a help file (its path as bytes) in view mode.
    using HelpViewer = std::function<void(const std::string& path)>;
    void SetHelpViewer(HelpViewer viewer) { m_helpViewer = std::move(viewer); }
    // Where the help files are looked for; the program's folders unless set.
    void SetHelpFolders(QStringList folders) { m_helpFolders = std::move(folders); }

    // The file a help command opens; null for other ids.
    static const char* HelpFileName(int id);

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

private:
    BivoraApp& m_app;
    Prompts& m_prompts;
    OptionsReactions m_reactions;
    QWidget* m_parent = nullptr;
    HelpViewer m_helpViewer;
    QStringList m_helpFolders;
};

} // namespace bivora
