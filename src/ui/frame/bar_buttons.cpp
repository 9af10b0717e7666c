#include "ui/frame/bar_buttons.h"

#include "ui/commands/command_actions.h"

#include <QAction>
#include <QIcon>
#include <QToolBar>
#include <QToolButton>

namespace bivora {

void AddBarButtons(QToolBar& bar, CommandActions& actions, std::span<const BarButton> buttons)
{
    for (const BarButton& button : buttons) {
        if (button.id == 0) {
            bar.addSeparator();
            continue;
        }
        QAction* action = actions.Action(button.id);
        if (!action)
            continue;
        const QIcon bundled(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(button.bundled)));
        action->setIcon(QIcon::fromTheme(QLatin1String(button.theme), bundled));
        bar.addAction(action);
    }
}

void ApplyFlatBar(QToolBar& bar, bool flat)
{
    bar.setMovable(flat);
    for (QToolButton* button : bar.findChildren<QToolButton*>())
        button->setAutoRaise(flat);
}

} // namespace bivora
