#pragma once

#include "ui/commands/command_router.h"

#include <QMainWindow>
#include <QTimer>

#include <memory>
#include <string>

class QLabel;
class QPlainTextEdit;
class QToolBar;

namespace bivora {

class EditorActions;
class EditorDocument;
class MainStatusBar;
struct EditorShared;
struct EditorViewState;

// One editor window: a top-level window of its own showing one file in view mode
// (read-only; a hexadecimal dump on request) or edit mode. It owns the text control,
// the menus, tool bar and status bar, the document, and the chain its commands go
// through: the window's own commands (file, hexadecimal, bars, exit), then the text
// commands, then the appearance commands.
class EditorWindow final : public QMainWindow, public CommandTarget {
    Q_OBJECT
public:
    // The settings shared by every editor are read here the first time a window is made.
    EditorWindow(EditorShared& shared, std::string path, bool readOnly, QWidget* parent = nullptr);
    ~EditorWindow() override;

    // Starts reading the file; the window closes itself when it cannot be shown, after
    // saying why.
    void Load();

    // Runs a command along the chain; false when it is disabled or nobody handles it.
    bool ExecuteCommand(int id);
    CommandState CommandStateOf(int id) const { return m_router.Update(id); }

    QPlainTextEdit& Text() const { return *m_text; }
    MainStatusBar& Status() const { return *m_status; }
    EditorDocument& Document() const { return *m_doc; }
    EditorViewState& View() const { return *m_view; }
    EditorActions& Actions() const { return *m_actions; }
    QToolBar& ToolBar() const { return *m_toolBar; }
    // The texts of the status panes: position, overwrite, modified.
    QString PositionText() const;
    QString OverwriteText() const;
    QString ModifiedText() const;

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    // "name @ folder/" for a path.
    static QString CaptionFor(const std::string& path);

Q_SIGNALS:
    // The first load has ended (ok: the text is shown whole).
    void loadFinished(bool ok);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildStatusBar();
    void UpdatePanes();
    void OnWorkChanged();
    void StepProgress();
    void OnLoadFinished(bool ok, const QString& failure);
    void OnTextReplaced();
    void ShowContextMenu(const QPoint& at);
    void SaveWindowSettings();

    EditorShared& m_shared;
    QPlainTextEdit* m_text;
    MainStatusBar* m_status;
    QLabel* m_positionPane = nullptr;
    QLabel* m_overwritePane = nullptr;
    QLabel* m_modifiedPane = nullptr;
    QToolBar* m_toolBar = nullptr;
    std::unique_ptr<EditorViewState> m_view;
    EditorDocument* m_doc;
    std::unique_ptr<CommandTarget> m_textCommands;
    std::unique_ptr<CommandTarget> m_lookCommands;
    CommandRouter m_router;
    EditorActions* m_actions;
    QTimer m_progressTimer;
    int m_progressSteps = 0;
    bool m_progressShown = false;
    bool m_loaded = false;
};

} // namespace bivora
