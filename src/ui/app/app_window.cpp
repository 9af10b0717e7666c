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
#include "ui/editor/editor_context.h"
#include "ui/editor/editor_windows.h"
#include "ui/commands/command_ids.h"
#include "ui/frame/address_bar.h"
#include "ui/frame/main_frame.h"
#include "ui/jobs/job_registry.h"
#include "ui/pane/pane_view.h"
#include "ui/platform/desktop_apps.h"
#include "ui/platform/icon_cache.h"
#include "ui/dialogs/properties_dialog.h"
#include "ui/stats/folder_data_window.h"
#include "ui/platform/qt_keyboard_state.h"
#include "ui/platform/qt_launcher.h"
#include "ui/platform/qt_prompts.h"

#include <QCoreApplication>
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
    reactions.applyFlatToolbars = [this](bool flat) { m_frame->ApplyFlatToolbars(flat); };
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
                // the active pane's state: its folder heads the address bar's list
                if (const PaneView* active = ActivePane(); active && active->Folder()) {
                    const ShellFolder* folder = active->Folder();
                    frame->Address().ShowFolder(folder->IsFileSystem() ? folder->Path() : std::string(),
                                                PaneAddressTarget::AddressTextOf(*active));
                }
            },
            [frame] { return frame->Address().FocusAddress(); },
            {},
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
    m_frame.reset();
    // editor windows left open (a close on a signal) go without questions
    m_editors.reset();
    m_app.SaveAllSettings();
}

} // namespace bivora
