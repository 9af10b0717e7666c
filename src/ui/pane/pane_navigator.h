#pragma once

#include "base/browse_history.h"
#include "shell/shell_namespace.h"

#include <optional>
#include <string>

class QModelIndex;

namespace bivora {

class PaneView;
class ShellFolder;
struct CommandState;
struct MirrorMove;

// A pane's moves between folders: typed input (paths, "~", drive letters, relative
// forms, patterns that become the visual filter), the browsing history with the focus
// remembered per folder, Previous and Next, Network and Documents, Same folder, Swap
// panes, the six bookmarks, mirror browsing and synchronized scrolling.
//
// The pane owns one and offers it the commands it does not answer itself. GUI thread
// only.
class PaneNavigator {
public:
    // How a typed text fared.
    enum class TypedOutcome {
        Done,    // the pane went to the folder or re-filtered
        Refused, // the text makes no sense as a folder or filter here; the pane is unchanged
        Failed,  // the pane tried (a read failed or Escape cancelled it) and has said why
    };

    explicit PaneNavigator(PaneView& pane);
    PaneNavigator(const PaneNavigator&) = delete;
    PaneNavigator& operator=(const PaneNavigator&) = delete;

    // Typed input for this pane. The text is resolved on a worker (a dead mount blocks
    // only the worker; Escape cancels) against the active pane's file-system folder.
    // A folder is opened; a pattern in the last component becomes the pane's visual
    // filter, in the folder before it or, with no folder part, in the folder shown. A
    // file's path, a relative path while this pane shows a virtual folder, and
    // whatever does not resolve are refused. Anything but Done drops the text from
    // the history when it is the entry before or after the current one. Shows no
    // alert: PaneView::GoToTyped and the address bar do.
    TypedOutcome GoToTyped(const std::string& text);

    const BrowseHistory& History() const { return m_history; }

    // The navigation commands (Previous, Next, Network, Documents, Same folder, Swap
    // panes, the bookmarks, Mirror browsing, Sync scrolling, Scroll to top).
    bool OnCommand(int id);
    bool OnUpdateCommand(int id, CommandState& state);

private:
    PaneView* Target();
    PaneView* Other() const;
    // What relative input stands on: the active pane's file-system folder, none while it
    // shows a virtual folder; the process's current directory before any folder is shown.
    std::string BaseFolder() const;

    void GoHistory(bool forward);
    void GoSpecial(ShellNamespace::SpecialFolder which);
    void SameFolder();
    void SwapPanes();
    void Bookmark(int n);
    void ToggleMirror();
    void ToggleSyncScrolling();
    void ScrollToTop();

    void OnLeave(const ShellFolder& folder, const std::optional<std::string>& focused);
    std::optional<std::string> OnArrive(const ShellFolder& folder);
    // Mirror browsing: the other pane repeats this pane's move from oldPath.
    void RepeatMove(const std::string& oldPath);
    // This pane's share of the other pane's move; false when it did not happen.
    bool Follow(const MirrorMove& move);
    // Synchronized scrolling: the other pane focuses the name this pane focused.
    void OnFocusMoved(const QModelIndex& current, const QModelIndex& previous);

    PaneView& m_pane;
    BrowseHistory m_history;
    bool m_following = false; // repeating the other pane's move, which is not mirrored back
};

} // namespace bivora
