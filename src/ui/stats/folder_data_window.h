#pragma once

#include "shell/folder_stats.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QTreeWidget;
class QTreeWidgetItem;

namespace bivora {

class JobRegistry;
class SettingsStore;
class StatusService;

// The two orders of the tree, by the ids of their commands.
inline constexpr int kFolderDataSortByName = 32777;
inline constexpr int kFolderDataSortBySize = 32779;

struct FolderDataServices {
    JobRegistry& jobs;
    StatusService& status;
    SettingsStore& store;
    // Opens a folder in a pane (the active one, or the other while Alt is held).
    std::function<void(const std::string& path)> browse = {};
};

// A snapshot of a folder's statistics as a tree: every folder with its total size,
// folders and files, and a last "local files" row for the files of its own. Modeless,
// deletes itself when closed.
class FolderDataWindow final : public QWidget {
public:
    FolderDataWindow(std::shared_ptr<const FolderStats> stats, std::optional<std::uint64_t> freeBytes,
                     const FolderDataServices& services, QWidget* parent);

    QTreeWidget* Tree() const { return m_tree; }
    void SortBy(int key);
    // Opens the selected folder through the services' browse.
    void Browse();

protected:
    void keyPressEvent(class QKeyEvent* event) override;
    void closeEvent(class QCloseEvent* event) override;

private:
    void Fill();
    void ShowMenu(const QPoint& at, bool fromMouse);

    std::shared_ptr<const FolderStats> m_stats;
    SettingsStore& m_store;
    std::function<void(const std::string&)> m_browse;
    QTreeWidget* m_tree = nullptr;
};

// The Folder data command: reads folder's sub-tree off the GUI thread (the window keeps
// painting, Escape stops the read and keeps what was read), reports the outcome in the
// status bar and shows the window. Returns the window, or null when none was shown.
FolderDataWindow* ShowFolderData(const std::string& folder, const FolderDataServices& services, QWidget* parent);

} // namespace bivora
