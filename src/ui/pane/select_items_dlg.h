#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;

namespace bivora {

class HistoryList;
class Prompts;

// "Select Items" (or "Unselect items"): a selection pattern from "Selection Pattern
// History" and the three options of selecting by rule. OK refuses an empty pattern
// with a message; otherwise the trimmed pattern goes to the front of the history. The
// options are read back by the caller after OK.
class SelectItemsDlg final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxLength = 100;

    struct Options {
        bool includeFolders = false;
        bool addOnTop = true;
        bool withinSelection = false;
    };

    // hasSelection: the pane has selected rows; without them, or when unselecting,
    // "Add items" and "Within current selection only" are greyed (their values still apply).
    SelectItemsDlg(QWidget* parent, Prompts& prompts, HistoryList& history, int historyLimit, bool unselect,
                   bool hasSelection, const Options& options);

    Options Chosen() const;
    QComboBox* Combo() const { return m_combo; }

    void accept() override;

private:
    Prompts& m_prompts;
    HistoryList& m_history;
    const int m_historyLimit;
    QComboBox* m_combo = nullptr;
    QCheckBox* m_folders = nullptr;
    QCheckBox* m_addOnTop = nullptr;
    QCheckBox* m_within = nullptr;
};

} // namespace bivora
