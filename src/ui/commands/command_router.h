#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace bivora {

// What a menu item or tool button of a command shows.
struct CommandState {
    bool enabled = true;
    bool checked = false;
    std::optional<QString> text; // a new menu text, when the handler changes it
    std::optional<QString> tip;  // a new tool tip, when the handler gives one
};

// One link of the command chain (tree, drive bar, active pane's list, active pane,
// frame, application).
class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    // Handles the command; false passes it on along the chain.
    virtual bool OnCommand(int id) = 0;
    // Fills the state of a command this target handles and returns true; false
    // passes the question on. A command no target claims is disabled.
    virtual bool OnUpdateCommand(int id, CommandState& state) = 0;
};

// Offers each command to an ordered chain of targets, asked anew for every command
// (the active pane changes), and asks the same chain for enabled and checked states.
class CommandRouter {
public:
    using Chain = std::function<std::vector<CommandTarget*>()>;
    explicit CommandRouter(Chain chain) : m_chain(std::move(chain)) {}

    // True when a target handled the command. A disabled command is not run.
    bool Execute(int id) const;
    CommandState Update(int id) const;

private:
    Chain m_chain;
};

} // namespace bivora
