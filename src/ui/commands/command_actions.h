#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QTimer>

#include <map>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace bivora {

class CommandRouter;

// The main window's commands as actions: one QAction per command id of the main
// menu (shared by the menu and the tool bar), the menus built from the menu table,
// and the extra keys that have no menu text of their own (layouts, bookmarks).
// Every action runs its id through the router; menus ask the router for enabled,
// checked and text when they open, all actions on a short idle timer.
class CommandActions final : public QObject {
    Q_OBJECT
public:
    // The actions belong to the window, so their keys work wherever its focus is.
    CommandActions(QWidget& window, const CommandRouter& router);

    // Fills the menu bar with the main menu's popups.
    void BuildMenus(QMenuBar& menuBar);

    // The action of a command id; null for an id that is not in the main menu.
    QAction* Action(int id) const;
    const std::map<int, QAction*>& Actions() const { return m_actions; }
    // The popup with the given text (ampersands included); null when there is none.
    QMenu* Menu(const QString& text) const;

    // Asks the router for the state of every command and shows it.
    void RefreshAll();
    void RefreshMenu(QMenu& menu);

    // Set: every key of the window stops working (an edit field needs them all);
    // clear: the keys come back.
    void SuspendAccelerators(bool suspend);
    bool AcceleratorsSuspended() const { return m_suspended; }

Q_SIGNALS:
    // A popup opens or closes (a closing one sends false).
    void MenuBrowsing(bool open);

private:
    QAction* MakeAction(int id, const QString& text);
    void AddKey(int id, const QList<QKeySequence>& keys);
    void Refresh(QAction& action);
    void Run(int id);

    QWidget& m_window;
    const CommandRouter& m_router;
    std::map<int, QAction*> m_actions;
    std::vector<QAction*> m_keyActions;  // extra keys, not shown in menus
    std::vector<QMenu*> m_menus;
    std::map<QAction*, QList<QKeySequence>> m_suspendedKeys;
    bool m_suspended = false;
    QTimer m_idleTimer;
};

} // namespace bivora
