#include "ui/widgets/history_picker.h"

#include "base/history_list.h"
#include "ui/commands/edit_text.h"
#include "ui/commands/services.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace bivora {

void FillCombo(const HistoryList& history, int limit, QComboBox& combo, const std::optional<std::string>& text)
{
    const auto& entries = history.Entries();
    const std::size_t count = std::min(entries.size(), static_cast<std::size_t>(std::max(limit, 0)));
    for (std::size_t i = 0; i < count; ++i)
        combo.addItem(BytesToEditText(entries[i]));
    if (!combo.isEditable())
        return;
    if (text && !text->empty())
        combo.setEditText(BytesToEditText(*text));
    else if (count > 0)
        combo.setEditText(BytesToEditText(entries.front()));
}

HistoryPicker::HistoryPicker(QWidget* parent, const QString& title, const HistoryList& history, int limit)
    : QDialog(parent)
{
    setWindowTitle(title);
    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("HistoryCombo"));
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    // a history is picked from, not completed against
    m_combo->setCompleter(nullptr);
    m_combo->lineEdit()->setMaxLength(kMaxLength);
    m_combo->setMinimumContentsLength(40);
    m_combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    FillCombo(history, limit, *m_combo);

    // a pick from the list is the choice: the edit text has been set by then
    connect(m_combo, &QComboBox::activated, this, [this](int index) {
        m_combo->setEditText(m_combo->itemText(index));
        accept();
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_combo);
    layout->addWidget(buttons);
    m_combo->lineEdit()->selectAll();
    m_combo->setFocus();
}

std::string HistoryPicker::Text() const
{
    return EditTextToBytes(m_combo->currentText());
}

std::optional<std::string> PickFromHistory(Prompts& prompts, QWidget* parent, const QString& title,
                                           HistoryList& history, int limit)
{
    HistoryPicker picker(parent, title, history, limit);
    if (prompts.Exec(picker) != QDialog::Accepted)
        return std::nullopt;
    std::string text = picker.Text();
    history.Add(limit, text);
    return text;
}

} // namespace bivora
