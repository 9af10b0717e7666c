#include "ui/editor/editor_window.h"

#include "base/editor_settings.h"
#include "base/grep_settings.h"
#include "base/registry_keys.h"
#include "base/settings_store.h"
#include "base/window_rect.h"
#include "ui/commands/byte_text.h"
#include "ui/commands/services.h"
#include "ui/editor/editor_actions.h"
#include "ui/editor/editor_command_ids.h"
#include "ui/editor/editor_context.h"
#include "ui/editor/editor_document.h"
#include "ui/editor/editor_look_commands.h"
#include "ui/editor/editor_text_commands.h"
#include "ui/platform/system_fonts.h"
#include "ui/platform/window_placement.h"
#include "ui/widgets/main_status_bar.h"

#include <QCloseEvent>
#include <QFile>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QToolBar>

namespace bivora {

namespace {

constexpr std::string_view kSection = registry::section::kEditorViewerSettings;
constexpr int kProgressPollMs = 100;

QLabel* MakePane(QWidget* parent, const QString& sizingText, int id)
{
    auto* pane = new QLabel(parent);
    pane->setObjectName(QStringLiteral("Pane%1").arg(id));
    pane->setFrameShape(QFrame::StyledPanel);
    pane->setFrameShadow(QFrame::Sunken);
    pane->setAlignment(Qt::AlignCenter);
    pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(sizingText) + 8);
    return pane;
}

// The settings every editor shares are read with the first window of the run.
void EnsureSettingsLoaded(EditorShared& shared)
{
    if (shared.settings.loaded)
        return;
    LoadEditorSettings(shared.settings, shared.store, SystemFixedFont());
    shared.grep.EnsureLoaded(shared.historyItems(), shared.store);
    if (shared.loadedHook)
        shared.loadedHook();
}

} // namespace

QString EditorWindow::CaptionFor(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return FromBytes(path);
    return FromBytes(std::string_view(path).substr(slash + 1)) + QStringLiteral(" @ ") +
           FromBytes(std::string_view(path).substr(0, slash + 1));
}

EditorWindow::EditorWindow(EditorShared& shared, std::string path, bool readOnly, QWidget* parent)
    : QMainWindow(parent)
    , m_shared(shared)
    , m_text(new QPlainTextEdit(this))
    , m_status(new MainStatusBar(shared.prompts, this))
    , m_router([this] {
        // The text commands and the appearance commands follow the window's own here.
        return std::vector<CommandTarget*>{this, m_textCommands.get(), m_lookCommands.get()};
    })
{
    Q_ASSERT(shared.jobs);
    setObjectName(QStringLiteral("EditorWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    EnsureSettingsLoaded(shared);

    m_text->setObjectName(QStringLiteral("EditorText"));
    // fixed pitch until the editor font is applied: the dump's columns line up
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setReadOnly(readOnly);
    m_text->setLineWrapMode(shared.settings.wordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    m_text->setContextMenuPolicy(Qt::CustomContextMenu);
    m_text->installEventFilter(this);
    setCentralWidget(m_text);

    m_view = std::unique_ptr<EditorViewState>(new EditorViewState{*this, *m_text, *m_status, std::move(path)});
    m_view->readOnly = readOnly;
    m_doc = new EditorDocument(*m_view, *shared.jobs, shared.prompts, this);

    m_textCommands = std::make_unique<EditorTextCommands>(shared, *m_view);
    m_lookCommands = std::make_unique<EditorLookCommands>(shared, *m_view);
    ApplyColors(shared, *m_view);

    m_actions = new EditorActions(*this, m_router);
    m_actions->BuildMenus(*menuBar());
    m_toolBar = new QToolBar(QStringLiteral("Editor toolbar"), this);
    m_toolBar->setObjectName(QStringLiteral("EditorToolBar"));
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setMovable(shared.flatToolbars());
    m_actions->BuildToolBar(*m_toolBar);
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    BuildStatusBar();

    setWindowTitle(CaptionFor(m_view->path));
    const WindowRect rect = ReadWindowRect(shared.store, kSection);
    if (IsDefaultWindowRect(rect))
        resize(800, 600);
    else
        ApplyWindowRect(*this, rect);
    if (const auto state = shared.store.ReadBinary(kSection, registry::value::kBarState))
        restoreState(QByteArray(reinterpret_cast<const char*>(state->data()), static_cast<qsizetype>(state->size())));

    connect(m_text, &QPlainTextEdit::customContextMenuRequested, this, &EditorWindow::ShowContextMenu);
    connect(m_text, &QPlainTextEdit::cursorPositionChanged, this, &EditorWindow::UpdatePanes);
    connect(m_text, &QPlainTextEdit::modificationChanged, this, &EditorWindow::UpdatePanes);
    connect(m_actions, &EditorActions::refreshed, this, &EditorWindow::UpdatePanes);
    connect(m_doc, &EditorDocument::workChanged, this, &EditorWindow::OnWorkChanged);
    connect(m_doc, &EditorDocument::loadFinished, this, &EditorWindow::OnLoadFinished);
    connect(m_doc, &EditorDocument::textReplaced, this, &EditorWindow::OnTextReplaced);
    connect(m_doc, &EditorDocument::notice, m_status,
            [this](const QString& text, bool alert) { m_status->ShowStatusMessage(text, alert); });
    connect(m_doc, &EditorDocument::nonTextFound, this,
            [this] { QTimer::singleShot(0, this, [this] { ExecuteCommand(edcmd::kNonTextNotice); }); });
    m_progressTimer.setInterval(kProgressPollMs);
    connect(&m_progressTimer, &QTimer::timeout, this, &EditorWindow::StepProgress);
    UpdatePanes();
}

EditorWindow::~EditorWindow()
{
    // the handlers go before the view they work on
    m_textCommands.reset();
    m_lookCommands.reset();
}

void EditorWindow::BuildStatusBar()
{
    setStatusBar(m_status);
    // The status bar's own pane shows the caret's position here.
    m_positionPane = m_status->PaneStatusLabel();
    m_positionPane->setObjectName(QStringLiteral("Pane%1").arg(edcmd::kPanePosition));
    m_positionPane->setAlignment(Qt::AlignCenter);
    m_positionPane->setMinimumWidth(m_positionPane->fontMetrics().horizontalAdvance(QStringLiteral("Ln 99999, Col 9999")) +
                                    8);
    m_overwritePane = MakePane(m_status, QStringLiteral("OVR"), edcmd::kPaneOverwrite);
    m_modifiedPane = MakePane(m_status, QStringLiteral("*"), edcmd::kPaneModified);
    m_status->addPermanentWidget(m_overwritePane);
    m_status->addPermanentWidget(m_modifiedPane);
}

void EditorWindow::Load()
{
    m_doc->Load();
}

bool EditorWindow::ExecuteCommand(int id)
{
    const bool done = m_router.Execute(id);
    m_actions->RefreshAll();
    return done;
}

QString EditorWindow::PositionText() const
{
    const QTextCursor cursor = m_text->textCursor();
    const QTextBlock block = m_text->document()->findBlock(cursor.selectionStart());
    if (m_view->hex)
        return QString::asprintf("Off=0x%06llX", static_cast<unsigned long long>(block.blockNumber()) * 16);
    return QStringLiteral("Ln %1, Col %2").arg(block.blockNumber() + 1).arg(cursor.selectionStart() - block.position() + 1);
}

QString EditorWindow::OverwriteText() const
{
    return m_view->overwrite ? QStringLiteral("OVR") : QString();
}

QString EditorWindow::ModifiedText() const
{
    // a text still coming in from the file counts as unchanged
    const bool filling = m_doc->CurrentWork() == EditorDocument::Work::Filling;
    return !filling && m_text->document()->isModified() ? QStringLiteral("*") : QString();
}

void EditorWindow::UpdatePanes()
{
    m_positionPane->setText(PositionText());
    m_overwritePane->setText(OverwriteText());
    m_modifiedPane->setText(ModifiedText());
}

void EditorWindow::OnWorkChanged()
{
    using Work = EditorDocument::Work;
    const Work work = m_doc->CurrentWork();
    if (work == Work::None) {
        m_progressTimer.stop();
        if (m_progressShown)
            m_status->HideProgress();
        m_progressShown = false;
    } else if (!m_progressShown) {
        m_status->ShowProgress(work == Work::Converting ? QStringLiteral("Converting... (ESC to abort)")
                                                        : QStringLiteral("Loading... (ESC to abort)"));
        m_progressShown = true;
        m_progressSteps = 0;
        m_progressTimer.start();
    }
    m_actions->RefreshAll();
}

void EditorWindow::StepProgress()
{
    // one step of the bar for each full tenth
    const int steps = m_doc->Percent() / 10;
    for (; m_progressSteps < steps; ++m_progressSteps)
        m_status->StepProgress();
}

void EditorWindow::OnLoadFinished(bool ok, const QString& failure)
{
    m_loaded = ok;
    if (!ok) {
        if (!failure.isEmpty())
            m_shared.prompts.Message(this, failure, Prompts::Icon::Exclamation);
        // nothing is shown: the window goes without asking
        m_text->document()->setModified(false);
        QTimer::singleShot(0, this, &QWidget::close);
    } else if (m_doc->Form().latin1) {
        m_status->ShowStatusMessage(
            QStringLiteral("The file is not valid UTF-8: each byte shows as one ISO 8859-1 character."), false);
    }
    Q_EMIT loadFinished(ok);
}

void EditorWindow::OnTextReplaced()
{
    // The appearance (colours, font, tab stops) is applied to every new text here; a
    // rich text keeps its own fonts.
    if (!m_view->rich)
        ApplyFont(m_shared, *m_view);
    ApplyColors(m_shared, *m_view);
    m_text->moveCursor(QTextCursor::Start);
    UpdatePanes();
    m_actions->RefreshAll();
}

void EditorWindow::ShowContextMenu(const QPoint& at)
{
    QMenu* menu = m_actions->MakeContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(m_text->viewport()->mapToGlobal(at));
}

bool EditorWindow::OnCommand(int id)
{
    switch (id) {
    case edcmd::kInsertFile: {
        const std::optional<QString> chosen =
            m_shared.prompts.OpenFile(this, QStringLiteral("Insert"), QStringLiteral("All files (*)"), QString());
        if (chosen && !chosen->isEmpty())
            m_doc->InsertFile(QFile::encodeName(*chosen).toStdString());
        return true;
    }
    case edcmd::kSave:
        m_doc->Save();
        return true;
    case edcmd::kSaveAs: {
        const std::optional<QString> chosen = m_shared.prompts.SaveFile(
            this, QStringLiteral("Save As"), QStringLiteral("All files (*)"), FromBytes(m_view->path));
        if (chosen && !chosen->isEmpty() && m_doc->SaveAs(QFile::encodeName(*chosen).toStdString()))
            setWindowTitle(CaptionFor(m_view->path));
        return true;
    }
    case edcmd::kExit:
        // Escape stops the work under way; with nothing under way it closes the window.
        if (m_doc->Busy() && m_loaded)
            m_doc->Cancel();
        else
            close();
        return true;
    case edcmd::kToolbar:
        m_toolBar->setVisible(m_toolBar->isHidden());
        return true;
    case edcmd::kStatusBar:
        m_status->setVisible(m_status->isHidden());
        return true;
    case edcmd::kHexadecimal:
        m_doc->ToggleHex();
        return true;
    case edcmd::kNonTextNotice:
        m_status->ShowStatusMessage(m_view->readOnly
                                        ? QStringLiteral("The file is probably non-text; a switch to hex-view is suggested.")
                                        : QStringLiteral("The file is probably non-text; editing it may render it unusable."),
                                    true);
        return true;
    case edcmd::kAbout:
        if (m_shared.showAbout)
            m_shared.showAbout(this);
        return true;
    default:
        return false;
    }
}

bool EditorWindow::OnUpdateCommand(int id, CommandState& state)
{
    const bool idle = !m_doc->Busy();
    switch (id) {
    case edcmd::kInsertFile:
    case edcmd::kSaveAs:
        state.enabled = !m_view->readOnly && idle;
        return true;
    case edcmd::kSave:
        state.enabled = m_text->document()->isModified() && idle;
        return true;
    case edcmd::kExit:
    case edcmd::kNonTextNotice:
        return true;
    case edcmd::kToolbar:
        state.checked = !m_toolBar->isHidden();
        return true;
    case edcmd::kStatusBar:
        state.checked = !m_status->isHidden();
        return true;
    case edcmd::kHexadecimal:
        state.enabled = m_view->readOnly && !m_view->rich && idle;
        state.checked = m_view->hex;
        return true;
    case edcmd::kAbout:
        state.enabled = static_cast<bool>(m_shared.showAbout);
        return true;
    case edcmd::kNop:
        state.enabled = false;
        return true;
    default:
        return false;
    }
}

bool EditorWindow::eventFilter(QObject* watched, QEvent* event)
{
    // A key of an enabled editor command goes to the command, not to the control.
    if (watched == m_text && event->type() == QEvent::ShortcutOverride &&
        m_actions->TakesKey(*static_cast<QKeyEvent*>(event)))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

void EditorWindow::closeEvent(QCloseEvent* event)
{
    if (m_doc->Busy() && !m_loaded)
        m_doc->Cancel(); // a load stopped shows nothing that could be lost
    if (m_loaded && m_text->document()->isModified()) {
        const int answer = m_shared.prompts.AskChoice(
            this, QStringLiteral("Save changes to %1?").arg(FromBytes(m_view->path)),
            {QStringLiteral("Yes"), QStringLiteral("No"), QStringLiteral("Cancel")}, Prompts::Icon::Exclamation);
        if (answer == 0 && !m_doc->Save()) {
            event->ignore();
            return;
        }
        if (answer != 0 && answer != 1) {
            event->ignore();
            return;
        }
    }
    if (m_doc->Busy())
        m_doc->Cancel();
    if (m_shared.saveSettings && m_shared.saveSettings())
        SaveWindowSettings();
    event->accept();
}

void EditorWindow::SaveWindowSettings()
{
    WriteWindowRect(m_shared.store, kSection, NormalWindowRect(*this));
    const QByteArray state = saveState();
    m_shared.store.WriteBinary(kSection, registry::value::kBarState, ByteBlock(state.begin(), state.end()));
}

} // namespace bivora
