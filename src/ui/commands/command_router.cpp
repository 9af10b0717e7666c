#include "ui/commands/command_router.h"

namespace bivora {

bool CommandRouter::Execute(int id) const
{
    if (!Update(id).enabled)
        return false;
    for (CommandTarget* target : m_chain()) {
        if (target && target->OnCommand(id))
            return true;
    }
    return false;
}

CommandState CommandRouter::Update(int id) const
{
    for (CommandTarget* target : m_chain()) {
        CommandState state;
        if (target && target->OnUpdateCommand(id, state))
            return state;
    }
    CommandState none;
    none.enabled = false;
    return none;
}

} // namespace bivora
