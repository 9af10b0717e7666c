#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;

namespace bivora {

class Prompts;
struct EditorShared;

// "Find Text": the text to look for (the find history in its list) and the four search
// options. Find Next refuses an empty text (a message, the dialog stays open); accepted,
// the options go back to the shared settings and the text to the front of the history.
class FindTextDlg final : public QDialog {
public:
    static constexpr int kMaxText = 120;

    FindTextDlg(QWidget* parent, Prompts& prompts, EditorShared& shared, const QString& initialText);

    // Once accepted: the text to look for.
    QString Text() const { return m_text; }

    void accept() override;

private:
    Prompts& m_prompts;
    EditorShared& m_shared;
    QComboBox* m_find = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QCheckBox* m_wholeWords = nullptr;
    QCheckBox* m_backwards = nullptr;
    QCheckBox* m_cyclic = nullptr;
    QString m_text;
};

// The parts both search dialogs share.
namespace search_dlg {
QComboBox* MakeCombo(QWidget* parent, const char* name, int maxLength);
inline const QString kEmptyText = QStringLiteral("Search string should not be empty");
} // namespace search_dlg

} // namespace bivora
