// Batch generation: a shell script made from a template and the selected items.
#include "ui/pane/pane_batch.h"

#include "base/batch_template.h"
#include "base/command_text.h"
#include "base/general_settings.h"
#include "base/history_list.h"
#include "base/registry_keys.h"
#include "base/settings_store.h"
#include "shell/command_start.h"
#include "shell/script_file.h"
#include "shell/shell_folder.h"
#include "shell/shell_item.h"
#include "shell/shell_namespace.h"
#include "ui/commands/byte_text.h"
#include "ui/commands/edit_text.h"
#include "ui/commands/services.h"
#include "ui/commands/status_service.h"
#include "ui/jobs/off_thread_read.h"
#include "ui/pane/pane_view.h"
#include "ui/widgets/history_picker.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace bivora {

namespace reg = registry;

BatchTemplateDlg::BatchTemplateDlg(QWidget* parent, Prompts& prompts, HistoryList& history, int historyLimit)
    : QDialog(parent)
    , m_prompts(prompts)
    , m_history(history)
    , m_historyLimit(historyLimit)
{
    setWindowTitle(QStringLiteral("Batch file creation"));
    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("template"));
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setCompleter(nullptr);
    m_combo->setMinimumContentsLength(60);
    m_combo->lineEdit()->setMaxLength(kMaxLength);
    FillCombo(history, historyLimit, *m_combo);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* create = buttons->addButton(QStringLiteral("Create"), QDialogButtonBox::AcceptRole);
    create->setObjectName(QStringLiteral("create"));
    create->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &BatchTemplateDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    auto* explanation = new QLabel(QStringLiteral("Specify the command template to be applied on each of the "
                                                  "selected items. Multiple lines per item can be generated, "
                                                  "if separated by commas."),
                                   this);
    explanation->setWordWrap(true);
    layout->addWidget(explanation);
    layout->addWidget(m_combo);
    for (const char* text : {"Item names: $N=full, $B=base, $E=extension", "Path names: $L=left pane, $R=right pane",
                             "Use $1 for adding an auto-incremented number, $01 for a leading zero, etc."})
        layout->addWidget(new QLabel(QString::fromLatin1(text), this));
    layout->addWidget(buttons);
    m_combo->setFocus();
}

void BatchTemplateDlg::accept()
{
    // only the end is trimmed: blanks in front may be meant
    std::string text = EditTextToBytes(m_combo->currentText());
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
    if (text.empty()) {
        m_prompts.Message(this, QStringLiteral("Template should not be empty"), Prompts::Icon::Exclamation);
        m_combo->setFocus();
        return;
    }
    m_template = std::move(text);
    m_history.Add(m_historyLimit, m_template);
    QDialog::accept();
}

BatchScriptDlg::BatchScriptDlg(QWidget* parent, BatchScriptServices services, const std::string& templateText,
                               const std::string& script)
    : QDialog(parent)
    , m_services(std::move(services))
{
    m_editor = new QPlainTextEdit(this);
    m_editor->setObjectName(QStringLiteral("script"));
    m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_editor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_editor->setPlainText(BytesToEditText(script));
    m_editor->setMinimumSize(560, 320);

    auto* templateField = new QLineEdit(QStringLiteral("<Template> = ") + BytesToEditText(templateText), this);
    templateField->setObjectName(QStringLiteral("templateText"));
    templateField->setReadOnly(true);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* execute = buttons->addButton(QStringLiteral("&Execute"), QDialogButtonBox::ActionRole);
    execute->setObjectName(QStringLiteral("execute"));
    QPushButton* saveAs = buttons->addButton(QStringLiteral("&Save As..."), QDialogButtonBox::ActionRole);
    saveAs->setObjectName(QStringLiteral("saveAs"));
    QPushButton* cancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(execute, &QPushButton::clicked, this, &BatchScriptDlg::Execute);
    connect(saveAs, &QPushButton::clicked, this, &BatchScriptDlg::SaveAs);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_editor);
    layout->addWidget(templateField);
    layout->addWidget(buttons);
    UpdateTitle();
    m_editor->setFocus();
    m_editor->moveCursor(QTextCursor::Start);
    m_editor->ensureCursorVisible();
}

std::string BatchScriptDlg::Script() const
{
    return EditTextToBytes(m_editor->toPlainText());
}

void BatchScriptDlg::UpdateTitle()
{
    setWindowTitle(FromBytes(m_services.shared.batchFileName) + QStringLiteral(" - Batch script"));
}

bool BatchScriptDlg::Write(const std::string& path, unsigned mode)
{
    struct Work {
        std::string path;
        std::string text;
        unsigned mode = 0;
        bool written = false;
    };
    auto work = std::make_shared<Work>(Work{path, Script(), mode});
    const bool finished = RunOffGuiThread(
        m_services.jobs,
        [work](const std::atomic<bool>&) { work->written = WriteScriptFile(work->path, work->text, work->mode).Ok(); },
        {&m_services.status, QStringLiteral("Writing the batch file"), 300});
    return finished && work->written;
}

void BatchScriptDlg::Execute()
{
    PaneSharedState& shared = m_services.shared;
    if (shared.batchTemporaryPath.empty()) {
        std::string folder = m_services.tmpDir.empty() ? std::string("/tmp") : m_services.tmpDir;
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        shared.batchTemporaryPath = folder + (folder == "/" ? "" : "/") + "BivoraTmpBatch.sh";
    }
    const auto fail = [this](const char* text) {
        m_services.prompts.Message(this, QString::fromLatin1(text), Prompts::Icon::Information);
        m_editor->setFocus();
    };
    // the temporary script is the user's alone: nobody else may read or change it
    if (!Write(shared.batchTemporaryPath, 0700)) {
        fail("Unable to access the TEMP folder");
        return;
    }
    auto arguments = TerminalArguments(m_services.terminalPreamble, ShellQuoted(shared.batchTemporaryPath),
                                       m_services.workingDirectory, CommandEnvironment::FromProcess());
    bool started = false;
    if (arguments) {
        const std::string program = arguments->front();
        arguments->erase(arguments->begin());
        started = m_services.launcher.StartExact(program, *arguments, m_services.workingDirectory).Ok();
    }
    if (!started) {
        fail("The batch file could not be executed");
        return;
    }
    accept();
}

void BatchScriptDlg::SaveAs()
{
    const std::optional<QString> chosen =
        m_services.prompts.SaveFile(this, QStringLiteral("Save As"), QStringLiteral("Shell scripts (*.sh)"),
                                    BytesToEditText(m_services.shared.batchFileName));
    if (chosen) {
        const std::string path = EditTextToBytes(*chosen);
        if (Write(path, 0777)) {
            m_services.shared.batchFileName = path.substr(path.find_last_of('/') + 1);
            UpdateTitle();
        } else {
            m_services.prompts.Message(this, QStringLiteral("That batch file won't be saved"), Prompts::Icon::Critical);
        }
    }
    m_editor->setFocus();
}

void GenerateBatch(PaneView& pane)
{
    const PaneContext& ctx = pane.Context();
    const ShellFolder* folder = pane.Folder();
    std::vector<int> rows = pane.SelectedRows();
    if (!folder || !folder->IsFileSystem() || rows.empty())
        return;
    PaneSharedState& shared = ctx.shared;
    if (!shared.batchTemplateHistoryLoaded) {
        shared.batchTemplateHistory.Load(ctx.general.historyItems, ctx.store, reg::section::kBatchTemplateHistory);
        shared.batchTemplateHistoryLoaded = true;
        if (shared.batchTemplateHistoryLoadedHook)
            shared.batchTemplateHistoryLoadedHook();
    }
    BatchTemplateDlg templateDlg(&pane, ctx.prompts, shared.batchTemplateHistory, ctx.general.historyItems);
    if (ctx.prompts.Exec(templateDlg) != QDialog::Accepted)
        return;
    BatchTemplate batch;
    if (!batch.Parse(templateDlg.Template())) {
        ctx.status.ShowStatusMessage(QStringLiteral("The specified template is invalid"), true);
        return;
    }

    std::string script(kBatchScriptHeader);
    {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const PaneView* other = ctx.pair ? ctx.pair->OtherPane(&pane) : nullptr;
        const auto folderOf = [](const PaneView* view) {
            return view && view->Folder() ? view->Folder()->Path() : std::string();
        };
        const PaneView* leftPane = pane.IsLeft() ? &pane : other;
        const PaneView* rightPane = pane.IsLeft() ? other : &pane;
        batch.SetPaneFolders(folderOf(leftPane), folderOf(rightPane));
        std::sort(rows.begin(), rows.end());
        for (const int row : rows) {
            if (const ShellItem* item = pane.ItemAt(row))
                batch.AppendItem(item->Name(), script);
        }
        QGuiApplication::restoreOverrideCursor();
    }

    BatchScriptServices services{ctx.prompts,
                                 ctx.launcher,
                                 ctx.jobs,
                                 ctx.status,
                                 shared,
                                 ctx.ns.Env().tmpDir,
                                 ctx.store.GetString(reg::section::kMainFrameSettings, reg::value::kDosCmdPreample,
                                                     kDefaultDosCmdPreamble),
                                 folder->Path()};
    BatchScriptDlg scriptDlg(&pane, std::move(services), templateDlg.Template(), script);
    ctx.prompts.Exec(scriptDlg);
}

} // namespace bivora
