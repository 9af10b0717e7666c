#pragma once

#include <QDialog>

#include <string>

class QComboBox;
class QPlainTextEdit;

namespace bivora {

class HistoryList;
class JobRegistry;
class Launcher;
class PaneView;
class Prompts;
class StatusService;
struct PaneSharedState;

// "Batch file creation": the command template, from "Batch Template History" (its
// first entry to start with). Create trims the text at its end and refuses an empty
// one; the accepted template goes to the front of the history.
class BatchTemplateDlg final : public QDialog {
public:
    static constexpr int kMaxLength = 512;

    BatchTemplateDlg(QWidget* parent, Prompts& prompts, HistoryList& history, int historyLimit);

    // The accepted template, as bytes.
    const std::string& Template() const { return m_template; }
    QComboBox* Combo() const { return m_combo; }

    void accept() override;

private:
    Prompts& m_prompts;
    HistoryList& m_history;
    const int m_historyLimit;
    QComboBox* m_combo = nullptr;
    std::string m_template;
};

// What the script window runs and saves with.
struct BatchScriptServices {
    Prompts& prompts;
    Launcher& launcher;
    JobRegistry& jobs;
    StatusService& status;
    PaneSharedState& shared;    // the script's file name and the temporary script
    std::string tmpDir;         // where the temporary script goes
    std::string terminalPreamble;
    std::string workingDirectory; // the active pane's folder
};

// The generated script in an editable window titled "<file name> - Batch script".
// Execute writes it to the temporary script (the user's alone, executable) and runs
// that in a terminal that stays open, then closes; Save As writes it, executable, to
// a chosen file, whose name then titles the window. Files are written off the GUI
// thread, so a dead mount never freezes the window.
class BatchScriptDlg final : public QDialog {
public:
    BatchScriptDlg(QWidget* parent, BatchScriptServices services, const std::string& templateText,
                   const std::string& script);

    QPlainTextEdit* Editor() const { return m_editor; }
    // The script as it stands in the window, as bytes.
    std::string Script() const;

    void Execute();
    void SaveAs();

private:
    bool Write(const std::string& path, unsigned mode);
    void UpdateTitle();

    BatchScriptServices m_services;
    QPlainTextEdit* m_editor = nullptr;
};

// Generate batch: asks for the template, expands it for the active pane's selected
// items in list order and shows the script.
void GenerateBatch(PaneView& pane);

} // namespace bivora
