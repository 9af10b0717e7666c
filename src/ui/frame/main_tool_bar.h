#pragma once

#include <QToolBar>

#include <vector>

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

// The ids of the main tool bar's buttons in order; 0 marks a separator.
std::vector<int> MainToolBarIds();

} // namespace bivora
