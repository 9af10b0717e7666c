#include "ui/frame/main_frame.h"

#include "base/window_rect.h"
#include "ui/platform/window_placement.h"

#include "base/settings_store.h"
#include "ui/commands/command_actions.h"
#include "ui/commands/command_ids.h"
#include "ui/widgets/input_dlg.h"
#include "ui/frame/address_bar.h"
#include "ui/frame/docking_bar.h"
#include "ui/widgets/main_status_bar.h"
#include "ui/frame/main_tool_bar.h"
#include "ui/frame/pane_splitter.h"
#include "ui/commands/services.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QMenuBar>
#include <QScreen>
#include <QStatusTipEvent>

#include <optional>
#include <string_view>

namespace bivora {

namespace {

bool IsViewStyle(int id)
{
    return id >= cmd::kSmallIcons && id <= cmd::kDetails;
}

// The window's dock state leaves the status bar out, so a bar state is the dock
// state followed by this mark and one byte: 1 when the status bar is shown, 0 when
// hidden. A state stored without the mark leaves the status bar as it is.
constexpr char kStatusBarMark[] = {'\x7f', 'S', 'B', ':'};
constexpr qsizetype kStatusBarMarkSize = qsizetype(sizeof kStatusBarMark);

QByteArray ToQByteArray(const ByteBlock& block)
{
    return QByteArray(reinterpret_cast<const char*>(block.data()), qsizetype(block.size()));
}

} // namespace

MainFrame::MainFrame(FrameServices services, FrameOptions options, const FramePaneFactory& makePane,
                     QWidget* parent)
    : QMainWindow(parent)
    , m_store(services.store)
    , m_prompts(services.prompts)
    , m_keyboard(services.keyboard)
    , m_options(std::move(options))
    , m_router([this] {
        // the bars come first: each claims only what is its own (the tree while it has the focus)
        std::vector<CommandTarget*> chain(m_barTargets.begin(), m_barTargets.end());
        if (FramePane* pane = ActivePane()) {
            chain.push_back(pane->ListTarget());
            chain.push_back(pane->PaneTarget());
        }
        chain.push_back(this);
        chain.push_back(m_appTarget);
        return chain;
    })
{
    setObjectName(QStringLiteral("MainFrame"));

    // The window's rectangle; without a stored one the window system places it.
    if (const WindowRect rect = ReadWindowRect(m_store, kSection); !IsDefaultWindowRect(rect)) {
        ApplyWindowRect(*this, rect);
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // Nothing stored: the window system places it, two thirds of the screen large.
        resize(screen->availableSize() * 2 / 3);
    }

    m_actions = new CommandActions(*this, m_router);
    m_actions->BuildMenus(*menuBar());
    connect(m_actions, &CommandActions::MenuBrowsing, this, [this](bool open) {
        m_openMenus = std::max(0, m_openMenus + (open ? 1 : -1));
        if (m_openMenus == 0)
            m_statusBar->EndMenuPrompt();
    });

    m_toolBar = new MainToolBar(*m_actions, this);
    m_toolBar->setWindowTitle(QStringLiteral("ToolBar"));
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    if (!m_options.driveBar2Root)
        m_options.driveBar2Root = &m_driveBarToRoot;

    m_statusBar = new MainStatusBar(m_prompts, this);
    setStatusBar(m_statusBar);

    m_addressBar = new AddressBar(AddressBarServices{m_store, *m_statusBar, m_prompts, m_keyboard,
                                                     m_options.historyItems},
                                  *m_actions, this);
    // posted by the field, so the edit text is up to date when the command runs
    connect(m_addressBar, &AddressBar::ExecuteRequested, this, [this] { ExecuteCommand(cmd::kExecuteAddress); });
    m_addressBar->LoadFolderHistory();
    if (!m_options.filterHistory)
        m_options.filterHistory = &m_ownFilterHistory;

    setDockOptions(dockOptions() | QMainWindow::AllowNestedDocks);
    addToolBar(Qt::TopToolBarArea, m_addressBar);
    m_bars[bar::kAddressBar] = m_addressBar;
    addToolBar(Qt::BottomToolBarArea, m_toolBar);
    m_bars[bar::kToolBar] = m_toolBar;

    RestoreStoredBarState();

    m_layouts.Load(m_store);
    if (m_options.flatToolbars)
        ApplyFlatToolbars(true);

    // The client area: the two panes side by side, the left one active.
    m_splitter = new PaneSplitter(this);
    for (int column = 0; column < 2; ++column) {
        m_panes[column] = makePane(column, m_splitter);
        Q_ASSERT(m_panes[column] && m_panes[column]->Widget());
    }
    m_splitter->SetPanes(m_panes[0]->Widget(), m_panes[1]->Widget(),
                         m_store.GetInt(kSection, registry::value::kLeftPaneWidth, PaneSplitter::kDefaultLeftWidth));
    setCentralWidget(m_splitter);
    m_panes[0]->SetActive(true);
    m_panes[1]->SetActive(false);
    m_splitter->SetActiveColumn(0);

    m_focusConnection = connect(qApp, &QApplication::focusChanged, this,
                                [this](QWidget*, QWidget* now) { OnFocusChanged(now); });
    // the address text follows the active pane
    connect(this, &MainFrame::ActivePaneChanged, this, [this] {
        if (m_addressTarget)
            m_addressBar->ShowText(m_addressTarget->ActiveAddressText());
    });
    m_actions->RefreshAll();
}

MainFrame::~MainFrame()
{
    disconnect(m_focusConnection);
}

StatusService& MainFrame::Status()
{
    return *m_statusBar;
}

bool MainFrame::ExecuteCommand(int id)
{
    const bool done = m_router.Execute(id);
    m_actions->RefreshAll();
    return done;
}

CommandState MainFrame::UpdateCommand(int id) const
{
    return m_router.Update(id);
}

void MainFrame::ActivatePane(FramePane* pane)
{
    const int column = pane == m_panes[1] ? 1 : 0;
    if (pane != m_panes[column] || column == m_activeColumn)
        return;
    m_activeColumn = column;
    m_splitter->SetActiveColumn(column);
    m_panes[1 - column]->SetActive(false);
    m_panes[column]->SetActive(true);
    Q_EMIT ActivePaneChanged(pane);
}

void MainFrame::OnFocusChanged(QWidget* now)
{
    if (!now || m_closed)
        return;
    for (FramePane* pane : m_panes) {
        QWidget* widget = pane->Widget();
        if (widget == now || widget->isAncestorOf(now)) {
            ActivatePane(pane);
            return;
        }
    }
}

void MainFrame::SetAddressTarget(AddressTarget* target)
{
    m_addressTarget = target;
    m_addressBar->SetTarget(target);
}

void MainFrame::RegisterBar(int barId, QWidget* bar)
{
    m_bars[barId] = bar;
}

void MainFrame::AddBarTarget(CommandTarget* target)
{
    m_barTargets.push_back(target);
}

DockingBar* MainFrame::AddDockingBar(int barId, const QString& title, QWidget* content)
{
    auto* dock = new DockingBar(barId, title, this);
    dock->setWidget(content);
    // The sizes count from the same stores as the saved arrangement.
    if (m_store.GetInt(kSection, registry::value::kToolbarsVersion, 0) == 1)
        dock->LoadSizes(m_store, kSection);
    // A bar made after the arrangement was restored takes its saved place from it.
    if (!m_barStateRestored || !restoreDockWidget(dock)) {
        addDockWidget(Qt::LeftDockWidgetArea, dock);
        dock->hide();
    }
    RegisterBar(barId, dock);
    m_dockingBars[barId] = dock;
    return dock;
}

DockingBar* MainFrame::DockingBarOf(int barId) const
{
    const auto it = m_dockingBars.find(barId);
    return it == m_dockingBars.end() ? nullptr : it->second;
}

QWidget* MainFrame::Bar(int barId) const
{
    if (barId == bar::kStatusBar)
        return m_statusBar;
    const auto it = m_bars.find(barId);
    return it == m_bars.end() ? nullptr : it->second;
}

void MainFrame::ToggleBar(int barId)
{
    if (QWidget* widget = Bar(barId))
        widget->setVisible(widget->isHidden());
}

void MainFrame::ShowBarIfHidden(int barId)
{
    if (QWidget* widget = Bar(barId); widget && widget->isHidden())
        widget->show();
}

void MainFrame::ApplyFlatToolbars(bool flat)
{
    m_toolBar->ApplyFlat(flat);
    m_addressBar->ApplyFlat(flat);
}

void MainFrame::SuspendAccelerators(bool suspend)
{
    m_actions->SuspendAccelerators(suspend);
}

namespace {
// The bar that a bar-toggle command shows or hides.
int BarOfToggle(int id)
{
    switch (id) {
    case cmd::kToolbar:
        return bar::kToolBar;
    case cmd::kDriveBar:
        return bar::kDriveBar;
    case cmd::kTree:
        return bar::kTreeBar;
    case cmd::kThumbBar:
        return bar::kThumbBar;
    case cmd::kAddressBar:
        return bar::kAddressBar;
    case cmd::kStatusBar:
        return bar::kStatusBar;
    default:
        return 0;
    }
}
} // namespace

bool MainFrame::OnCommand(int id)
{
    if (const int barId = BarOfToggle(id)) {
        if (id == cmd::kThumbBar && !m_thumbnailsAvailable)
            return true;
        ToggleBar(barId);
        return true;
    }
    switch (id) {
    case cmd::kEqualPanes:
        m_splitter->EqualPanes();
        return true;
    case cmd::kOnePane:
        m_splitter->OnePane();
        return true;
    case cmd::kLayout1:
    case cmd::kLayout2:
    case cmd::kLayout3:
        OnLayoutCommand(id - cmd::kLayout1 + 1);
        return true;
    case cmd::kStartupSuggestion:
        Status().ShowStatusMessage(QStringLiteral("Suggestion: Enable the DOS file extensions from Explorer"));
        return true;
    case cmd::kExecuteAddress:
        m_addressBar->Execute();
        return true;
    case cmd::kRunCommand:
    case cmd::kDosCommand:
        ShowBarIfHidden(bar::kAddressBar);
        m_addressBar->StartCommand(id == cmd::kRunCommand ? '>' : '$');
        return true;
    case cmd::kRunHistory:
        ShowBarIfHidden(bar::kAddressBar);
        m_addressBar->PickFrom(m_addressBar->CommandHistory(), QStringLiteral("Shell/DOS command history"));
        return true;
    case cmd::kFilters:
        // a filter is typed as a pattern into the address bar
        ShowBarIfHidden(bar::kAddressBar);
        Status().ShowStatusMessage(QStringLiteral("Specify the filter (e.g. '*.cpp') and press <Return>"));
        m_addressBar->FocusAddress();
        return true;
    case cmd::kFilterHistory:
        ShowBarIfHidden(bar::kAddressBar);
        m_addressBar->PickFrom(*m_options.filterHistory, QStringLiteral("Visual filter history"));
        return true;
    case cmd::kExit:
        close();
        return true;
    default:
        return false;
    }
}

bool MainFrame::OnUpdateCommand(int id, CommandState& state)
{
    if (const int barId = BarOfToggle(id)) {
        QWidget* widget = Bar(barId);
        state.enabled = widget && (id != cmd::kThumbBar || m_thumbnailsAvailable);
        state.checked = widget && !widget->isHidden();
        return true;
    }
    switch (id) {
    case cmd::kEqualPanes:
    case cmd::kOnePane:
    case cmd::kStartupSuggestion:
    case cmd::kExit:
    case cmd::kExecuteAddress:
    case cmd::kRunCommand:
    case cmd::kDosCommand:
    case cmd::kRunHistory:
    case cmd::kFilterHistory:
    case cmd::kFilters:
        return true;
    case cmd::kLayout1:
    case cmd::kLayout2:
    case cmd::kLayout3: {
        const int n = id - cmd::kLayout1 + 1;
        // The item is greyed while undefined; Ctrl+Shift+7..9 still reaches the
        // command to define it, since the keys look at Shift before the state.
        state.enabled = m_layouts.IsDefined(n) || m_keyboard.Shift();
        state.text = QString::fromStdString(m_layouts.MenuText(n));
        return true;
    }
    default:
        return false;
    }
}

void MainFrame::OnLayoutCommand(int n)
{
    if (m_keyboard.Shift())
        DefineLayout(n);
    else
        ApplyLayout(n);
}

QSize MainFrame::ScreenSize() const
{
    const QScreen* current = screen() ? screen() : QGuiApplication::primaryScreen();
    return current ? current->geometry().size() : QSize();
}

WindowPlacement MainFrame::CurrentPlacement() const
{
    WindowPlacement placement;
    placement.showCommand = isMinimized()   ? WindowPlacement::kShowMinimized
                            : isMaximized() ? WindowPlacement::kShowMaximized
                                            : WindowPlacement::kShowNormal;
    placement.minX = placement.minY = placement.maxX = placement.maxY = -1;
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    placement.left = normal.left();
    placement.top = normal.top();
    placement.right = normal.left() + normal.width();
    placement.bottom = normal.top() + normal.height();
    return placement;
}

void MainFrame::ApplyPlacement(const WindowPlacement& placement)
{
    const QRect normal(placement.left, placement.top, placement.right - placement.left,
                       placement.bottom - placement.top);
    if (normal.width() > 0 && normal.height() > 0) {
        if (isMaximized() || isMinimized())
            setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
        setGeometry(normal);
    }
    if (placement.showCommand == WindowPlacement::kShowMaximized)
        setWindowState(windowState() | Qt::WindowMaximized);
    else if (placement.showCommand == WindowPlacement::kShowMinimized)
        setWindowState(windowState() | Qt::WindowMinimized);
}

void MainFrame::DefineLayout(int n)
{
    InputDlg dialog(m_prompts, this, QStringLiteral("Layout name ?"),
                    QString::fromStdString(m_layouts.ProposedName(n)),
                    static_cast<int>(LayoutRecord::kMaxNameLength));
    if (m_prompts.Exec(dialog) != QDialog::Accepted)
        return;
    LayoutRecord record;
    record.name = LayoutNameFromText(dialog.Text().toStdString());
    const QSize screenSize = ScreenSize();
    record.screenWidth = screenSize.width();
    record.screenHeight = screenSize.height();
    record.leftPaneWidth = m_splitter->ColumnWidth(0);
    record.leftViewStyle = m_panes[0]->ViewStyle();
    record.rightViewStyle = m_panes[1]->ViewStyle();
    record.placement = CurrentPlacement();
    if (const DockingBar* tree = DockingBarOf(bar::kTreeBar))
        record.treeBarSizes = LayoutOrder(tree->Sizes());
    if (const DockingBar* thumbs = DockingBarOf(bar::kThumbBar))
        record.thumbBarSizes = LayoutOrder(thumbs->Sizes());
    const QByteArray state = BarState();
    if (!m_layouts.Define(n, record, ByteBlock(state.begin(), state.end()))) {
        // A dock state this large would be refused when the layouts are read back.
        Status().ShowStatusMessage(QStringLiteral("Layout not stored: the bar arrangement is too large."), true);
        return;
    }
    Status().ShowStatusMessage(QStringLiteral("Layout stored ok."));
}

void MainFrame::ApplyLayout(int n)
{
    const StoredLayout* layout = m_layouts.Get(n);
    if (!layout)
        return;
    const LayoutRecord& record = layout->record;
    if (ScreenSize() != QSize(record.screenWidth, record.screenHeight)) {
        const bool yes = m_prompts.AskYesNo(this,
                                            QStringLiteral("This layout was not defined at current screen resolution.\n"
                                                           "Applying it may have suboptimal results; Continue anyway?"),
                                            Prompts::Icon::Exclamation);
        if (!yes)
            return;
    }
    ApplyPlacement(record.placement);
    // The new window size reaches the splitter before its column is set.
    QCoreApplication::sendPostedEvents(this, QEvent::LayoutRequest);
    m_splitter->SetLeftWidth(record.leftPaneWidth);
    RestoreBarState(ToQByteArray(layout->dockState));
    if (DockingBar* tree = DockingBarOf(bar::kTreeBar))
        tree->SetSizes(SizesFromLayout(tree->Sizes(), record.treeBarSizes));
    if (DockingBar* thumbs = DockingBarOf(bar::kThumbBar))
        thumbs->SetSizes(SizesFromLayout(thumbs->Sizes(), record.thumbBarSizes));
    const int styles[2] = {record.leftViewStyle, record.rightViewStyle};
    for (int column = 0; column < 2; ++column) {
        if (IsViewStyle(styles[column]))
            m_panes[column]->SetViewStyle(styles[column]);
    }
}

void MainFrame::RestoreStoredBarState()
{
    // The saved arrangement of the bars counts only from a store that has recorded
    // its version; an older one starts with the default arrangement.
    if (m_store.GetInt(kSection, registry::value::kToolbarsVersion, 0) == 1) {
        if (const auto state = m_store.ReadBinary(kSection, registry::value::kBarState)) {
            RestoreBarState(ToQByteArray(*state));
            m_barStateRestored = true;
        }
    }
}

QByteArray MainFrame::BarState() const
{
    QByteArray state = saveState();
    state.append(kStatusBarMark, kStatusBarMarkSize);
    state.append(m_statusBar->isHidden() ? '\0' : '\1');
    return state;
}

void MainFrame::RestoreBarState(QByteArray state)
{
    const qsizetype trailer = kStatusBarMarkSize + 1;
    if (state.size() > trailer && state.sliced(state.size() - trailer, kStatusBarMarkSize)
                                          == QByteArrayView(kStatusBarMark, kStatusBarMarkSize)) {
        const char shown = state.back();
        state.chop(trailer);
        if (shown == 0 || shown == 1)
            m_statusBar->setVisible(shown == 1);
    }
    restoreState(state);
}

bool MainFrame::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        if (!tip.isEmpty() || m_openMenus > 0)
            m_statusBar->ShowMenuPrompt(tip);
        else
            m_statusBar->EndMenuPrompt();
        return true;
    }
    return QMainWindow::event(event);
}

void MainFrame::closeEvent(QCloseEvent* event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    if (m_options.beforeClose && !m_options.beforeClose()) {
        event->ignore();
        return;
    }
    if (m_options.saveSettings && m_options.saveSettings())
        SaveSettings();
    m_layouts.Clear();
    m_closed = true;
    event->accept();
}

void MainFrame::SaveSettings()
{
    WriteWindowRect(m_store, kSection, NormalWindowRect(*this));
    m_store.WriteInt(kSection, registry::value::kToolbarsVersion, 1);
    const QByteArray state = BarState();
    m_store.WriteBinary(kSection, registry::value::kBarState, ByteBlock(state.begin(), state.end()));
    for (const auto& [id, dock] : m_dockingBars)
        dock->SaveSizes(m_store, kSection);
    m_store.WriteInt(kSection, registry::value::kDriveBar2Root, *m_options.driveBar2Root ? 1 : 0);
    m_layouts.Save(m_store);
    m_store.WriteInt(kSection, registry::value::kLeftPaneWidth, m_splitter->ColumnWidth(0));
    m_store.WriteInt(kSection, registry::value::kLeftPaneActive, m_activeColumn == 0 ? 1 : 0);
    m_addressBar->SaveHistories();
}

} // namespace bivora
