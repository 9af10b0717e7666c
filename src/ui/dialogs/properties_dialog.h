#pragma once

#include "shell/folder_walker.h"
#include "ui/commands/job_starter.h"

#include <QDialog>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QFormLayout;
class QLabel;

namespace bivora {

class Prompts;

// The Properties dialog for one or several items. One item: name, type (the MIME
// type's description), location, size, modified, created (birth time where the file
// system keeps it, else the change time) and accessed times, owner, group and the
// read/write/execute permissions of owner, group and others as check boxes; OK applies
// changed permissions and reports a failure through the prompts, leaving the dialog
// open. Several items: their count and total size.
//
// A folder's total (and the total of several items) is computed by a job of the
// registry, which the dialog asks to stop when it closes or is destroyed, without
// waiting for it: a walk stuck on a dead mount is left to the registry. The walk owns
// its inputs and its figures reach the dialog only while it is open. While it runs, the figures so far show with a trailing "...",
// a few times a second. The labels carry object names ("name", "type", "location",
// "size", "contents", "modified", "created", "accessed", "owner", "group") and the
// boxes "ownerRead" ... "othersExecute".
class PropertiesDialog : public QDialog {
    Q_OBJECT
public:
    // The walk the worker runs, handing it the total so far as it goes (SumItems);
    // tests pass one they control.
    using Progress = std::function<void(const FolderTotal&)>;
    using Sizer = std::function<FolderTotal(const std::vector<std::string>&, const std::atomic<bool>&, const Progress&)>;

    // paths must not be empty. The prompts and the jobs must outlive the dialog.
    PropertiesDialog(std::vector<std::string> paths, Prompts& prompts, JobStarter& jobs, QWidget* parent = nullptr,
                     Sizer sizer = SumItems);
    ~PropertiesDialog() override;

    // True while the worker computes the total.
    bool IsComputing() const;

    void accept() override;
    void done(int result) override;

Q_SIGNALS:
    // The worker's total has been put into the dialog.
    void SizeComputed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildSingle(QFormLayout& form);
    void BuildSeveral(QFormLayout& form);
    void StartWorker();
    void StopWorker();
    void ShowTotal(const FolderTotal& total, bool final);
    bool ApplyPermissions();
    QLabel* AddRow(QFormLayout& form, const QString& label, const QString& objectName, const QString& text);

    std::vector<std::string> m_paths;
    Prompts& m_prompts;
    Sizer m_sizer;
    QLabel* m_size = nullptr;
    QLabel* m_contents = nullptr;
    std::array<QCheckBox*, 9> m_permissionBoxes{}; // owner rwx, group rwx, others rwx
    unsigned m_mode = 0;                           // permission bits (07777) when the dialog opened
    bool m_permissionsEditable = false;
    bool m_totalShown = false; // the final total is in the labels
    struct Walk;
    JobStarter& m_jobs;
    std::shared_ptr<Walk> m_walk; // shared with the running walk
    JobStarter::JobId m_job = 0;
};

// Shows the Properties dialog for the items, modeless, deleting itself when closed.
// False when there are no items: the caller says "No property sheet for this selection".
bool ShowProperties(const std::vector<std::string>& paths, Prompts& prompts, JobStarter& jobs, QWidget* parent);

} // namespace bivora
