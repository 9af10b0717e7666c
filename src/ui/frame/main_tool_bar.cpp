#include "ui/frame/main_tool_bar.h"

#include "ui/commands/command_actions.h"
#include "ui/commands/command_ids.h"

#include <QAction>
#include <QIcon>
#include <QToolButton>

#include <array>

// Resources of a static library must be registered by hand, outside any namespace.
static void InitFrameIcons()
{
    Q_INIT_RESOURCE(frame_icons);
}

namespace bivora {

namespace {

struct ToolButton {
    int id;              // 0: a separator
    const char* theme;   // freedesktop icon name
    const char* bundled; // file in the bundled set
};

constexpr auto kButtons = std::to_array<ToolButton>({
    {cmd::kNewFile, "document-new", "new_file"},
    {cmd::kNewFolder, "folder-new", "new_folder"},
    {cmd::kProperties, "document-properties", "properties"},
    {cmd::kView, "document-preview", "view"},
    {0, nullptr, nullptr},
    {cmd::kSelectGroup, "list-add", "select_group"},
    {cmd::kUnselectGroup, "list-remove", "unselect_group"},
    {cmd::kInvertSelection, "edit-select-invert", "invert"},
    {cmd::kUseFilter, "view-filter", "filter"},
    {0, nullptr, nullptr},
    {cmd::kCopyTo, "edit-copy-to", "copy_to"},
    {cmd::kMoveTo, "edit-move-to", "move_to"},
    {cmd::kDelete, "edit-delete", "delete"},
    {0, nullptr, nullptr},
    {cmd::kTree, "view-list-tree", "tree"},
    {cmd::kThumbBar, "view-preview", "thumbnails"},
    {cmd::kSameFolder, "folder-sync", "same_folder"},
    {0, nullptr, nullptr},
    {cmd::kRefresh, "view-refresh", "refresh"},
    {cmd::kMirrorBrowsing, "object-flip-horizontal", "mirror"},
    {cmd::kSynchronize, "view-split-left-right", "synchronize"},
    {cmd::kContainingText, "edit-find", "containing_text"},
    {0, nullptr, nullptr},
    {cmd::kCut, "edit-cut", "cut"},
    {cmd::kCopy, "edit-copy", "copy"},
    {cmd::kPaste, "edit-paste", "paste"},
    {0, nullptr, nullptr},
    {cmd::kLargeIcons, "view-list-icons", "large_icons"},
    {cmd::kSmallIcons, "view-list-compact", "small_icons"},
    {cmd::kList, "view-list-text", "list"},
    {cmd::kDetails, "view-list-details", "details"},
    {0, nullptr, nullptr},
    {cmd::kSortByName, "sort-name", "sort_name"},
    {cmd::kSortByType, "view-sort-type", "sort_type"},
    {cmd::kSortBySize, "view-sort-size", "sort_size"},
    {cmd::kSortByDate, "view-sort-date", "sort_date"},
    {cmd::kAscending, "view-sort-ascending", "ascending"},
});

} // namespace

MainToolBar::MainToolBar(CommandActions& actions, QWidget* parent)
    : QToolBar(QStringLiteral("ToolBar"), parent)
{
    InitFrameIcons();
    setObjectName(QStringLiteral("ToolBar"));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (const ToolButton& button : kButtons) {
        if (button.id == 0) {
            addSeparator();
            continue;
        }
        QAction* action = actions.Action(button.id);
        if (!action)
            continue;
        const QIcon bundled(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(button.bundled)));
        action->setIcon(QIcon::fromTheme(QLatin1String(button.theme), bundled));
        addAction(action);
    }
    ApplyFlat(false);
}

void MainToolBar::ApplyFlat(bool flat)
{
    m_flat = flat;
    setMovable(flat);
    for (QToolButton* button : findChildren<QToolButton*>())
        button->setAutoRaise(flat);
}

} // namespace bivora
