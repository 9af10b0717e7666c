#include "ui/commands/command_actions.h"

#include "ui/commands/command_ids.h"
#include "ui/commands/command_router.h"
#include "ui/commands/main_menu.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOption>
#include <QWidget>

namespace bivora {

namespace {
constexpr int kIdleRefreshMs = 250;
const char* const kIdProperty = "commandId";

// Greyed items can be highlighted, so that their prompts (why Undo never works, for
// one) can be read in the status bar while browsing the menus.
class MenuStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_Menu_AllowActiveAndDisabled)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        // not every style marks a highlighted item that is greyed: a pale bar does
        if (element == CE_MenuItem && (option->state & State_Selected) && !(option->state & State_Enabled)) {
            QColor bar = option->palette.color(QPalette::Highlight);
            bar.setAlpha(60);
            painter->fillRect(option->rect, bar);
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};
} // namespace

CommandActions::CommandActions(QWidget& window, const CommandRouter& router)
    : QObject(&window)
    , m_window(window)
    , m_router(router)
{
    for (const MenuEntry& entry : MainMenuTable()) {
        if (entry.kind != MenuEntry::Kind::Item || m_actions.count(entry.id))
            continue;
        QAction* action = MakeAction(entry.id, QString::fromUtf8(entry.text));
        if (entry.prompt)
            action->setStatusTip(QString::fromUtf8(entry.prompt));
    }

    // Layouts: Ctrl+7..9 apply, with Shift they define (the handler looks at Shift).
    for (int n = 0; n < 3; ++n) {
        const int digit = Qt::Key_7 + n;
        AddKey(cmd::kLayout1 + n, {QKeySequence(Qt::CTRL | static_cast<Qt::Key>(digit)),
                                   QKeySequence(Qt::CTRL | Qt::SHIFT | static_cast<Qt::Key>(digit))});
    }
    // Bookmarks: Ctrl+0..5 go, with Shift they set.
    for (int n = 0; n < 6; ++n) {
        const int digit = Qt::Key_0 + n;
        AddKey(cmd::kBookmark0 + n, {QKeySequence(Qt::CTRL | static_cast<Qt::Key>(digit)),
                                     QKeySequence(Qt::CTRL | Qt::SHIFT | static_cast<Qt::Key>(digit))});
    }

    // Copy to and Move to with Ctrl go straight into the other pane's folder (the
    // handlers read Ctrl).
    AddKey(cmd::kCopyTo, {QKeySequence(Qt::CTRL | Qt::Key_F5)});
    AddKey(cmd::kMoveTo, {QKeySequence(Qt::CTRL | Qt::Key_F6)});

    // Same folder with Alt loads the inactive pane's folder into the active one.
    AddKey(cmd::kSameFolder, {QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_I)});

    // Ctrl with Grey + and Grey - selects by the last pattern without the dialog (the
    // handlers read Ctrl); Alt with Grey - unselects like the focused item; Use filter
    // with Alt toggles the inactive pane's filter.
    AddKey(cmd::kSelectGroup, {QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Plus))});
    AddKey(cmd::kUnselectGroup, {QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Minus))});
    AddKey(cmd::kUnlikeThisOne, {QKeySequence(QKeyCombination(Qt::AltModifier | Qt::KeypadModifier, Qt::Key_Minus))});
    AddKey(cmd::kUseFilter, {QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_J)});

    // Root/Current of the drive bar has no menu item. Select Drive's menu text names the
    // key of the active pane's side; the keys themselves pick the left or the right pane.
    AddKey(cmd::kRootCurrent, {QKeySequence(Qt::CTRL | Qt::Key_Q)});
    if (QAction* selectDrive = Action(cmd::kSelectDrive))
        selectDrive->setShortcut({});
    AddKey(cmd::kSelectDriveLeft, {QKeySequence(Qt::ALT | Qt::Key_F1)});
    AddKey(cmd::kSelectDriveRight, {QKeySequence(Qt::ALT | Qt::Key_F2)});

    m_idleTimer.setInterval(kIdleRefreshMs);
    connect(&m_idleTimer, &QTimer::timeout, this, &CommandActions::RefreshAll);
    m_idleTimer.start();
}

QAction* CommandActions::MakeAction(int id, const QString& text)
{
    auto* action = new QAction(text, &m_window);
    action->setProperty(kIdProperty, id);
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

void CommandActions::AddKey(int id, const QList<QKeySequence>& keys)
{
    auto* action = new QAction(&m_window);
    action->setShortcuts(keys);
    connect(action, &QAction::triggered, this, [this, id] { Run(id); });
    m_window.addAction(action);
    m_keyActions.push_back(action);
}

void CommandActions::Run(int id)
{
    m_router.Execute(id);
    RefreshAll();
}

void CommandActions::BuildMenus(QMenuBar& menuBar)
{
    // one style for every menu of the process; it goes with the application, after
    // the last menu
    static QPointer<QStyle> menuStyle;
    if (!menuStyle) {
        menuStyle = new MenuStyle;
        menuStyle->setParent(QCoreApplication::instance());
    }
    BuildMenuTree(
        menuBar, MainMenuTable(),
        [this](QMenu& menu) {
            menu.setStyle(menuStyle);
            connect(&menu, &QMenu::aboutToShow, this, [this, popup = &menu] {
                RefreshMenu(*popup);
                Q_EMIT MenuBrowsing(true);
            });
            connect(&menu, &QMenu::aboutToHide, this, [this] { Q_EMIT MenuBrowsing(false); });
            m_menus.push_back(&menu);
        },
        [this](int id) { return Action(id); });
}

QAction* CommandActions::Action(int id) const
{
    const auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

QMenu* CommandActions::Menu(const QString& text) const
{
    for (QMenu* menu : m_menus) {
        if (menu->title() == text)
            return menu;
    }
    return nullptr;
}

void CommandActions::Refresh(QAction& action)
{
    const int id = action.property(kIdProperty).toInt();
    const CommandState state = m_router.Update(id);
    if (action.isEnabled() != state.enabled)
        action.setEnabled(state.enabled);
    if (state.checked && !action.isCheckable())
        action.setCheckable(true);
    if (action.isCheckable() && action.isChecked() != state.checked)
        action.setChecked(state.checked);
    if (state.text && action.text() != *state.text)
        action.setText(*state.text);
    if (state.tip && action.toolTip() != *state.tip)
        action.setToolTip(*state.tip);
}

void CommandActions::RefreshAll()
{
    for (auto& [id, action] : m_actions)
        Refresh(*action);
}

void CommandActions::RefreshMenu(QMenu& menu)
{
    for (QAction* action : menu.actions()) {
        if (!action->isSeparator() && !action->menu())
            Refresh(*action);
    }
}

void CommandActions::SuspendAccelerators(bool suspend)
{
    if (suspend == m_suspended)
        return;
    m_suspended = suspend;
    auto each = [this](auto&& fn) {
        for (auto& [id, action] : m_actions)
            fn(action);
        for (QAction* action : m_keyActions)
            fn(action);
    };
    if (suspend) {
        each([this](QAction* action) {
            if (!action->shortcuts().isEmpty()) {
                m_suspendedKeys[action] = action->shortcuts();
                action->setShortcuts({});
            }
        });
    } else {
        for (auto& [action, keys] : m_suspendedKeys)
            action->setShortcuts(keys);
        m_suspendedKeys.clear();
    }
}

} // namespace bivora
