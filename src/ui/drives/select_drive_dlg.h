#pragma once

#include "shell/shell_namespace.h"

#include <QDialog>

#include <optional>
#include <string>
#include <vector>

class QListWidget;
class QRadioButton;
class QToolButton;

namespace bivora {

class IconCache;
class Prompts;
class SettingsStore;

// bGotoRoot and bSmallIcons of "Select Drive Dialog".
struct SelectDriveSettings {
    bool gotoRoot = false;   // Select goes to the drive's root folder, not its current one
    bool smallIcons = false; // the list shows small icons, not large ones

    // A missing or out-of-range value reads as its default.
    static SelectDriveSettings Load(const SettingsStore& store);
    void Save(SettingsStore& store) const;
};

// "Select disk drive": one entry per drive ("C:) File System"), the entry of the pane's
// drive selected, the choice between the drive's current and root folder, and a toggle
// between large and small icons. Select without an entry says "Nothing was selected"
// and stays open. Once accepted, ChosenText is what the pane is to browse to, as typed.
class SelectDriveDlg final : public QDialog {
    Q_OBJECT
public:
    enum Control { kList = 1027, kCurrentFolder = 1028, kRootFolder = 1029, kIconToggle = 1078 };
    static QString ControlName(int id) { return QStringLiteral("control%1").arg(id); }

    // paneDrive: the index of the drive holding the pane's folder, none for a folder
    // outside the file system.
    SelectDriveDlg(Prompts& prompts, IconCache& icons, std::vector<Drive> drives, std::optional<std::size_t> paneDrive,
                   bool leftPane, SelectDriveSettings settings, QWidget* parent = nullptr);

    const std::string& ChosenText() const { return m_chosen; }
    // The settings as the dialog leaves them (the radio buttons and the icon toggle).
    SelectDriveSettings Settings() const;

    void accept() override;

private:
    void ShowIcons(bool small);

    Prompts& m_prompts;
    std::vector<Drive> m_drives;
    QListWidget* m_list = nullptr;
    QRadioButton* m_current = nullptr;
    QRadioButton* m_root = nullptr;
    QToolButton* m_iconToggle = nullptr;
    std::string m_chosen;
};

} // namespace bivora
