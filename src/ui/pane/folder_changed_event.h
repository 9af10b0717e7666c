#pragma once

#include <QEvent>

namespace bivora {

class ShellFolder;

// A watched folder changed, or a pane is asked to re-read its folder. Posted to the
// pane; folder is the folder that changed (compared only, never used), or null for
// "whatever the pane shows".
class FolderChangedEvent final : public QEvent {
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 0x0001);

    explicit FolderChangedEvent(const ShellFolder* folder = nullptr)
        : QEvent(kType)
        , m_folder(folder)
    {
    }
    const ShellFolder* Folder() const { return m_folder; }

private:
    const ShellFolder* m_folder;
};

} // namespace bivora
