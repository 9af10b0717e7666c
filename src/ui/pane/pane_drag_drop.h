#pragma once

#include "ui/widgets/sort_list_ctrl.h"

#include <functional>
#include <optional>
#include <string>

class QDrag;
class QPoint;

namespace bivora {

class PaneView;
class ShellItem;

// A pane as drag source and drop target. Drags carry the selected items in the
// clipboard's formats, offering copy, move and link; starting one puts the items on
// the clipboard as a copied set. Drops take local file URIs only: on a folder row
// (highlighted while hovered) into that folder, on an executable row by starting it
// with the dropped paths, elsewhere into the pane's folder. A drag made with the right
// button asks "Copy Here", "Move Here", "Link Here" or "Cancel" at the drop.
class PaneDragDrop final : public ListDragHandler {
public:
    explicit PaneDragDrop(PaneView& pane);
    ~PaneDragDrop() override;

    // Runs a drag that has started, offering those actions; the real one is the
    // system's drag loop (QDrag::exec). Tests record the drag instead.
    using DragRunner = std::function<void(QDrag& drag, Qt::DropActions offered)>;
    void SetDragRunner(DragRunner runner) { m_runner = std::move(runner); }

    // The row the drag hovers over and highlights; -1 when none.
    int HoveredRow() const { return m_hovered; }

    void BeginDrag(bool rightButton) override;
    void DragMove(QDragMoveEvent& event, bool entering) override;
    void DragLeave() override;
    void Drop(QDropEvent& event) override;

private:
    // Who takes a drop at a place: a folder row, an executable row, or the pane's folder.
    struct Target {
        enum class Kind { kNone, kFolderRow, kExecutableRow, kPaneFolder } kind = Kind::kNone;
        int row = -1;
        std::string path;
    };
    Target TargetAt(const QPoint& viewportPos, bool ownDrag);
    bool IsExecutableRow(const ShellItem& item);
    bool FromThisPane(const QDropEvent& event) const;
    // The effect of a right-button drop as the menu chooses it; none for Cancel.
    int AskEffect(const QPoint& viewportPos);
    void EndDragOver();

    PaneView& m_pane;
    DragRunner m_runner;
    bool m_rightButton = false;
    bool m_usableData = false; // the entering drag carries local files
    int m_hovered = -1;
    // the last file asked whether it starts programs, and the answer once it is in
    std::string m_askedPath;
    bool m_askedExecutable = false;
};

} // namespace bivora
