#pragma once

#include <QToolBar>

namespace bivora {

class CommandActions;

// The main tool bar: the commands' own actions as icon buttons, in groups. Icons
// come from the desktop's theme, else from the program's bundled set.
class MainToolBar final : public QToolBar {
    Q_OBJECT
public:
    MainToolBar(CommandActions& actions, QWidget* parent = nullptr);

    // Flat: a gripper to move the bar and buttons that rise under the mouse;
    // plain: a fixed bar with raised buttons.
    void ApplyFlat(bool flat);
    bool IsFlat() const { return m_flat; }

private:
    bool m_flat = false;
};

} // namespace bivora
