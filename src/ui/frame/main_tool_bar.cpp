#include "ui/frame/main_tool_bar.h"

#include "ui/frame/bar_buttons.h"
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

constexpr auto kButtons = std::to_array<BarButton>({
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
    AddBarButtons(*this, actions, kButtons);
    ApplyFlat(false);
}

void MainToolBar::ApplyFlat(bool flat)
{
    m_flat = flat;
    ApplyFlatBar(*this, flat);
}

} // namespace bivora
