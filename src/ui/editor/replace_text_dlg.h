#pragma once

#include "ui/editor/editor_search.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace bivora {

class Prompts;
struct EditorShared;

// "Replace Text": what to look for and what to put in its place, with Replace, Replace
// All and Find Next acting on the editor while the dialog stays open. With a range (a
// selection over several lines) it can work on the range only; the range end follows
// the replacements made inside it. A failed search disables the three buttons until the
// search text or an option changes so that another search could succeed.
class ReplaceTextDlg final : public QDialog {
public:
    static constexpr int kMaxText = 120;

    // coversSelection: the current selection is the initial search text, so the dialog
    // moves off it when it opens.
    ReplaceTextDlg(QWidget* parent, Prompts& prompts, EditorShared& shared, EditorSearch& search,
                   const QString& initialText, const ReplaceRange& range, bool coversSelection);

    // The range as the replacements left it.
    const ReplaceRange& Range() const { return m_range; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool StoreControls();
    void SetButtonsEnabled(bool enabled);
    void FindNext();
    void Replace();
    void ReplaceAll();
    void SelectionOnlyToggled(bool on);
    // Moves the dialog off the selection when it covers it (or always, when forced).
    void MoveOffSelection(bool force);

    Prompts& m_prompts;
    EditorShared& m_shared;
    EditorSearch& m_search;
    ReplaceRange m_range;
    bool m_moveOnShow = false;
    QComboBox* m_find = nullptr;
    QComboBox* m_replace = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QCheckBox* m_wholeWords = nullptr;
    QCheckBox* m_backwards = nullptr;
    QCheckBox* m_selectionOnly = nullptr;
    QPushButton* m_replaceButton = nullptr;
    QPushButton* m_replaceAllButton = nullptr;
    QPushButton* m_findNextButton = nullptr;
};

} // namespace bivora
