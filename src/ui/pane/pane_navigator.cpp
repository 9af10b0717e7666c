#include "ui/pane/pane_navigator.h"

#include "base/text_forms.h"

#include "base/mirror_move.h"
#include "base/pattern_list.h"
#include "shell/path_resolver.h"
#include "shell/shell_folder.h"
#include "shell/shell_item.h"
#include "shell/working_directory.h"
#include "ui/commands/byte_text.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/command_router.h"
#include "ui/commands/main_menu.h"
#include "ui/commands/services.h"
#include "ui/commands/status_service.h"
#include "ui/jobs/off_thread_read.h"
#include "ui/pane/pane_selection.h"
#include "ui/pane/pane_view.h"
#include "ui/widgets/sort_list_ctrl.h"

#include <QItemSelectionModel>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>

#include <memory>

namespace bivora {

namespace {

constexpr int kBookmarkCount = 6;

// A path in a menu text: its ampersands are no mnemonics.
QString MenuEscaped(const std::string& path)
{
    QString text = FromBytes(path);
    text.replace(QLatin1Char('&'), QLatin1String("&&"));
    return text;
}

} // namespace

PaneNavigator::PaneNavigator(PaneView& pane)
    : m_pane(pane)
{
    m_pane.SetHistoryHooks(
        [this](const ShellFolder& folder, const std::optional<std::string>& focused) { OnLeave(folder, focused); },
        [this](const ShellFolder& folder) { return OnArrive(folder); });
    QObject::connect(m_pane.List().SelectionModel(), &QItemSelectionModel::currentChanged, &m_pane,
                     [this](const QModelIndex& current, const QModelIndex& previous) {
                         OnFocusMoved(current, previous);
                     });
}

PaneView* PaneNavigator::Target()
{
    return m_pane.m_ctx.pair ? m_pane.m_ctx.pair->TargetPane(&m_pane) : &m_pane;
}

PaneView* PaneNavigator::Other() const
{
    return m_pane.m_ctx.pair ? m_pane.m_ctx.pair->OtherPane(&m_pane) : nullptr;
}

std::string PaneNavigator::BaseFolder() const
{
    const PaneView* active = m_pane.m_ctx.pair ? m_pane.m_ctx.pair->ActivePane() : nullptr;
    if (!active || !active->Folder())
        active = &m_pane;
    const ShellFolder* folder = active->Folder();
    if (!folder)
        return CurrentDirectory().ValueOr({}); // the start folder may be relative to where we were started
    return folder->IsFileSystem() ? folder->Path() : std::string();
}

PaneNavigator::TypedOutcome PaneNavigator::GoToTyped(const std::string& text)
{
    using namespace resolve;
    const std::string input = TrimmedBlanks(text);
    PaneView& pane = m_pane;
    const auto finish = [&](TypedOutcome outcome) {
        if (outcome != TypedOutcome::Done)
            m_history.Forget(input);
        return outcome;
    };
    if (input.empty())
        return finish(TypedOutcome::Refused);
    if (pane.m_busy)
        return finish(TypedOutcome::Failed);

    // The worker owns what it reads, so that one left behind on a dead mount after
    // Escape touches nothing of the pane's.
    struct Job {
        std::string text;
        std::string base;
        DriveFolders drives;
        ResolvedPath result;
    };
    auto job = std::make_shared<Job>();
    job->text = input;
    job->base = BaseFolder();
    job->drives = pane.m_ctx.shared.driveFolders;
    const ShellNamespace* ns = &pane.m_ctx.ns;
    // the worker shares the namespace it reads, so it may outlive the pane and the window
    std::shared_ptr<const ShellNamespace> keep = ns->weak_from_this().lock();
    bool finished = false;
    {
        // nothing else runs in the pane meanwhile; a change reported now is refreshed after
        pane.m_busy = true;
        finished = RunOffGuiThread(
            pane.m_ctx.jobs,
            [job, ns, keep](const std::atomic<bool>&) {
                job->result = ResolvePath(*ns, job->text, job->base, job->drives);
            },
            {&pane.m_ctx.status, QStringLiteral("Reading folder..."), 300});
        pane.m_busy = false;
        if (pane.m_refreshPending) {
            pane.m_refreshPending = false;
            QTimer::singleShot(0, &pane, [&pane] { pane.RefreshPane(false, nullptr); });
        }
    }
    if (!finished) {
        pane.m_ctx.status.ShowStatusMessage(QString());
        return finish(TypedOutcome::Failed);
    }

    ResolvedPath& resolved = job->result;
    const ShellFolder* folder = pane.Folder();
    const bool acceptable = resolved.id ? !(resolved.flags & kFile)
                                              && (!(resolved.flags & kRelative) || !folder || folder->IsFileSystem())
                                        : !(resolved.flags & kError);
    if (!acceptable)
        return finish(TypedOutcome::Refused);
    if (!(resolved.flags & kPattern)) {
        if (!resolved.id)
            return finish(TypedOutcome::Refused);
        return finish(pane.GoToFolder(std::move(*resolved.id)) ? TypedOutcome::Done : TypedOutcome::Failed);
    }

    // a pattern: the filter of the folder before it, or of the folder shown
    if (!resolved.id && !folder)
        return finish(TypedOutcome::Refused);
    PatternList filter;
    if (!filter.Parse(resolved.filter))
        return finish(TypedOutcome::Refused);
    // set before the read, so that the new folder's rows are made once, filtered; a new
    // filter enters the history as one set by Use filter does
    PaneSelection::TakeFilter(pane, std::move(filter));
    if (resolved.id && pane.GoToFolder(std::move(*resolved.id)))
        return finish(TypedOutcome::Done);
    pane.ReapplyFilter();
    return finish(resolved.id ? TypedOutcome::Failed : TypedOutcome::Done);
}

void PaneNavigator::OnLeave(const ShellFolder& folder, const std::optional<std::string>& focused)
{
    m_history.SetFocusName(focused);
    // The other pane repeats the move once this one has arrived: the new folder is
    // known only then, and the other pane's read must not run inside this one's.
    if (m_pane.m_ctx.shared.mirrorBrowsing && !m_following) {
        QTimer::singleShot(0, &m_pane, [this, oldPath = folder.Path()] { RepeatMove(oldPath); });
    }
}

std::optional<std::string> PaneNavigator::OnArrive(const ShellFolder& folder)
{
    return m_history.Visit(folder.Path());
}

void PaneNavigator::RepeatMove(const std::string& oldPath)
{
    bool& mirror = m_pane.m_ctx.shared.mirrorBrowsing;
    PaneView* other = Other();
    const ShellFolder* now = m_pane.Folder();
    if (!mirror || !other || !now)
        return;
    if (!now->IsFileSystem()) {
        mirror = false;
        return;
    }
    const ShellFolder* otherFolder = other->Folder();
    std::optional<std::string_view> otherPath;
    if (otherFolder && otherFolder->IsFileSystem())
        otherPath = otherFolder->Path();
    const MirrorMove move = MirrorMoveFor(oldPath, now->Path(), otherPath);
    if (move.kind == MirrorMove::Kind::Stay)
        return;
    if (move.kind == MirrorMove::Kind::SwitchOff || !other->Navigator().Follow(move))
        mirror = false;
}

bool PaneNavigator::Follow(const MirrorMove& move)
{
    const ShellFolder* folder = m_pane.Folder();
    if (!folder || m_pane.IsBusy())
        return false;
    std::optional<ItemIdList> id = move.kind == MirrorMove::Kind::Up ? folder->ParentId(move.levels)
                                                                      : m_pane.m_ctx.ns.ParsePath(move.path);
    if (!id)
        return false;
    m_following = true;
    const bool moved = m_pane.GoToFolder(std::move(*id));
    m_following = false;
    return moved;
}

void PaneNavigator::OnFocusMoved(const QModelIndex& current, const QModelIndex& previous)
{
    if (!m_pane.m_ctx.shared.syncScrolling || !m_pane.IsActive() || m_pane.IsBusy() || !current.isValid()
        || current.row() == previous.row())
        return;
    const ShellItem* item = m_pane.ItemAt(current.row());
    PaneView* other = Other();
    if (!item || !other || other->IsBusy())
        return;
    const int row = other->FocusName(item->Name(), false);
    if (row < 0)
        return;
    // In details view the matching row stands at the same height in both lists.
    if (m_pane.List().ViewStyle() != cmd::kDetails || other->List().ViewStyle() != cmd::kDetails)
        return;
    QTreeView* mine = m_pane.List().DetailsView();
    QTreeView* theirs = other->List().DetailsView();
    const QRect here = mine->visualRect(current);
    const QRect there = theirs->visualRect(theirs->model()->index(row, 0));
    const int offset = there.top() - here.top();
    if (offset == 0 || there.height() <= 0)
        return;
    QScrollBar* bar = theirs->verticalScrollBar();
    const int step = theirs->verticalScrollMode() == QAbstractItemView::ScrollPerItem ? offset / there.height() : offset;
    theirs->setUpdatesEnabled(false);
    bar->setValue(bar->value() + step);
    theirs->setUpdatesEnabled(true);
}

void PaneNavigator::GoHistory(bool forward)
{
    const std::optional<std::string> path = forward ? m_history.PeekForward() : m_history.PeekBack();
    if (path)
        m_pane.GoToTyped(*path);
}

void PaneNavigator::GoSpecial(ShellNamespace::SpecialFolder which)
{
    PaneView* target = Target();
    std::optional<ItemIdList> id = m_pane.m_ctx.ns.SpecialFolderId(which);
    if (!id || !target->GoToFolder(std::move(*id)))
        m_pane.m_ctx.status.ShowStatusMessage(QStringLiteral("Where is that special folder then?"), true);
}

void PaneNavigator::SameFolder()
{
    PaneView* source = Target();
    PaneView* other = m_pane.m_ctx.pair ? m_pane.m_ctx.pair->OtherPane(source) : nullptr;
    if (other && source->Folder())
        other->GoToFolder(source->Folder()->Id());
}

void PaneNavigator::SwapPanes()
{
    PaneView* other = Other();
    if (!other || !m_pane.Folder() || !other->Folder())
        return;
    const auto focusedName = [](const PaneView& pane) -> std::optional<std::string> {
        const ShellItem* item = pane.ItemAt(pane.List().FocusedRow());
        return item ? std::optional<std::string>(item->Name()) : std::nullopt;
    };
    // the panes trade places: neither move is repeated by the other pane
    bool& mirror = m_pane.m_ctx.shared.mirrorBrowsing;
    const bool mirrorWas = mirror;
    mirror = false;
    const ItemIdList mine = m_pane.Folder()->Id();
    const ItemIdList theirs = other->Folder()->Id();
    const std::optional<std::string> myName = focusedName(m_pane);
    const std::optional<std::string> theirName = focusedName(*other);
    if (other->GoToFolder(mine) && myName)
        other->FocusName(*myName, false);
    if (m_pane.GoToFolder(theirs) && theirName)
        m_pane.FocusName(*theirName, false);
    mirror = mirrorWas;
}

void PaneNavigator::Bookmark(int n)
{
    std::string& bookmark = m_pane.m_ctx.shared.bookmarks[static_cast<std::size_t>(n)];
    if (m_pane.m_ctx.keyboard.Shift()) {
        const ShellFolder* folder = m_pane.Folder();
        if (folder && folder->IsFileSystem()) {
            bookmark = folder->Path();
            m_pane.m_ctx.status.ShowStatusMessage(QStringLiteral("Bookmark set ok."));
        }
        return;
    }
    if (!bookmark.empty())
        Target()->GoToTyped(bookmark);
}

void PaneNavigator::ToggleMirror()
{
    bool& mirror = m_pane.m_ctx.shared.mirrorBrowsing;
    mirror = !mirror;
}

void PaneNavigator::ToggleSyncScrolling()
{
    bool& sync = m_pane.m_ctx.shared.syncScrolling;
    sync = !sync;
    m_pane.m_ctx.status.ShowStatusMessage(
        QStringLiteral("Synchronized pane scrolling %1").arg(sync ? QStringLiteral("ON") : QStringLiteral("OFF")));
}

void PaneNavigator::ScrollToTop()
{
    SortListCtrl& list = m_pane.List();
    const int row = list.FocusedRow();
    if (row < 0 || list.ViewStyle() != cmd::kDetails)
        return;
    QTreeView* view = list.DetailsView();
    view->scrollTo(view->model()->index(row, 0), QAbstractItemView::PositionAtTop);
}

bool PaneNavigator::OnCommand(int id)
{
    if (id >= cmd::kBookmark0 && id < cmd::kBookmark0 + kBookmarkCount) {
        Bookmark(id - cmd::kBookmark0);
        return true;
    }
    switch (id) {
    case cmd::kPrevious:
    case cmd::kNext:
        GoHistory(id == cmd::kNext);
        return true;
    case cmd::kNetwork:
        GoSpecial(ShellNamespace::SpecialFolder::Network);
        return true;
    case cmd::kDocuments:
        GoSpecial(ShellNamespace::SpecialFolder::Documents);
        return true;
    case cmd::kSameFolder:
        SameFolder();
        return true;
    case cmd::kSwapPanes:
        SwapPanes();
        return true;
    case cmd::kMirrorBrowsing:
        ToggleMirror();
        return true;
    case cmd::kSyncScrolling:
        ToggleSyncScrolling();
        return true;
    case cmd::kScrollToTop:
        ScrollToTop();
        return true;
    default:
        return false;
    }
}

bool PaneNavigator::OnUpdateCommand(int id, CommandState& state)
{
    const ShellFolder* folder = m_pane.Folder();
    const bool ready = folder && !m_pane.IsBusy();
    const PaneContext& ctx = m_pane.m_ctx;
    if (id >= cmd::kBookmark0 && id < cmd::kBookmark0 + kBookmarkCount) {
        const int n = id - cmd::kBookmark0;
        const std::string& bookmark = ctx.shared.bookmarks[static_cast<std::size_t>(n)];
        const QString text = bookmark.empty()
                                 ? QStringLiteral("(press Ctrl+Shift+%1 to set)").arg(n)
                                 : QStringLiteral("&%1: \"%2\"\tCtrl+%1").arg(n).arg(MenuEscaped(bookmark));
        state.text = text;
        state.tip = PlainMenuText(text);
        // Shift held is the key that sets it, which must get through while it is unset
        state.enabled = ready && (!bookmark.empty() || ctx.keyboard.Shift());
        return true;
    }
    switch (id) {
    case cmd::kPrevious:
    case cmd::kNext: {
        const bool forward = id == cmd::kNext;
        const std::optional<std::string> path = forward ? m_history.PeekForward() : m_history.PeekBack();
        state.enabled = ready && path.has_value();
        // the tip names the folder the button goes to
        state.tip = path ? FromBytes(*path) : (forward ? QStringLiteral("Next") : QStringLiteral("Previous"));
        return true;
    }
    case cmd::kNetwork:
    case cmd::kDocuments:
    case cmd::kSameFolder:
    case cmd::kSwapPanes:
        state.enabled = ready;
        return true;
    case cmd::kMirrorBrowsing:
        state.enabled = ready && folder->IsFileSystem();
        state.checked = ctx.shared.mirrorBrowsing;
        return true;
    case cmd::kSyncScrolling:
        state.enabled = ready;
        state.checked = ctx.shared.syncScrolling;
        return true;
    case cmd::kScrollToTop:
        state.enabled = ready && m_pane.List().ViewStyle() == cmd::kDetails;
        return true;
    default:
        return false;
    }
}

} // namespace bivora
