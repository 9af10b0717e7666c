#include "ui/editor/find_text_dlg.h"

#include "ui/widgets/dialog_controls.h"

#include "base/grep_settings.h"
#include "ui/commands/edit_text.h"
#include "ui/commands/services.h"
#include "ui/editor/editor_context.h"
#include "ui/widgets/history_picker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace bivora {

namespace search_dlg {

QComboBox* MakeCombo(QWidget* parent, const char* name, int maxLength)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    combo->setMinimumContentsLength(40);
    combo->lineEdit()->setMaxLength(maxLength);
    return combo;
}

} // namespace search_dlg

FindTextDlg::FindTextDlg(QWidget* parent, Prompts& prompts, EditorShared& shared, const QString& initialText)
    : QDialog(parent), m_prompts(prompts), m_shared(shared)
{
    using namespace search_dlg;
    setWindowTitle(QStringLiteral("Find Text"));
    setWindowModality(Qt::WindowModal);
    m_find = MakeCombo(this, "findWhat", kMaxText);
    FillCombo(shared.grep.findHistory, shared.historyItems(), *m_find);
    m_find->setEditText(initialText);
    m_matchCase = MakeCheck(this, QStringLiteral("Match &case"), "matchCase", shared.grep.matchCase);
    m_wholeWords = MakeCheck(this, QStringLiteral("&Whole words only"), "wholeWords", shared.grep.wordsOnly);
    m_backwards = MakeCheck(this, QStringLiteral("Search &backwards"), "searchBackwards",
                            shared.settings.searchBackwards);
    m_cyclic = MakeCheck(this, QStringLiteral("Cyclic &search"), "cyclicSearch", shared.settings.cyclicSearch);

    auto* label = new QLabel(QStringLiteral("&Find what:"), this);
    label->setBuddy(m_find);
    auto* hint = new QLabel(QStringLiteral("Specify what to search for by entering the text or selecting a history "
                                           "item. Spaces and tabs are significant."),
                            this);
    hint->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    QPushButton* findNext = buttons->addButton(QStringLiteral("Find Next"), QDialogButtonBox::AcceptRole);
    findNext->setObjectName(QStringLiteral("findNext"));
    findNext->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &FindTextDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* fields = new QVBoxLayout;
    auto* findRow = new QHBoxLayout;
    findRow->addWidget(label);
    findRow->addWidget(m_find, 1);
    fields->addLayout(findRow);
    fields->addWidget(m_matchCase);
    fields->addWidget(m_wholeWords);
    fields->addWidget(m_backwards);
    fields->addWidget(m_cyclic);
    fields->addWidget(hint);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addWidget(buttons);
    m_find->setFocus();
}

void FindTextDlg::accept()
{
    m_shared.grep.matchCase = m_matchCase->isChecked();
    m_shared.grep.wordsOnly = m_wholeWords->isChecked();
    m_shared.settings.searchBackwards = m_backwards->isChecked();
    m_shared.settings.cyclicSearch = m_cyclic->isChecked();
    const QString text = m_find->currentText();
    if (text.isEmpty()) {
        m_prompts.Message(this, search_dlg::kEmptyText, Prompts::Icon::Exclamation);
        m_find->setFocus();
        return;
    }
    m_text = text;
    m_shared.grep.findHistory.Add(m_shared.historyItems(), EditTextToBytes(text));
    QDialog::accept();
}

} // namespace bivora
