#pragma once

#include <QWidget>

#include <string>

class QButtonGroup;
class QLineEdit;
class QPushButton;

namespace bivora {

class Prompts;
struct GeneralSettings;

// The "General" page of the program options, bound to the application's general
// settings: it fills its controls from them and writes them back only when every
// field holds an acceptable value. Its controls are named after their ids
// ("control1032") so that tests and the sheet can find them.
class GeneralPage final : public QWidget {
    Q_OBJECT
public:
    enum ControlId {
        kShowHiddenFiles = 1030,
        kSaveSettings = 1031,
        kLastModified = 1032,
        kOriginallyCreated = 1033,
        kLastAccessed = 1034,
        kDrivebarLetters = 1035,
        kAutoReSort = 1036,
        kHistoryItems = 1037,
        kFlatToolbars = 1038,
        kInternalEditor = 1073,
        kExternalEditor = 1074,
        kEditorName = 1075,
        kBrowse = 1076,
    };
    static QString ControlName(int id);

    // The settings and the prompts outlive the page.
    GeneralPage(GeneralSettings& settings, Prompts& prompts, QWidget* parent = nullptr);

    // Shows the bound settings in the controls.
    void FillControls();
    // Checks the fields and, when all are acceptable, writes the controls into the
    // settings. False when a field was refused: its message has been shown, the
    // field has the focus and nothing was written.
    bool StoreControls();

private:
    void OnEditorChoice();
    void OnBrowse();

    GeneralSettings& m_settings;
    Prompts& m_prompts;
    QButtonGroup* m_dateGroup = nullptr;
    QButtonGroup* m_editorGroup = nullptr;
    QLineEdit* m_editorName = nullptr;
    QPushButton* m_browse = nullptr;
    QLineEdit* m_historyItems = nullptr;
    // The stored name as filled in; while the field still shows it, its bytes are
    // kept as they are even where they do not decode as text.
    std::string m_filledName;
    QString m_filledNameText;
};

} // namespace bivora
