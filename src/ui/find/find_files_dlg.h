#pragma once

#include "base/find_criteria.h"
#include "base/find_input.h"
#include "shell/path_resolver.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QWidget;

namespace bivora {

class JobRegistry;
class Prompts;
class SettingsStore;
class ShellNamespace;
struct FindFileSettings;
struct GrepSettings;

// What the criteria dialog needs from the program.
struct FindFilesDlgServices {
    SettingsStore& store;
    Prompts& prompts;
    GrepSettings& grep;
    FindFileSettings& settings;
    const ShellNamespace& ns;
    const DriveFolders& driveFolders;
    // Find resolves the Look in entries on a worker of these jobs, so that a folder on a
    // mount that does not answer leaves the dialog painting (Escape gives up the check).
    JobRegistry& jobs;
    DateKind dateKind = DateKind::kModified; // the date the panes show
    int historyItems = 20;
    // The root folders of the mounted local volumes, for Scan all drives; unset: the
    // namespace's drives that are neither removable nor on the network.
    std::function<std::vector<std::string>()> localDrives = {};
    // The folder a Look in entry names, run on the worker; unset: FolderPathOf with the
    // namespace, relative entries against the folder the dialog opened with.
    FolderOfEntry folderOf = {};
};

// "Find files or folders": the criteria of a search. The process-wide values fill it
// and take what was entered once Find passes the checks; the date, size and text
// switches start off every time. Find reads the fields (an unreadable date names the
// locale's short date format), runs the checks in their order (a failure is a message,
// the field at fault focused, the dialog left open) and on success puts the texts at
// the front of their histories. The checks run on a worker while the dialog waits and
// keeps painting; Escape during that wait leaves the dialog as it was.
class FindFilesDlg final : public QDialog {
public:
    FindFilesDlg(const FindFilesDlgServices& services, const std::string& lookIn, QWidget* parent);

    // Once accepted: what the search takes.
    const FindCriteria& Criteria() const { return m_criteria; }

    void accept() override;

    // The date form the fields read and show: the locale's short one with four-digit years.
    static QString DateFormat();

private:
    // The text of a date field as a date: nullopt after the message about the format.
    bool ReadDate(QLineEdit* field, std::optional<CivilDate>& date);
    void ShowDate(QLineEdit* field, const std::optional<CivilDate>& date);
    void EnableGroups();
    void ScanAllDrives(bool on);
    void BrowseFolder();
    QWidget* FieldWidget(FindField field) const;

    FindFilesDlgServices m_services;
    const QString m_initialLookIn; // Browse starts there; Scan all drives unticked returns there
    FindCriteria m_criteria;

    QComboBox* m_named = nullptr;
    QComboBox* m_lookIn = nullptr;
    QCheckBox* m_subfolders = nullptr;
    QCheckBox* m_allDrives = nullptr;
    QCheckBox* m_useDate = nullptr;
    QGroupBox* m_dateGroup = nullptr;
    QRadioButton* m_between = nullptr;
    QRadioButton* m_previous = nullptr;
    QLineEdit* m_from = nullptr;
    QLineEdit* m_until = nullptr;
    QSpinBox* m_count = nullptr;
    QComboBox* m_units = nullptr;
    QCheckBox* m_useSize = nullptr;
    QComboBox* m_sizeKind = nullptr;
    QSpinBox* m_size = nullptr;
    QCheckBox* m_useText = nullptr;
    QComboBox* m_findWhat = nullptr;
    QCheckBox* m_nonText = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QCheckBox* m_wholeWords = nullptr;
    std::vector<QWidget*> m_dateControls;
    std::vector<QWidget*> m_sizeControls;
    std::vector<QWidget*> m_textControls;
};

// Shows "Find files or folders" for the given folder; the criteria when the user
// pressed Find and they passed the checks, nothing on Cancel.
std::optional<FindCriteria> AskFindCriteria(FindFilesDlgServices services, const std::string& lookIn,
                                            QWidget* parent);

} // namespace bivora
