#include "ui/editor/editor_actions.h"

#include "ui/commands/command_router.h"
#include "ui/commands/main_menu.h"
#include "ui/editor/editor_command_ids.h"
#include "ui/editor/editor_menu.h"

#include <QAction>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QWidget>

// Resources of a static library must be registered by hand, outside any namespace.
static void InitEditorIcons()
{
    Q_INIT_RESOURCE(frame_icons);
}

namespace bivora {

namespace {
constexpr int kIdleRefreshMs = 250;
}

EditorActions::EditorActions(QWidget& window, const CommandRouter& router)
    : QObject(&window)
    , m_window(window)
    , m_router(router)
{
    for (const MenuEntry& entry : EditorMenuTable()) {
        if (entry.kind == MenuEntry::Kind::Item && !m_actions.count(entry.id))
            MakeAction(entry.id, QString::fromUtf8(entry.text));
    }
    for (const int id : {edcmd::kOverwrite, edcmd::kToolbar, edcmd::kStatusBar, edcmd::kWordWrap, edcmd::kHexadecimal,
                         edcmd::kAutoIndent})
        m_actions.at(id)->setCheckable(true);
    // on the tool bar only
    MakeAction(edcmd::kAbout, QStringLiteral("&About"));

    m_idleTimer.setInterval(kIdleRefreshMs);
    connect(&m_idleTimer, &QTimer::timeout, this, &EditorActions::RefreshAll);
    m_idleTimer.start();
}

QAction* EditorActions::MakeAction(int id, const QString& text)
{
    auto* action = new QAction(text, &m_window);
    action->setToolTip(PlainMenuText(text));
    action->setIconVisibleInMenu(false);
    const QKeySequence key = KeyFromMenuText(text);
    if (!key.isEmpty())
        action->setShortcut(key);
    connect(action, &QAction::triggered, this, [this, id] { Run(id); });
    m_window.addAction(action);
    m_actions[id] = action;
    return action;
}

QAction* EditorActions::Action(int id) const
{
    const auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

void EditorActions::Run(int id)
{
    m_router.Execute(id);
    RefreshAll();
}

void EditorActions::RefreshAll()
{
    for (const auto& [id, action] : m_actions) {
        const CommandState state = m_router.Update(id);
        action->setEnabled(state.enabled);
        if (action->isCheckable())
            action->setChecked(state.checked);
    }
    Q_EMIT refreshed();
}

bool EditorActions::TakesKey(const QKeyEvent& event)
{
    const QKeySequence pressed(event.keyCombination());
    for (const auto& [id, action] : m_actions) {
        if (action->shortcut() != pressed)
            continue;
        // The action's state is brought up to date before the shortcut is looked up:
        // typing and then Ctrl+S at once must save, whatever the idle refresh has seen.
        const CommandState state = m_router.Update(id);
        action->setEnabled(state.enabled);
        if (action->isCheckable())
            action->setChecked(state.checked);
        return state.enabled;
    }
    return false;
}

void EditorActions::BuildMenus(QMenuBar& menuBar)
{
    BuildMenuTree(
        menuBar, EditorMenuTable(),
        [this](QMenu& menu) { connect(&menu, &QMenu::aboutToShow, this, &EditorActions::RefreshAll); },
        [this](int id) { return m_actions.at(id); });
}

void EditorActions::BuildToolBar(QToolBar& bar)
{
    InitEditorIcons();
    for (const EditorToolButton& button : EditorToolBarTable()) {
        if (button.id == 0) {
            bar.addSeparator();
            continue;
        }
        QAction* action = m_actions.at(button.id);
        if (action->icon().isNull()) {
            QIcon icon = QIcon::fromTheme(QString::fromLatin1(button.themeIcon));
            if (icon.isNull() && button.bundledIcon)
                icon = QIcon(QStringLiteral(":/icons/%1.svg").arg(QString::fromLatin1(button.bundledIcon)));
            action->setIcon(icon);
        }
        bar.addAction(action);
    }
}

QMenu* EditorActions::MakeContextMenu(QWidget* parent)
{
    RefreshAll();
    auto* menu = new QMenu(parent);
    for (const int id : EditorContextMenuTable())
        menu->addAction(m_actions.at(id));
    return menu;
}

} // namespace bivora
