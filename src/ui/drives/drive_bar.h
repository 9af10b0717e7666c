#pragma once

#include "shell/shell_namespace.h"

#include <QToolBar>

#include <functional>
#include <vector>

class QAction;

namespace bivora {

class CommandActions;
class IconCache;

// A machine with more mounts gets no buttons for the rest (ids from cmd::kDriveButton0).
inline constexpr int kMaxDriveButtons = 256;

// The drive bar: Root/Current, Network, then one button per drive with the drive's icon
// and its display name as the tool tip. With letters, each drive button shows its
// letter under the icon (a drive past Z shows none). Every button runs its command id
// through run, so the command route decides what happens.
class DriveBar final : public QToolBar {
    Q_OBJECT
public:
    // actions gives the Network command's own action; letters is bDrivebarLetters at
    // creation (a change counts from the next start).
    DriveBar(CommandActions& actions, IconCache& icons, bool letters, std::function<void(int id)> run,
             QWidget* parent = nullptr);

    // Replaces the drive buttons (the rest stay).
    void SetDrives(const std::vector<Drive>& drives);
    // The Root/Current button's pressed look.
    void SetToRoot(bool root);
    void ApplyFlat(bool flat);

    QAction* RootCurrentAction() const { return m_rootCurrent; }
    const std::vector<QAction*>& DriveActions() const { return m_driveActions; }

private:
    IconCache& m_icons;
    std::function<void(int)> m_run;
    bool m_letters = false;
    bool m_flat = false;
    QAction* m_rootCurrent = nullptr;
    std::vector<QAction*> m_driveActions;
};

} // namespace bivora
