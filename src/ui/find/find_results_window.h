#pragma once

#include "base/find_criteria.h"
#include "shell/find_files.h"

#include "ui/platform/open_in_editor.h"

#include <QString>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QTimer;

namespace bivora {

class JobRegistry;
class KeyboardState;
class Launcher;
class Prompts;
class SettingsStore;
class ShellNamespace;
class SortListCtrl;
struct GeneralSettings;

// The search a results window runs on its worker: SearchFiles, or a stand-in of a test.
using FindSearch = std::function<FindOutcome(const FindCriteria&, const ShellNamespace&, const std::atomic<bool>&,
                                             const FindSink&)>;

struct FindResultsServices {
    JobRegistry& jobs;
    SettingsStore& store;
    Prompts& prompts;
    KeyboardState& keyboard;
    Launcher& launcher;
    GeneralSettings& general;
    // Shared with the worker, which may outlive the window.
    std::shared_ptr<const ShellNamespace> ns;
    // Opens folder in a pane with the named rows selected, the first focused.
    std::function<void(const std::string& folder, const std::vector<std::string>& names)> browse = {};
    FindSearch search = {}; // unset: SearchFiles
    int autoCloseMs = 3000; // an empty list closes the window after this
    // The program's own viewer; unset: View file uses the desktop's application.
    InternalEditor openInternal = {};
};

class FindResultsModel;

// "Find results": a modeless window whose worker runs one search and hands the matches
// over in batches, appended as ranges of rows (batches that came while the window was
// busy join one range). Escape (or a close request)
// during the search stops it and keeps the rows; once it is over, Escape closes the
// window. Enter or a double click browses the first selected row's folder, F3 views a
// file, Del deletes the selected items (Shift: for good) after their rows have gone.
// A window that goes while its worker runs stops the worker and waits a little for it;
// the worker never reaches a window that has gone.
class FindResultsWindow final : public QWidget {
public:
    FindResultsWindow(FindCriteria criteria, FindResultsServices services, QWidget* parent);
    ~FindResultsWindow() override;

    // Starts the worker; false when it cannot start (the program is closing).
    bool Start();
    bool Searching() const { return m_searching; }

    // The worker's batches arrive here, on the window's thread.
    void AddMatches(std::vector<FindMatch> matches);
    // The worker has ended.
    void SearchEnded();

    void Browse();
    void ViewFile();
    void DeleteSelected();

    SortListCtrl& List() const { return *m_list; }
    int RowCount() const;
    // The full path of a row's item.
    std::string PathOf(int row) const;
    QString StatusText() const;

protected:
    void keyPressEvent(class QKeyEvent* event) override;
    void closeEvent(class QCloseEvent* event) override;

private:
    struct Channel;

    // Appends what the worker has handed over since the last time.
    void TakePending();
    bool HandleListKey(class QKeyEvent& event);
    void ShowMenu(const QPoint& globalPos);
    void SetStatus(const QString& text);
    void StartAutoClose();
    void DetachWorker();

    const FindCriteria m_criteria;
    FindResultsServices m_services;
    std::unique_ptr<FindResultsModel> m_model;
    SortListCtrl* m_list = nullptr;
    QLabel* m_status = nullptr;
    QTimer* m_progress = nullptr;
    std::shared_ptr<Channel> m_channel;
    std::uint64_t m_job = 0;
    bool m_searching = false;
};

} // namespace bivora
