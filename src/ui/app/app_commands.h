#pragma once

#include "ui/dialogs/options_sheet.h"
#include "ui/commands/command_router.h"

class QWidget;

namespace bivora {

class BivoraApp;
class Prompts;

// The application's link of the command chain: Options and About. The help
// commands are left unclaimed, so they stay disabled.
class AppCommands final : public CommandTarget {
public:
    // The application and the prompts outlive this object. A hidden-files change
    // is handed to the namespace before the panes are told to read again.
    AppCommands(BivoraApp& app, Prompts& prompts, OptionsReactions reactions);

    // The window the dialogs belong to; may be null.
    void SetParentWindow(QWidget* parent) { m_parent = parent; }

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

private:
    BivoraApp& m_app;
    Prompts& m_prompts;
    OptionsReactions m_reactions;
    QWidget* m_parent = nullptr;
};

} // namespace bivora
