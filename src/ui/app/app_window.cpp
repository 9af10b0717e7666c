#include "ui/app/app_window.h"

#include "base/editor_settings.h"
#include "base/registry_keys.h"
#include "shell/shell_folder.h"
#include "shell/shell_namespace.h"
#include "ui/app/app_commands.h"
#include "ui/app/bivora_app.h"
#include "ui/app/pane_address_target.h"
#include "ui/dialogs/about_dlg.h"
#include "ui/dialogs/options_sheet.h"
#include "ui/drives/drive_bar.h"
#include "ui/drives/drive_commands.h"
#include "ui/editor/editor_context.h"
#include "ui/editor/editor_windows.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/status_service.h"
#include "ui/frame/address_bar.h"
#include "ui/frame/main_frame.h"
#include "ui/jobs/job_registry.h"
#include "ui/pane/file_transfer.h"
#include "ui/pane/pane_view.h"
#include "ui/widgets/sort_list_ctrl.h"
#include "ui/thumbs/thumb_bar.h"
#include "shell/shell_item.h"
#include "ui/platform/desktop_apps.h"
#include "ui/platform/icon_cache.h"
#include "ui/platform/open_in_editor.h"
#include "ui/dialogs/properties_dialog.h"
#include "ui/find/find_files_dlg.h"
#include "ui/find/find_results_window.h"
#include "ui/stats/folder_data_window.h"
#include "ui/platform/qt_keyboard_state.h"
#include "ui/platform/qt_launcher.h"
#include "ui/platform/clipboard_items.h"
#include "ui/platform/qt_prompts.h"
#include "ui/widgets/sort_list_ctrl.h"
#include "ui/tree/tree_browser.h"

#include <QCoreApplication>
#include <QDockWidget>
#include <QItemSelectionModel>
#include <QStandardPaths>
#include <QTimer>

namespace bivora {

// The pane pair as the frame keeps it: the frame knows which pane is active (it
// follows the keyboard focus), so activation goes through the frame.
class AppWindow::Pair final : public PanePair {
public:
    explicit Pair(KeyboardState& keyboard) : m_keyboard(keyboard) {}

    void SetFrame(MainFrame* frame) { m_frame = frame; }
    void SetPane(int column, PaneView* pane) { m_panes[column] = pane; }
    PaneView* Pane(int column) const { return m_panes[column]; }

    PaneView* OtherPane(const PaneView* pane) const override
    {
        return pane == m_panes[0] ? m_panes[1] : m_panes[0];
    }

    PaneView* TargetPane(PaneView* pane) override
    {
        m_target = m_keyboard.Alt() ? OtherPane(pane) : pane;
        return m_target;
    }

    PaneView* ActivePane() const override
    {
        if (!m_frame)
            return m_panes[0];
        return m_frame->ActivePane() == m_frame->RightPane() ? m_panes[1] : m_panes[0];
    }

    void SetActivePane(PaneView* pane) override
    {
        if (m_frame && pane)
            m_frame->ActivatePane(pane);
    }

private:
    KeyboardState& m_keyboard;
    MainFrame* m_frame = nullptr;
    PaneView* m_panes[2] = {nullptr, nullptr};
    PaneView* m_target = nullptr;
};

namespace {

template <typename Interface, typename Real>
Interface& Choose(Interface* given, std::unique_ptr<Interface>& own)
{
    if (given)
        return *given;
    own = std::make_unique<Real>();
    return *own;
}

} // namespace

AppWindow::AppWindow(BivoraApp& app, AppWindowServices services)
    : m_app(app)
    , m_prompts(Choose<Prompts, QtPrompts>(services.prompts, m_ownPrompts))
    , m_keyboard(Choose<KeyboardState, QtKeyboardState>(services.keyboard, m_ownKeyboard))
    , m_launcher(Choose<Launcher, QtLauncher>(services.launcher, m_ownLauncher))
    , m_icons(std::make_unique<IconCache>(m_app.Jobs()))
    , m_apps(std::make_unique<DesktopAppDatabase>(m_app.Jobs()))
    , m_pair(std::make_unique<Pair>(m_keyboard))
{
    OptionsReactions reactions;
    reactions.reReadPanes = [this] {
        for (PaneView* pane : {LeftPane(), RightPane()})
            if (pane)
                pane->ApplySettingsChange(true, false);
    };
    reactions.refreshDateColumns = [this] {
        for (PaneView* pane : {LeftPane(), RightPane()})
            if (pane)
                pane->ApplySettingsChange(false, true);
    };
    reactions.applyFlatToolbars = [this](bool flat) {
        m_frame->ApplyFlatToolbars(flat);
        if (auto* bar = m_frame->findChild<DriveBar*>())
            bar->ApplyFlat(flat);
    };
    m_commands = std::make_unique<AppCommands>(m_app, m_prompts, std::move(reactions));

    FrameOptions options;
    options.saveSettings = [this] { return m_app.Settings().saveSettings; };
    options.flatToolbars = m_app.Settings().flatToolbars;
    options.driveBar2Root = &m_app.Settings().driveBar2Root;
    options.historyItems = [this] { return m_app.Settings().historyItems; };
    options.filterHistory = &m_shared.visualFilterHistory;
    m_shared.targetFolderHistoryLoadedHook = [this] {
        m_app.SubsystemLoaded(Subsystem::TargetFolderHistory, [this](SettingsStore& store) {
            m_shared.targetFolderHistory.Save(m_app.Settings().historyItems, store,
                                              registry::section::kTargetFolderHistory);
        });
    };
    m_shared.batchTemplateHistoryLoadedHook = [this] {
        m_app.SubsystemLoaded(Subsystem::BatchTemplateHistory, [this](SettingsStore& store) {
            m_shared.batchTemplateHistory.Save(m_app.Settings().historyItems, store,
                                               registry::section::kBatchTemplateHistory);
        });
    };
    m_shared.grep.loadedHook = [this] {
        m_app.SubsystemLoaded(Subsystem::Grep, [this](SettingsStore& store) {
            m_shared.grep.Save(m_app.Settings().historyItems, store);
        });
    };
    m_shared.findFile.loadedHook = [this] {
        m_app.SubsystemLoaded(Subsystem::FindFile, [this](SettingsStore& store) {
            m_shared.findFile.Save(m_app.Settings().historyItems, store);
        });
    };
    m_editorShared.reset(new EditorShared{m_app.Store(), m_prompts, m_shared.grep});
    m_editorShared->historyItems = [this] { return m_app.Settings().historyItems; };
    m_editorShared->flatToolbars = [this] { return m_app.Settings().flatToolbars; };
    m_editorShared->saveSettings = [this] { return m_app.Settings().saveSettings; };
    m_editorShared->jobs = &m_app.Jobs();
    m_editorShared->loadedHook = [this] {
        m_app.SubsystemLoaded(Subsystem::Editor, [this](SettingsStore& store) {
            SaveEditorSettings(m_editorShared->settings, store);
            if (m_editorShared->replaceHistoryLoaded)
                m_editorShared->replaceHistory.Save(m_app.Settings().historyItems, store,
                                                    registry::section::kReplaceTextHistory);
        });
    };
    m_editorShared->showAbout = [this](QWidget* parent) {
        AboutDlg about(parent);
        m_prompts.Exec(about);
    };
    m_editors = std::make_unique<EditorWindows>(*m_editorShared);
    options.beforeClose = [this] { return m_editors->CloseAll(); };

    m_address = std::make_unique<PaneAddressTarget>([this] { return ActivePane(); },
                                                    [this] { return m_pair->OtherPane(ActivePane()); },
                                                    m_app.Store());

    auto makePane = [this](int column, QWidget* parent) -> FramePane* {
        // The panes are made inside the frame's construction, after its router and
        // status bar: reach them through the splitter's window.
        auto* frame = qobject_cast<MainFrame*>(parent->window());
        Q_ASSERT(frame);
        const std::string& start = column == 0 ? m_app.LeftStartFolder() : m_app.RightStartFolder();
        PaneContext context{
            m_app.Store(),
            m_app.Settings(),
            *m_app.Namespace(),
            *m_icons,
            frame->Status(),
            m_prompts,
            m_keyboard,
            m_launcher,
            m_shared,
            m_app.Jobs(),
            const_cast<CommandRouter*>(&frame->Router()),
            m_pair.get(),
            [this, frame](const QString& caption) {
                frame->setWindowTitle(caption);
                SyncTree();
                // the active pane's state: its folder heads the address bar's list
                if (const PaneView* active = ActivePane(); active && active->Folder()) {
                    const ShellFolder* folder = active->Folder();
                    frame->Address().ShowFolder(folder->IsFileSystem() ? folder->Path() : std::string(),
                                                PaneAddressTarget::AddressTextOf(*active));
                }
            },
            [frame] { return frame->Address().FocusAddress(); },
            [this] {
                if (!m_tree || !m_tree->isVisible())
                    return false;
                m_tree->setFocus(Qt::TabFocusReason);
                return true;
            },
            m_apps.get(),
            [this](QWidget* owner, const std::vector<std::string>& paths) {
                return ShowProperties(paths, m_prompts, m_app.Jobs(), owner);
            },
            start.empty() ? std::nullopt : std::optional<std::string>(start),
            [this, frame](QWidget* owner, const std::string& folder) {
                const auto browse = [this](const std::string& path) {
                    if (PaneView* active = ActivePane())
                        if (PaneView* target = m_pair->TargetPane(active))
                            target->GoToTyped(path);
                };
                ShowFolderData(folder, {m_app.Jobs(), frame->Status(), m_app.Store(), browse}, owner);
            },
            [this, frame](QWidget*, const std::string& folder) { FindFiles(folder, frame); },
            [this](const std::string& path, bool readOnly) { return m_editors->Open(path, readOnly); },
        };
        auto* pane = new PaneView(std::move(context), column == 0, parent);
        m_pair->SetPane(column, pane);
        return pane;
    };
    m_frame = std::make_unique<MainFrame>(FrameServices{m_app.Store(), m_prompts, m_keyboard}, std::move(options),
                                          makePane);
    m_frame->setWindowTitle(QStringLiteral("Bivora"));
    m_pair->SetFrame(m_frame.get());
    m_frame->SetAddressTarget(m_address.get());
    m_frame->SetApplicationTarget(m_commands.get());
    m_commands->SetParentWindow(m_frame.get());
    // Help files open as View does: the external editor when one is chosen, Ctrl
    // forcing the program's own viewer.
    m_commands->SetHelpViewer([this](const std::string& path) {
        const QString alert = OpenInEditor(path, true, m_keyboard.Ctrl(), m_app.Settings(), m_launcher, m_prompts,
                                           m_frame.get(), [this](const std::string& file, bool readOnly) {
                                               return m_editors->Open(file, readOnly);
                                           });
        if (!alert.isEmpty())
            m_frame->Status().ShowStatusMessage(alert, true);
    });

    // The drive bar, docked at the left, takes its commands before the panes.
    DrivePanes drivePanes{
        [this] { return ActivePane() == RightPane() ? 1 : 0; },
        [this](int column) -> std::optional<std::string> {
            const PaneView* pane = column == 0 ? LeftPane() : RightPane();
            const ShellFolder* folder = pane ? pane->Folder() : nullptr;
            return folder && folder->IsFileSystem() ? std::optional<std::string>(folder->Path()) : std::nullopt;
        },
        [this](int column, const std::string& text) {
            if (PaneView* pane = column == 0 ? LeftPane() : RightPane())
                pane->GoToTyped(text);
        },
    };
    m_drives = std::make_unique<DriveCommands>(
        DriveServices{m_app.Store(), m_prompts, m_keyboard, *m_icons, m_app.Jobs()}, std::move(drivePanes),
        m_app.Namespace()->shared_from_this(), m_app.Settings().driveBar2Root, [this] {
            m_app.SubsystemLoaded(Subsystem::SelectDriveDialog,
                                  [this](SettingsStore& store) { m_drives->SaveDialogSettings(store); });
        });
    m_drives->SetParentWindow(m_frame.get());
    DriveBar* driveBar = m_drives->MakeBar(m_frame->Actions(), m_app.Settings().drivebarLetters,
                                           [frame = m_frame.get()](int id) { frame->ExecuteCommand(id); }, m_frame.get());
    driveBar->ApplyFlat(m_app.Settings().flatToolbars);
    m_frame->addToolBar(Qt::LeftToolBarArea, driveBar);
    m_frame->RegisterBar(bar::kDriveBar, driveBar);
    m_frame->AddBarTarget(m_drives.get());
    AddThumbBar();
    AddFolderTree();
    // the bars made after the frame take their stored places
    m_frame->RestoreStoredBarState();
}

// The results windows belong to the main window: they go when it goes.
void AppWindow::FindFiles(const std::string& folder, QWidget* frame)
{
    ShellNamespace* ns = m_app.Namespace();
    if (!ns)
        return;
    GeneralSettings& general = m_app.Settings();
    const std::optional<FindCriteria> criteria = AskFindCriteria(
        {m_app.Store(), m_prompts, m_shared.grep, m_shared.findFile, *ns, m_shared.driveFolders, m_app.Jobs(),
         DateKindFromSetting(general.fileDateUzed), general.historyItems},
        folder, frame);
    if (!criteria)
        return;
    // the pane goes to the result's folder with the result's rows selected, the first focused
    auto browse = [this](const std::string& where, const std::vector<std::string>& names) {
        PaneView* active = ActivePane();
        PaneView* target = active ? m_pair->TargetPane(active) : nullptr;
        const std::optional<ItemIdList> id = m_app.Namespace()->ParsePath(where);
        if (!target || !id || !target->GoToFolder(*id))
            return;
        target->List().SelectionModel()->clearSelection();
        for (auto name = names.rbegin(); name != names.rend(); ++name)
            target->FocusName(*name, true);
        m_pair->SetActivePane(target);
        if (m_frame) {
            m_frame->raise();
            m_frame->activateWindow();
        }
    };
    FindResultsServices services{m_app.Jobs(), m_app.Store(), m_prompts,        m_keyboard,
                                 m_launcher,    general,       ns->shared_from_this(), browse};
    services.openInternal = [this](const std::string& file, bool readOnly) { return m_editors->Open(file, readOnly); };
    auto* window = new FindResultsWindow(*criteria, std::move(services), frame);
    if (!window->Start()) {
        delete window;
        return;
    }
    window->show();
}

void AppWindow::AddThumbBar()
{
    auto focused = [this]() -> std::optional<FocusedFile> {
        const PaneView* pane = ActivePane();
        const int row = pane ? pane->List().FocusedRow() : -1;
        const ShellItem* item = row >= 0 ? pane->ItemAt(row) : nullptr;
        if (!item)
            return std::nullopt;
        return FocusedFile{item->FullPath(), item->IsFileSystem() && !item->IsFolder(false), item->size,
                           item->modified};
    };
    m_thumbs = new ThumbBar({m_app.Jobs(), m_app.Store(), std::move(focused),
                             QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)});
    m_frame->AddDockingBar(bar::kThumbBar, QStringLiteral("ThumbBar"), m_thumbs);
    m_frame->SetThumbnailsAvailable(ThumbnailsAvailable());

    // the focus moving, the rows changing under it, the other pane becoming active
    ThumbBar* thumbs = m_thumbs;
    const auto follow = [thumbs] { thumbs->FocusMayHaveChanged(); };
    for (PaneView* pane : {LeftPane(), RightPane()}) {
        QObject::connect(pane->List().SelectionModel(), &QItemSelectionModel::currentChanged, thumbs, follow);
        QAbstractItemModel* rows = pane->List().SelectionModel()->model();
        QObject::connect(rows, &QAbstractItemModel::modelReset, thumbs, follow);
        QObject::connect(rows, &QAbstractItemModel::dataChanged, thumbs, follow);
    }
    QObject::connect(m_frame.get(), &MainFrame::ActivePaneChanged, thumbs, follow);
}

void AppWindow::AddFolderTree()
{
    TreeContext context{*m_app.Namespace(), m_app.Jobs(), m_icons.get(), m_prompts, m_keyboard};
    context.browse = [this](const ItemIdList& folder) {
        PaneView* active = ActivePane();
        if (!active)
            return;
        if (PaneView* target = m_pair->TargetPane(active))
            target->GoToFolder(folder);
        active->Activate();
    };
    context.activeFolder = [this]() -> std::optional<ItemIdList> {
        const PaneView* active = ActivePane();
        if (!active || !active->Folder())
            return std::nullopt;
        return active->Folder()->Id();
    };
    context.focusPane = [this] {
        if (PaneView* active = ActivePane())
            active->Activate();
    };
    context.focusAddress = [this] { return m_frame->Address().FocusAddress(); };
    context.transfer = [this](int effect, const ItemTransfer* items, const std::string& folder) {
        PaneView* active = ActivePane();
        return active && PasteIntoFolder(*active, effect, items, folder, true);
    };
    context.deleteItems = [this](const std::vector<std::string>& paths, bool permanent) {
        PaneView* active = ActivePane();
        if (!active || paths.empty())
            return false;
        PendingFileOp op;
        op.sourceFolder = paths.front().substr(0, std::max<std::size_t>(1, paths.front().find_last_of('/')));
        FileOpRequest request;
        request.kind = permanent ? FileOpKind::Delete : FileOpKind::Trash;
        request.sources = paths;
        // the items left the folder, whichever way they went
        return RunPaneFileOp(*active, request, op, kEffectMove).itemsDone > 0;
    };
    context.showProperties = [this](QWidget* owner, const std::vector<std::string>& paths) {
        return ShowProperties(paths, m_prompts, m_app.Jobs(), owner);
    };
    m_tree = new TreeBrowser(std::move(context));
    m_frame->AddDockingBar(bar::kTreeBar, QStringLiteral("TreeBar"), m_tree);
    // the frame asks the link until it goes itself, after the tree it holds
    m_treeLink = m_tree->CommandLink();
    m_frame->AddBarTarget(m_treeLink.get());
    QObject::connect(m_frame.get(), &MainFrame::ActivePaneChanged, m_tree, [this] { SyncTree(); });
}

void AppWindow::SyncTree()
{
    if (!m_tree || !m_tree->isVisible())
        return;
    if (const PaneView* active = ActivePane(); active && active->Folder())
        m_tree->SyncToFolder(active->Folder()->Id());
}

AppWindow::~AppWindow()
{
    Shutdown();
}

PaneView* AppWindow::LeftPane() const
{
    return m_pair->Pane(0);
}

PaneView* AppWindow::RightPane() const
{
    return m_pair->Pane(1);
}

PaneView* AppWindow::ActivePane() const
{
    return m_pair->ActivePane();
}

bool AppWindow::Start()
{
    PaneView* active = m_app.LeftPaneActiveAtStart() ? LeftPane() : RightPane();
    m_frame->show();
    // A close request during a read is handed back to the window once the read is
    // over; the reads that would follow it are not started.
    auto closeRequested = [this] { return !m_frame->isVisible(); };
    for (PaneView* pane : {LeftPane(), RightPane()}) {
        if (closeRequested())
            break;
        pane->InitialUpdate();
        // the close request a read handed back arrives here
        QCoreApplication::sendPostedEvents();
    }
    if (closeRequested())
        return false;
    active->Activate();
    if (active->ExtensionsHidden()) {
        QTimer::singleShot(0, m_frame.get(), [frame = m_frame.get()] { frame->ExecuteCommand(cmd::kStartupSuggestion); });
    }
    return true;
}

void AppWindow::Shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    if (m_frame && m_frame->isVisible())
        m_frame->close();
    // The panes store their settings as they go with the frame; the application's
    // own settings come last.
    if (m_frame)
        m_frame->SetAddressTarget(nullptr);
    m_pair->SetFrame(nullptr);
    m_pair->SetPane(0, nullptr);
    m_pair->SetPane(1, nullptr);
    m_tree = nullptr; // goes with the frame
    m_frame.reset();
    // editor windows left open (a close on a signal) go without questions
    m_editors.reset();
    m_app.SaveAllSettings();
}

} // namespace bivora
