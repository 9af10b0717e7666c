#pragma once

#include "base/history_list.h"
#include "ui/commands/address_target.h"

#include <QComboBox>
#include <QToolBar>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace bivora {

class CommandActions;
class KeyboardState;
class Prompts;
class SettingsStore;
class StatusService;

// The address bar's combo box: an edit field over the folder history. Its edit field
// keeps the keys it uses from the window's shortcuts (the frame's keys do not work
// while it has the focus, so Del, Ctrl+C or F3 edit text), and answers Tab, Enter,
// Ctrl+Enter, Esc and Ctrl with the arrows as the address bar's key table says.
class AddressCombo final : public QComboBox {
    Q_OBJECT
public:
    static constexpr int kMaxTextLength = 1 << 20;

    explicit AddressCombo(QWidget* parent = nullptr);

    void SetTarget(AddressTarget* target) { m_target = target; }

    // The edit text as bytes, and the other way.
    std::string Text() const;
    void SetText(const std::string& text);

    // A file-system folder goes to the top of the list; an equal entry (byte for
    // byte) leaves, and the list keeps at most limit entries.
    void AddFolder(const std::string& path, int limit);
    std::vector<std::string> Folders() const;

    // The height of the combo box with its dropped list (nFolderComboHeight).
    void SetDroppedHeight(int height) { m_droppedHeight = height; }
    int DroppedHeight() const { return m_droppedHeight; }

    // Whether the last Enter came with Alt; asking clears it.
    bool TakeEnterWithAlt() { return std::exchange(m_enterWithAlt, false); }

    // Restores the active pane's address text.
    void RestoreText();

    void showPopup() override;

Q_SIGNALS:
    // Enter, Alt+Enter or an entry chosen from the list: the text is to be executed.
    // Sent queued, so the edit text is up to date when it runs.
    void ExecuteRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool OnKey(QKeyEvent& event);
    bool KeepsShortcut(const QKeyEvent& event) const;
    void FocusPane();

    AddressTarget* m_target = nullptr;
    int m_droppedHeight = 180;
    bool m_enterWithAlt = false;
};

// The services and settings the address bar needs; they outlive it.
struct AddressBarServices {
    SettingsStore& store;
    StatusService& status;
    Prompts& prompts;
    KeyboardState& keyboard;
    // nHistoryItems at the moment a history changes.
    std::function<int()> historyItems;
};

// The address bar: the combo box, stretched over the rest of its row, and the
// buttons Parent, Root, Desktop | Previous, Next | Documents, Bookmark 1. Docked at
// a side or floating, the combo box is nFolderComboWidth wide.
class AddressBar final : public QToolBar, public AddressDisplay {
    Q_OBJECT
public:
    static constexpr int kDefaultComboWidth = 280;
    static constexpr int kMinComboWidth = 50;
    static constexpr int kMaxComboWidth = 1000;
    static constexpr int kDefaultComboHeight = 180;
    static constexpr int kMinComboHeight = 50;
    static constexpr int kMaxComboHeight = 600;

    // Reads the combo sizes (clamped, written back) and the command history.
    AddressBar(AddressBarServices services, CommandActions& actions, QWidget* parent = nullptr);

    void SetTarget(AddressTarget* target);
    AddressCombo& Combo() const { return *m_combo; }
    int ComboWidth() const { return m_comboWidth; }
    // Flat: a gripper to move the bar and buttons that rise under the mouse.
    void ApplyFlat(bool flat);

    // The folder history: filled at start, stored at close (in list order).
    void LoadFolderHistory();
    void SaveHistories() const;
    HistoryList& CommandHistory() { return m_commands; }

    // Command 32788: the edit text goes to the active pane, or with Alt to the other
    // one; a text starting with ">" or "$" is a command line. The focus returns to the
    // active pane.
    void Execute();
    // Run Command and DOS Command: the field holds the prefix and a blank, focused,
    // the caret at the end.
    void StartCommand(char prefix);
    // Run History and History: a picker over the history; the chosen text goes into
    // the field, which takes the focus. Nothing runs until Enter.
    void PickFrom(HistoryList& history, const QString& title);

    // AddressDisplay
    void ShowFolder(const std::string& folderPath, const std::string& text) override;
    void ShowText(const std::string& text) override;
    bool FocusAddress() override;

Q_SIGNALS:
    // The field asks for its text to be executed: the frame runs command 32788.
    void ExecuteRequested();

private:
    int HistoryItems() const;
    void UpdateComboWidth();
    void RunCommand(const std::string& text);

    SettingsStore& m_store;
    StatusService& m_status;
    Prompts& m_prompts;
    KeyboardState& m_keyboard;
    std::function<int()> m_historyItems;
    AddressTarget* m_target = nullptr;
    AddressCombo* m_combo = nullptr;
    QAction* m_comboAction = nullptr;
    int m_comboWidth = kDefaultComboWidth;
    HistoryList m_commands;
    bool m_executing = false;
};

} // namespace bivora
