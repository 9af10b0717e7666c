#include "ui/pane/target_folder_dlg.h"

#include "base/general_settings.h"
#include "base/history_list.h"
#include "shell/shell_namespace.h"
#include "shell/working_directory.h"
#include "ui/commands/edit_text.h"
#include "ui/commands/services.h"
#include "ui/jobs/off_thread_read.h"
#include "ui/widgets/history_picker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace bivora {

TargetFolderDlg::TargetFolderDlg(QWidget* parent, Prompts& prompts, JobRegistry& jobs, const ShellNamespace& ns,
                                 GeneralSettings& general, HistoryList& history, const DriveFolders& driveFolders,
                                 const std::string& source, const std::string& proposedTarget, bool copy)
    : QDialog(parent)
    , m_prompts(prompts)
    , m_jobs(jobs)
    , m_ns(ns)
    , m_general(general)
    , m_history(history)
    , m_driveFolders(driveFolders)
    , m_source(source)
    , m_copy(copy)
{
    setWindowTitle(QStringLiteral("Select destination folder"));

    auto* sourceField = new QLineEdit(BytesToEditText(source), this);
    sourceField->setObjectName(QStringLiteral("source"));
    sourceField->setReadOnly(true);

    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("target"));
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setCompleter(nullptr);
    m_combo->setMinimumContentsLength(48);
    FillCombo(history, general.historyItems, *m_combo, proposedTarget);

    auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
    browse->setObjectName(QStringLiteral("browse"));
    connect(browse, &QPushButton::clicked, this, &TargetFolderDlg::Browse);

    auto* ask = new QCheckBox(QStringLiteral("&Ask for confirmation before overwriting files"), this);
    ask->setObjectName(QStringLiteral("askConfirmation"));
    ask->setChecked(general.askConfirmation);
    connect(ask, &QCheckBox::toggled, this, [this](bool on) { m_general.askConfirmation = on; });

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(copy ? QStringLiteral("&Copy") : QStringLiteral("&Move"),
                                         QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &TargetFolderDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Source:"), this), 0, 0);
    grid->addWidget(sourceField, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("&Target:"), this), 1, 0);
    grid->addWidget(m_combo, 1, 1);
    grid->addWidget(browse, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(ask);
    layout->addWidget(buttons);
    m_combo->setFocus();
}

void TargetFolderDlg::Browse()
{
    const std::optional<QString> chosen =
        m_prompts.BrowseFolder(this, QStringLiteral("Select the target folder"), BytesToEditText(m_source));
    if (chosen)
        m_combo->setEditText(*chosen);
}

void TargetFolderDlg::Refuse(const QString& text)
{
    m_prompts.Message(this, text, Prompts::Icon::Exclamation);
    m_combo->setFocus();
}

void TargetFolderDlg::accept()
{
    const std::string text = EditTextToBytes(m_combo->currentText().trimmed());
    if (text.empty()) {
        Refuse(QStringLiteral("The target folder field should not be empty."));
        return;
    }
    // The worker owns what it reads, so that one left behind on a dead mount after
    // Escape touches nothing of the dialog's.
    struct Job {
        std::string text;
        std::string base;
        DriveFolders drives;
        std::string target;
    };
    auto job = std::make_shared<Job>(Job{text, CurrentDirectory().ValueOr(std::string()), m_driveFolders, {}});
    const ShellNamespace* ns = &m_ns;
    std::shared_ptr<const ShellNamespace> keep = ns->weak_from_this().lock();
    if (!RunOffGuiThread(
            m_jobs, [job, ns, keep](const std::atomic<bool>&) {
                job->target = FolderPathOf(*ns, job->text, job->base, job->drives);
            },
            {}))
        return; // given up: the dialog stays as it was
    const std::string target = job->target;
    if (target.empty()) {
        Refuse(QStringLiteral("The specified target folder is invalid."));
        return;
    }
    m_combo->setEditText(BytesToEditText(target));
    if (!m_copy && target == m_source) {
        Refuse(QStringLiteral("Target folder must be different from Source in Move command"));
        return;
    }
    m_target = target;
    m_history.Add(m_general.historyItems, target);
    QDialog::accept();
}

} // namespace bivora
