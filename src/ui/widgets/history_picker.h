#pragma once

#include <QDialog>

#include <optional>
#include <string>

class QComboBox;

namespace bivora {

class HistoryList;
class Prompts;

// Appends the first limit entries of the history to the combo box's list, in order,
// then sets its edit text to text, or, when that is missing or empty, to the first
// entry (when there is one). The texts keep their bytes (ui/commands/edit_text.h).
void FillCombo(const HistoryList& history, int limit, QComboBox& combo,
               const std::optional<std::string>& text = std::nullopt);

// A modal dialog with a title and one combo box filled from a history. Choosing an
// entry from the list acts like OK. The text is at most 128 characters long.
class HistoryPicker final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxLength = 128;

    HistoryPicker(QWidget* parent, const QString& title, const HistoryList& history, int limit);

    // The text as bytes.
    std::string Text() const;
    QComboBox* Combo() const { return m_combo; }

private:
    QComboBox* m_combo = nullptr;
};

// Runs the picker through the prompt service; on OK the text moves to the front of
// the history (Add) and comes back, nullopt when cancelled.
std::optional<std::string> PickFromHistory(Prompts& prompts, QWidget* parent, const QString& title,
                                           HistoryList& history, int limit);

} // namespace bivora
