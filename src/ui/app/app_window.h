#pragma once

#include "ui/pane/pane_context.h"

#include <memory>

namespace bivora {

class AppCommands;
class BivoraApp;
class CommandTarget;
class DesktopAppDatabase;
class DriveCommands;
class EditorWindows;
class IconCache;
class KeyboardState;
class Launcher;
class MainFrame;
class PaneAddressTarget;
class PaneView;
class Prompts;
class ThumbBar;
class TreeBrowser;
struct EditorShared;

// The program's window as start-up assembles it: the main frame with its two panes,
// the pane pair, the icon cache and the application's link of the command chain.
// Services a test wants to control are passed in; null ones are the real ones.
struct AppWindowServices {
    Prompts* prompts = nullptr;
    KeyboardState* keyboard = nullptr;
    Launcher* launcher = nullptr;
};

class AppWindow {
public:
    explicit AppWindow(BivoraApp& app, AppWindowServices services = AppWindowServices());
    ~AppWindow();
    AppWindow(const AppWindow&) = delete;
    AppWindow& operator=(const AppWindow&) = delete;

    // The last steps of start-up: the window shows at once, then both panes read their
    // start folders as GoToFolder does (the window painting, Escape cancelling, a close
    // request cancelling and closing), the pane named by bLeftPaneActive becomes active,
    // and the suggestion about hidden extensions is posted when the active pane's folder
    // calls for it. False when the window was closed meanwhile.
    bool Start();

    // The exit path after the window has closed: the panes go (saving their settings),
    // then the application saves the rest. Safe to call more than once.
    void Shutdown();

    MainFrame& Frame() const { return *m_frame; }
    // The editor and viewer windows the panes open.
    EditorWindows& Editors() const { return *m_editors; }
    PaneView* LeftPane() const;
    PaneView* RightPane() const;
    PaneView* ActivePane() const;
    DriveCommands& Drives() const { return *m_drives; }
    ThumbBar* Thumbs() const { return m_thumbs; }

private:
    class Pair;

    // Find files: the criteria dialog, then a results window searching in the background.
    void FindFiles(const std::string& folder, QWidget* frame);
    // The thumbnail bar, following the active pane's focused item.
    void AddThumbBar();
    // The folder tree in its docking bar, following the active pane while shown.
    void AddFolderTree();
    void SyncTree();

    BivoraApp& m_app;
    std::unique_ptr<Prompts> m_ownPrompts;
    std::unique_ptr<KeyboardState> m_ownKeyboard;
    std::unique_ptr<Launcher> m_ownLauncher;
    Prompts& m_prompts;
    KeyboardState& m_keyboard;
    Launcher& m_launcher;
    std::unique_ptr<IconCache> m_icons;
    std::unique_ptr<DesktopAppDatabase> m_apps;
    PaneSharedState m_shared;
    std::unique_ptr<Pair> m_pair;
    std::unique_ptr<AppCommands> m_commands;
    std::unique_ptr<PaneAddressTarget> m_address;
    std::unique_ptr<DriveCommands> m_drives; // a link of the frame's chain: outlives the frame
    // The editor windows go before what they use, and before the frame.
    std::unique_ptr<EditorShared> m_editorShared;
    std::unique_ptr<EditorWindows> m_editors;
    std::shared_ptr<CommandTarget> m_treeLink; // the tree's link of the chain: outlives the frame, not the tree
    std::unique_ptr<MainFrame> m_frame;
    ThumbBar* m_thumbs = nullptr; // owned by its docking bar in the frame
    TreeBrowser* m_tree = nullptr; // owned by its bar in the frame
    bool m_shutDown = false;
};

} // namespace bivora
