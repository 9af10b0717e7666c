#pragma once

#include <QDialog>

#include <string>

class QCheckBox;
class QComboBox;

namespace bivora {

class Prompts;
struct GrepSettings;

// "Find in files": the text to look for, the types of the files to search and the
// three shared options. The combos hold the two histories and start with their first
// entries. OK refuses an empty text (a message, the dialog left open); the text is taken
// as typed (spaces are part of it), the types with trailing blanks cut off and "*.*"
// when nothing is left. Accepted, both go to the front of their histories and the
// options are written back to the shared settings.
class FindInFilesDlg final : public QDialog {
public:
    static constexpr int kMaxText = 128;
    static constexpr int kMaxTypes = 80;

    FindInFilesDlg(QWidget* parent, Prompts& prompts, GrepSettings& settings, int historyItems,
                   const QString& folderTitle);

    // Once accepted: the text and the type patterns as bytes.
    const std::string& Text() const { return m_text; }
    const std::string& Types() const { return m_types; }

    void accept() override;

private:
    Prompts& m_prompts;
    GrepSettings& m_settings;
    const int m_historyItems;
    QComboBox* m_find = nullptr;
    QComboBox* m_typesCombo = nullptr;
    QCheckBox* m_nonText = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QCheckBox* m_wholeWords = nullptr;
    std::string m_text;
    std::string m_types;
};

} // namespace bivora
