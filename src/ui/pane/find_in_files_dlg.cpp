#include "ui/pane/find_in_files_dlg.h"

#include "ui/widgets/dialog_controls.h"

#include "base/grep_settings.h"
#include "ui/commands/edit_text.h"
#include "ui/commands/services.h"
#include "ui/widgets/history_picker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace bivora {

namespace {

QComboBox* MakeCombo(QWidget* parent, const char* name, int maxLength, const HistoryList& history, int limit)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    combo->setMinimumContentsLength(40);
    combo->lineEdit()->setMaxLength(maxLength);
    FillCombo(history, limit, *combo);
    return combo;
}

} // namespace

FindInFilesDlg::FindInFilesDlg(QWidget* parent, Prompts& prompts, GrepSettings& settings, int historyItems,
                               const QString& folderTitle)
    : QDialog(parent), m_prompts(prompts), m_settings(settings), m_historyItems(historyItems)
{
    setWindowTitle(QStringLiteral("Find in files"));
    m_find = MakeCombo(this, "findWhat", kMaxText, settings.findHistory, historyItems);
    m_typesCombo = MakeCombo(this, "fileTypes", kMaxTypes, settings.fileTypesHistory, historyItems);
    m_nonText = MakeCheck(this, QStringLiteral("Search &non-text files"), "searchNonText", settings.searchBinFiles);
    m_matchCase = MakeCheck(this, QStringLiteral("Match &case"), "matchCase", settings.matchCase);
    m_wholeWords = MakeCheck(this, QStringLiteral("&Whole words only"), "wholeWords", settings.wordsOnly);

    auto* folder = new QLabel(folderTitle, this);
    folder->setObjectName(QStringLiteral("folder"));
    auto* hint = new QLabel(QStringLiteral("The search is more efficient when confined in a smaller set of files "
                                           "(e.g. excluding non-text ones). Multiple file types can be specified, "
                                           "if separated by commas."),
                            this);
    hint->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* find = buttons->addButton(QStringLiteral("Find"), QDialogButtonBox::AcceptRole);
    find->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &FindInFilesDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* grid = new QGridLayout;
    auto* findLabel = new QLabel(QStringLiteral("&Find what:"), this);
    findLabel->setBuddy(m_find);
    auto* typesLabel = new QLabel(QStringLiteral("&Search files of type:"), this);
    typesLabel->setBuddy(m_typesCombo);
    grid->addWidget(new QLabel(QStringLiteral("In folder:"), this), 0, 0);
    grid->addWidget(folder, 0, 1);
    grid->addWidget(findLabel, 1, 0);
    grid->addWidget(m_find, 1, 1);
    grid->addWidget(typesLabel, 2, 0);
    grid->addWidget(m_typesCombo, 2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_nonText);
    layout->addWidget(m_matchCase);
    layout->addWidget(m_wholeWords);
    layout->addWidget(hint);
    layout->addWidget(buttons);
    m_find->setFocus();
}

void FindInFilesDlg::accept()
{
    const QString text = m_find->currentText();
    if (text.isEmpty()) {
        m_prompts.Message(this, QStringLiteral("Find text is not specified"), Prompts::Icon::Exclamation);
        m_find->setFocus();
        return;
    }
    QString types = m_typesCombo->currentText();
    while (!types.isEmpty() && types.back().isSpace())
        types.chop(1);
    if (types.isEmpty())
        types = QStringLiteral("*.*");
    m_text = EditTextToBytes(text);
    m_types = EditTextToBytes(types);
    m_settings.findHistory.Add(m_historyItems, m_text);
    m_settings.fileTypesHistory.Add(m_historyItems, m_types);
    m_settings.searchBinFiles = m_nonText->isChecked();
    m_settings.matchCase = m_matchCase->isChecked();
    m_settings.wordsOnly = m_wholeWords->isChecked();
    QDialog::accept();
}

} // namespace bivora
