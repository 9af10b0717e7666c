#pragma once

#include "base/general_settings.h"
#include "base/history_list.h"
#include "base/layout_slots.h"
#include "base/registry_keys.h"
#include "ui/commands/command_router.h"
#include "ui/commands/frame_pane.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <map>

class QDockWidget;

namespace bivora {

class AddressBar;
class AddressTarget;
class DockingBar;
class CommandActions;
class KeyboardState;
class MainStatusBar;
class MainToolBar;
class PaneSplitter;
class Prompts;
class SettingsStore;
class StatusService;

// The services the frame uses; they outlive it.
struct FrameServices {
    SettingsStore& store;
    Prompts& prompts;
    KeyboardState& keyboard;
};

// What the frame needs of the general settings and the application.
struct FrameOptions {
    // bSaveSettings at the moment the window closes.
    std::function<bool()> saveSettings = [] { return true; };
    // bFlatToolbars at creation (later changes come through ApplyFlatToolbars).
    bool flatToolbars = false;
    // Runs first when the window closes (open editor windows are told to close); false
    // keeps the window open (an editor's save question was cancelled).
    std::function<bool()> beforeClose;
    // The run's bDriveBar2Root (GeneralSettings), which the panes follow and the frame
    // writes at close; without one the frame keeps a value of its own.
    bool* driveBar2Root = nullptr;
    // nHistoryItems at the moment a history changes.
    std::function<int()> historyItems = [] { return GeneralSettings().historyItems; };
    // The process-wide visual filter history that History (Ctrl+H) picks from; without
    // one the frame keeps a list of its own.
    HistoryList* filterHistory = nullptr;
};

// Control-bar ids, as the bar toggles and ShowBarIfHidden name them.
namespace bar {
inline constexpr int kAddressBar = 59392;
inline constexpr int kStatusBar = 59393;
inline constexpr int kToolBar = 59400;
inline constexpr int kTreeBar = 59401;
inline constexpr int kDriveBar = 59402;
inline constexpr int kThumbBar = 59403;
} // namespace bar

// The main window: menus, tool bar and status bar, the two panes in a splitter,
// three window layouts, and the link of the command chain for its own commands.
// Commands go to the active pane's list, the active pane, the frame, then the
// application.
class MainFrame final : public QMainWindow, public CommandTarget {
    Q_OBJECT
public:
    static constexpr std::string_view kSection = registry::section::kMainFrameSettings;

    MainFrame(FrameServices services, FrameOptions options, const FramePaneFactory& makePane,
              QWidget* parent = nullptr);
    ~MainFrame() override;

    // Runs a command along the chain; false when it is disabled or nobody handles it.
    bool ExecuteCommand(int id);
    CommandState UpdateCommand(int id) const;
    const CommandRouter& Router() const { return m_router; }

    StatusService& Status();
    MainStatusBar& StatusBar() const { return *m_statusBar; }
    MainToolBar& ToolBar() const { return *m_toolBar; }
    AddressBar& Address() const { return *m_addressBar; }
    // The panes as the address bar sees them (null: typed texts go nowhere).
    void SetAddressTarget(AddressTarget* target);
    CommandActions& Actions() const { return *m_actions; }
    PaneSplitter& Splitter() const { return *m_splitter; }
    const LayoutSlots& Layouts() const { return m_layouts; }

    // The panes: column 0 is the left one. The inactive pane is the active one's partner.
    FramePane* LeftPane() const { return m_panes[0]; }
    FramePane* RightPane() const { return m_panes[1]; }
    FramePane* ActivePane() const { return m_panes[m_activeColumn]; }
    FramePane* InactivePane() const { return m_panes[1 - m_activeColumn]; }
    void ActivatePane(FramePane* pane);

    // The last link of the command chain (the application); may be null.
    void SetApplicationTarget(CommandTarget* target) { m_appTarget = target; }
    // A control bar of another part of the program (address, drive, tree or thumbnail
    // bar) joins the frame: its toggle command and ShowBarIfHidden then reach it.
    void RegisterBar(int barId, QWidget* bar);
    // A resizable docking bar hosting content (the folder tree, the thumbnail view): it
    // joins the frame as RegisterBar does, with its stored sizes and, when the saved bar
    // state knows it, its stored place; otherwise it starts hidden, docked at the left.
    DockingBar* AddDockingBar(int barId, const QString& title, QWidget* content);
    DockingBar* DockingBarOf(int barId) const;
    // A bar's link of the command chain, asked before the active pane (the drive bar,
    // the tree while it has the focus); it must outlive the frame or be removed first.
    void AddBarTarget(CommandTarget* target);
    void SetThumbnailsAvailable(bool available) { m_thumbnailsAvailable = available; }
    // Puts the bars where the store last saw them; bars that join after the frame is
    // made (the drive bar) call for it again once they are in.
    void RestoreStoredBarState();

    void ApplyFlatToolbars(bool flat);
    void ShowBarIfHidden(int barId);
    void SuspendAccelerators(bool suspend);

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

Q_SIGNALS:
    void ActivePaneChanged(bivora::FramePane* active);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* Bar(int barId) const;
    void ToggleBar(int barId);
    void OnFocusChanged(QWidget* now);
    void OnLayoutCommand(int n);
    void DefineLayout(int n);
    void ApplyLayout(int n);
    WindowPlacement CurrentPlacement() const;
    void ApplyPlacement(const WindowPlacement& placement);
    QSize ScreenSize() const;
    // The dock state of the bars with the status bar's visibility, and its way back.
    QByteArray BarState() const;
    void RestoreBarState(QByteArray state);
    void SaveSettings();

    SettingsStore& m_store;
    Prompts& m_prompts;
    KeyboardState& m_keyboard;
    FrameOptions m_options;
    CommandRouter m_router;
    CommandActions* m_actions = nullptr;
    MainStatusBar* m_statusBar = nullptr;
    MainToolBar* m_toolBar = nullptr;
    AddressBar* m_addressBar = nullptr;
    AddressTarget* m_addressTarget = nullptr;
    HistoryList m_ownFilterHistory;
    PaneSplitter* m_splitter = nullptr;
    std::array<FramePane*, 2> m_panes{};
    int m_activeColumn = 0;
    CommandTarget* m_appTarget = nullptr;
    std::map<int, QWidget*> m_bars;
    std::map<int, DockingBar*> m_dockingBars;
    bool m_barStateRestored = false; // the saved arrangement was applied at creation
    std::vector<CommandTarget*> m_barTargets;
    bool m_thumbnailsAvailable = false;
    bool m_driveBarToRoot = GeneralSettings().driveBar2Root; // when the options give none
    LayoutSlots m_layouts;
    int m_openMenus = 0;
    bool m_closed = false;
    QMetaObject::Connection m_focusConnection;
};

} // namespace bivora
