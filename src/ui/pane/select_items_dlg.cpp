#include "ui/pane/select_items_dlg.h"

#include "base/history_list.h"
#include "base/text_forms.h"
#include "ui/commands/edit_text.h"
#include "ui/commands/services.h"
#include "ui/widgets/history_picker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace bivora {

SelectItemsDlg::SelectItemsDlg(QWidget* parent, Prompts& prompts, HistoryList& history, int historyLimit,
                               bool unselect, bool hasSelection, const Options& options)
    : QDialog(parent)
    , m_prompts(prompts)
    , m_history(history)
    , m_historyLimit(historyLimit)
{
    setWindowTitle(unselect ? QStringLiteral("Unselect items") : QStringLiteral("Select Items"));
    setWindowIcon(QIcon::fromTheme(unselect ? QStringLiteral("list-remove") : QStringLiteral("list-add")));

    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("pattern"));
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setCompleter(nullptr);
    m_combo->lineEdit()->setMaxLength(kMaxLength);
    m_combo->setMinimumContentsLength(32);
    FillCombo(history, historyLimit, *m_combo);

    m_folders = new QCheckBox(QStringLiteral("Apply to &folder objects, too"), this);
    m_folders->setObjectName(QStringLiteral("includeFolders"));
    m_folders->setChecked(options.includeFolders);
    m_addOnTop = new QCheckBox(QStringLiteral("&Add items to current selection"), this);
    m_addOnTop->setObjectName(QStringLiteral("addOnTop"));
    m_within = new QCheckBox(QStringLiteral("&Within current selection only"), this);
    m_within->setObjectName(QStringLiteral("within"));
    // never both on from here: checking one clears the other
    m_addOnTop->setChecked(options.addOnTop);
    m_within->setChecked(options.withinSelection && !options.addOnTop);
    connect(m_addOnTop, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            m_within->setChecked(false);
    });
    connect(m_within, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            m_addOnTop->setChecked(false);
    });
    const bool narrowable = !unselect && hasSelection;
    m_addOnTop->setEnabled(narrowable);
    m_within->setEnabled(narrowable);

    auto* help = new QLabel(QStringLiteral("Specify selection criteria using the wildcard characters * and ?. "
                                           "Multiple selection patterns can be specified, if separated by commas. "
                                           "Exclude files using e.g. \"-*.c\" (leading minus)."),
                            this);
    help->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(unselect ? QStringLiteral("Unselect") : QStringLiteral("Select"),
                                         QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_combo);
    layout->addWidget(m_folders);
    layout->addWidget(m_addOnTop);
    layout->addWidget(m_within);
    layout->addWidget(help);
    layout->addWidget(buttons);
    m_combo->lineEdit()->selectAll();
    m_combo->setFocus();
}

SelectItemsDlg::Options SelectItemsDlg::Chosen() const
{
    return {m_folders->isChecked(), m_addOnTop->isChecked(), m_within->isChecked()};
}

void SelectItemsDlg::accept()
{
    const std::string pattern = TrimmedBlanks(EditTextToBytes(m_combo->currentText()));
    if (pattern.empty()) {
        m_prompts.Message(this, QStringLiteral("Pattern should not be empty"), Prompts::Icon::Exclamation);
        m_combo->setFocus();
        return;
    }
    m_history.Add(m_historyLimit, pattern);
    QDialog::accept();
}

} // namespace bivora
