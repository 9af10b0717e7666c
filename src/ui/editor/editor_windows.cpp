#include "ui/editor/editor_windows.h"

namespace bivora {

// Placeholder until the editor window lands: nothing opens.
class EditorWindows::Impl {};

EditorWindows::EditorWindows(EditorShared&) : m_impl(std::make_unique<Impl>()) {}
EditorWindows::~EditorWindows() = default;

bool EditorWindows::Open(const std::string&, bool)
{
    return false;
}

bool EditorWindows::CloseAll()
{
    return true;
}

int EditorWindows::Count() const
{
    return 0;
}

} // namespace bivora
