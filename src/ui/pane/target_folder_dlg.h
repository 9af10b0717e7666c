#pragma once

#include "shell/path_resolver.h"

#include <QDialog>

#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace bivora {

class HistoryList;
class JobRegistry;
class Prompts;
class ShellNamespace;
struct GeneralSettings;

// "Select destination folder": the target of Copy to / Move to. The target combo holds
// the "Target Folder History" and starts with the proposed target (the first entry
// when none is proposed); the source is shown read-only. OK takes the trimmed text
// resolved as the address bar resolves it (relative forms against the current
// directory) and refuses, with a message and the dialog left open, an empty text, one
// that names no folder, and for Move the source folder itself. The accepted target
// goes to the front of the history. The check box sets bAskConfirmation at once.
// The text is resolved on a worker of jobs, so a path on a mount that does not answer
// leaves the window painting (Escape gives up and keeps the dialog open).
class TargetFolderDlg final : public QDialog {
public:
    TargetFolderDlg(QWidget* parent, Prompts& prompts, JobRegistry& jobs, const ShellNamespace& ns,
                    GeneralSettings& general,
                    HistoryList& history, const DriveFolders& driveFolders, const std::string& source,
                    const std::string& proposedTarget, bool copy);

    // The resolved target, once accepted.
    const std::string& Target() const { return m_target; }

    void accept() override;

private:
    void Browse();
    void Refuse(const QString& text);

    Prompts& m_prompts;
    JobRegistry& m_jobs;
    const ShellNamespace& m_ns;
    GeneralSettings& m_general;
    HistoryList& m_history;
    const DriveFolders& m_driveFolders;
    const std::string m_source;
    const bool m_copy;
    std::string m_target;
    QComboBox* m_combo = nullptr;
};

} // namespace bivora
