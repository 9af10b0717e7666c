#pragma once

#include "base/pattern_list.h"
#include "shell/item_id.h"
#include "ui/commands/command_router.h"
#include "ui/commands/frame_pane.h"
#include "ui/pane/pane_context.h"
#include "base/row_sort_keys.h"

#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QKeyEvent;
class QMenu;

namespace bivora {

class FreeSpaceCache;
class PaneCaption;
class PaneModel;
class PaneDragDrop;
class PaneNavigator;
class PaneWatch;
class ShellFolder;
class ShellItem;
class SortListCtrl;
enum class NewItemKind;
struct RefreshApplied;
struct SelectedItem;

// One of the two panes: a caption strip over a sortable list of the records of one
// folder. It reads its folders on a worker thread (the window keeps painting and
// Escape cancels), keeps its rows in step with the folder through incremental
// refreshes, and answers its keys, its context menu and its commands.
//
// GUI thread only. A pane always shows exactly one folder after InitialUpdate.
class PaneView final : public QWidget, public CommandTarget, public FramePane {
    Q_OBJECT
public:
    PaneView(PaneContext context, bool left, QWidget* parent = nullptr);
    ~PaneView() override;

    // Opens the start folder: the command line's, else "szInitialFolder", else the
    // current directory; the Desktop when that fails.
    void InitialUpdate();

    // Opens and reads the folder into the pane. False when the read failed or was
    // cancelled; the pane keeps its folder and rows then.
    bool GoToFolder(ItemIdList id);
    bool GoToDesktop();
    // A typed folder or filter (PaneNavigator::GoToTyped); a text it refuses gets the
    // alert "The CPU cannot make any sense of the last input". True when the pane moved or re-filtered.
    bool GoToTyped(const std::string& text);

    // One row for each record the filter allows; the others have none.
    void FillList();
    // Removes the record's row and the record.
    void RemoveRow(ShellItem& item);
    int RowOf(const ShellItem* item) const;
    // Focuses (and with select selects) the row of the shown record of that name; -1 when none.
    int FocusName(const std::string& name, bool select);
    void ReapplyFilter();
    // Re-reads the folder and brings the rows in step: arrivals get rows (selected and
    // named in names with selectArrivals), vanished records lose theirs, changed ones
    // get new texts. Without selectArrivals, names lists rows to unselect. False when
    // the re-read failed; a folder that has gone sends the pane to the Desktop.
    bool RefreshPane(bool selectArrivals, std::vector<std::string>* names = nullptr);
    void UpdatePaneState(const std::optional<std::string>& focusName = std::nullopt);
    // Enter (useFocus) and double-click: folders are browsed in the target pane, files
    // executed on a worker.
    void OpenItem(bool useFocus);
    void SortRows();
    bool ExtensionsHidden() const;
    void StepSelected(bool down);

    // The visual filter ("*" for none); an unusable text means "*".
    void SetFilterText(const std::string& text);
    // The visual filter as the user sets it (pane_selection.cpp): a text that holds no
    // pattern is refused (false, the pane unchanged); a new canonical text enters
    // "Visual Filter History" and, unless "*", becomes the filter Use filter returns to.
    bool SetVisualFilter(const std::string& text);
    const std::string& FilterText() const { return m_filterText; }

    // The settings of Program Options changed: hidden files re-read, the date column retitled.
    void ApplySettingsChange(bool hiddenFilesChanged, bool dateKindChanged);

    // Makes this the active pane and gives its list the keyboard focus.
    void Activate();
    bool IsActive() const { return m_active; }
    bool IsLeft() const { return m_left; }
    bool IsBusy() const { return m_busy; }

    const ShellFolder* Folder() const { return m_folder.get(); }
    // Names the folder the pane shows: a new number for every folder it opens, so that
    // a message about a folder it has left is told apart (see FolderChangedEvent).
    std::uint64_t FolderGeneration() const { return m_folderGeneration; }
    std::uint64_t ByteTotal() const { return m_byteTotal; }
    SortListCtrl& List() const { return *m_list; }
    PaneModel& Model() const { return *m_model; }
    PaneCaption& Caption() const { return *m_caption; }
    std::vector<int> SelectedRows() const;
    ShellItem* ItemAt(int row) const;

    // The text of the status pane 59142 for this pane.
    QString StatusText() const;
    // Rows and records agree: every row shows a record of this folder, every record the
    // filter allows has one row and no other has one, and the byte total is the sum of
    // the rows' sizes.
    bool IsConsistent() const;

    // Chooses an entry of a context menu; the real one shows the menu at the position.
    using MenuChooser = std::function<QAction*(QMenu& menu, const QPoint& globalPos)>;
    void SetMenuChooser(MenuChooser chooser) { m_menuChooser = std::move(chooser); }
    void ShowContextMenu(const QPoint& globalPos);

    // Told when the pane leaves a file-system folder (with the focused record's name)
    // and asked, on arrival in one, which name to focus: the browsing history's hooks.
    using LeaveHook = std::function<void(const ShellFolder& folder, const std::optional<std::string>& focused)>;
    using ArriveHook = std::function<std::optional<std::string>(const ShellFolder& folder)>;
    void SetHistoryHooks(LeaveHook leave, ArriveHook arrive);

    // FramePane
    QWidget* Widget() override { return this; }
    int ViewStyle() const override;
    void SetViewStyle(int viewCommandId) override;
    CommandTarget* ListTarget() override;
    CommandTarget* PaneTarget() override { return this; }
    void SetActive(bool active) override;

    // CommandTarget
    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    // The enabling rule of a pane command for the present selection and folder;
    // nullopt for commands without one.
    std::optional<bool> CommandEnabled(int id) const;

protected:
    bool event(QEvent* event) override;

private:
    class BusyScope;

    // A folder's records in the list's order, with their sort keys in that order.
    struct RowOrder {
        std::vector<ShellItem*> items;
        RowSortKeys keys;
    };
    // FillList, taking the records in the given order when there is one.
    void FillRows(RowOrder* arranged);

    void LoadSettings();
    void SaveSettings();
    bool Allows(const ShellItem& item) const;
    void UpdateCaption();
    void ApplyRefreshToRows(RefreshApplied& applied, bool selectArrivals, std::vector<std::string>* names);
    void SetPaneDirectory(const std::string& path, bool makeCurrent);
    bool HandleKey(QKeyEvent& event);
    void SwitchPanes();
    void Route(int id);
    void GoToDrive(char letter);
    void Refresh();
    void GoParent();
    void GoRoot();
    void GoDesktopCommand();
    void Properties();
    void Execute(const std::string& path);
    // Rename in place, New File / New Folder, View / Edit (pane_item_edits.cpp).
    bool OnItemCommand(int id);
    bool BeginRename(int row);
    void EndRename(int row, const std::optional<QString>& text, std::uint64_t generation);
    void NewItem(NewItemKind kind);
    void ViewOrEdit(bool readOnly);
    // Runs one file-system call off the GUI thread with the pane busy; false when it did not end.
    bool RunItemWork(std::function<void()> work, const QString& text);
    std::vector<SelectedItem> SelectedItems() const;
    bool ShowItemMenu(const QPoint& globalPos);
    void ShowPaneMenu(const QPoint& globalPos);
    QAction* ChooseFrom(QMenu& menu, const QPoint& globalPos);
    void ScheduleStatusUpdate();
    void UpdateStatusText();
    PaneView* Target();

    PaneContext m_ctx;
    const bool m_left;
    const std::string m_section;

    std::string m_startFolder;
    PatternList m_filter;
    std::string m_filterText = "*";
    std::unique_ptr<ShellFolder> m_folder;
    std::uint64_t m_folderGeneration = 0;
    std::unique_ptr<PaneWatch> m_watch; // stopped before the folder goes
    std::uint64_t m_byteTotal = 0; // whole 64-bit sizes: no wrap at 4 GB

    std::unique_ptr<PaneModel> m_model;
    PaneCaption* m_caption = nullptr;
    SortListCtrl* m_list = nullptr;

    bool m_active = false;
    bool m_busy = false;           // a read runs on a worker; the pane answers nothing else
    bool m_refreshPending = false; // a change arrived during that read
    QTimer m_statusTimer;
    FreeSpaceCache* m_freeSpace = nullptr; // a child: the status text's free space, read on a worker
    MenuChooser m_menuChooser;
    LeaveHook m_leaveHook;
    ArriveHook m_arriveHook;

public:
    // Copy to, Move to and Delete (pane_file_ops.cpp); false for other commands.
    bool OnFileOpCommand(int id);
    bool OnUpdateFileOpCommand(int id, CommandState& state);
    // What the pane was given; the file operations run with it.
    const PaneContext& Context() const { return m_ctx; }

    // Containing text: selects the files that hold a text (pane_grep.cpp).
    void ContainingText();
    void FolderData();
    void FindFiles();

private:
    void TransferSelection(bool move);
    void DeleteSelection();

public:
    // Typed input, the browsing history, bookmarks, mirror browsing and synchronized
    // scrolling: the pane's moves between folders (pane_navigator.h).
    PaneNavigator& Navigator() const { return *m_nav; }

private:
    friend class PaneNavigator;
    std::unique_ptr<PaneNavigator> m_nav;

public:
    // The pane as drag source and drop target (pane_drag_drop.h).
    PaneDragDrop& DragDrop() const { return *m_dragDrop; }

private:
    friend class PaneClipboard;
    friend class PaneContentCompare; // keeps the pane busy while files are compared
    friend class PaneDragDrop;
    friend class PaneSelection;
    std::unique_ptr<PaneDragDrop> m_dragDrop;
};

} // namespace bivora
