#include "ui/editor/editor_windows.h"

#include "ui/editor/editor_context.h"
#include "ui/editor/editor_window.h"

#include <QPointer>

#include <algorithm>
#include <vector>

namespace bivora {

// The windows close and delete themselves; the list only keeps track of those alive.
class EditorWindows::Impl {
public:
    explicit Impl(EditorShared& shared) : shared(shared) {}

    void Reap()
    {
        windows.erase(std::remove_if(windows.begin(), windows.end(), [](const QPointer<EditorWindow>& w) { return w.isNull() || !w->isVisible(); }),
                      windows.end());
    }

    EditorShared& shared;
    std::vector<QPointer<EditorWindow>> windows;
};

EditorWindows::EditorWindows(EditorShared& shared) : m_impl(std::make_unique<Impl>(shared)) {}

EditorWindows::~EditorWindows()
{
    // windows still open go without questions: the program is ending
    for (const QPointer<EditorWindow>& window : m_impl->windows)
        delete window.data();
}

bool EditorWindows::Open(const std::string& path, bool readOnly)
{
    if (!m_impl->shared.jobs)
        return false;
    m_impl->Reap();
    auto* window = new EditorWindow(m_impl->shared, path, readOnly);
    m_impl->windows.emplace_back(window);
    window->show();
    window->raise();
    window->activateWindow();
    window->Load();
    return true;
}

bool EditorWindows::CloseAll()
{
    m_impl->Reap();
    const std::vector<QPointer<EditorWindow>> windows = m_impl->windows;
    for (const QPointer<EditorWindow>& window : windows) {
        if (window && !window->close())
            return false;
    }
    m_impl->Reap();
    return true;
}

int EditorWindows::Count() const
{
    m_impl->Reap();
    return static_cast<int>(m_impl->windows.size());
}

} // namespace bivora
