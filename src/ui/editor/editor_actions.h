#pragma once

#include <QObject>
#include <QTimer>

#include <map>

class QAction;
class QKeyEvent;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

namespace bivora {

class CommandRouter;

// The editor window's commands as actions: one QAction per command of its menu table
// (shared by the menus, the tool bar and the context menu), each running its id through
// the window's router. Menus ask the router for enabled and checked when they open, all
// actions on a short idle timer.
class EditorActions final : public QObject {
    Q_OBJECT
public:
    // The actions belong to the window, so their keys work wherever its focus is.
    EditorActions(QWidget& window, const CommandRouter& router);

    void BuildMenus(QMenuBar& menuBar);
    void BuildToolBar(QToolBar& bar);
    // The text's context menu (Undo, Cut, Copy, Paste, Select All), made anew for each use.
    QMenu* MakeContextMenu(QWidget* parent);

    QAction* Action(int id) const;
    const std::map<int, QAction*>& Actions() const { return m_actions; }

    void RefreshAll();
    // Whether the key is one of an enabled command, which the command takes before the
    // text control does (Ctrl+C is the editor's Copy, which copies a whole line). The
    // command's action is enabled or disabled here as the command is now.
    bool TakesKey(const QKeyEvent& event);

Q_SIGNALS:
    void refreshed();

private:
    QAction* MakeAction(int id, const QString& text);
    void Run(int id);

    QWidget& m_window;
    const CommandRouter& m_router;
    std::map<int, QAction*> m_actions;
    QTimer m_idleTimer;
};

} // namespace bivora
