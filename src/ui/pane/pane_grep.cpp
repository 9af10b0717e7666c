// Containing text: selects the files of the pane whose contents hold a text.
#include "ui/pane/pane_view.h"

#include "base/general_settings.h"
#include "base/grep_settings.h"
#include "shell/file_contains_text.h"
#include "shell/shell_folder.h"
#include "shell/shell_item.h"
#include "ui/commands/byte_text.h"
#include "ui/commands/services.h"
#include "ui/commands/status_service.h"
#include "ui/jobs/off_thread_read.h"
#include "ui/pane/find_in_files_dlg.h"
#include "ui/pane/folder_changed_event.h"
#include "ui/pane/pane_model.h"
#include "ui/widgets/sort_list_ctrl.h"

#include <QCoreApplication>
#include <QItemSelection>
#include <QItemSelectionModel>

#include <algorithm>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace bivora {

namespace {

// What the search shares with its worker, which may outlive the command.
struct GrepJob {
    GrepJob(std::string text, TextSearchOptions options) : searcher(std::move(text), options) {}
    const TextSearcher searcher;
    std::vector<std::string> paths;
    std::mutex mutex;
    bool done = false;
    std::vector<TextSearchResult> results;
};

// How many files are searched at once: one per core, a few at most.
unsigned SearchThreads()
{
    return std::clamp(std::thread::hardware_concurrency(), 1U, 4U);
}

} // namespace

void PaneView::ContainingText()
{
    if (m_busy || !m_folder || !m_folder->IsFileSystem())
        return;
    GrepSettings& grep = m_ctx.shared.grep;
    grep.EnsureLoaded(m_ctx.general.historyItems, m_ctx.store);
    FindInFilesDlg dialog(window(), m_ctx.prompts, grep, m_ctx.general.historyItems, FromBytes(m_folder->Title()));
    if (m_ctx.prompts.Exec(dialog) != QDialog::Accepted)
        return;
    PatternList types;
    if (!types.Parse(dialog.Types())) {
        m_ctx.status.ShowStatusMessage(QStringLiteral("The specified file filter is invalid"), true);
        return;
    }

    m_list->SelectionModel()->clearSelection();
    auto job = std::make_shared<GrepJob>(dialog.Text(),
                                         TextSearchOptions{grep.matchCase, grep.wordsOnly, grep.searchBinFiles});
    std::vector<std::string> names;
    const int rows = m_model->rowCount();
    for (int row = 0; row < rows; ++row) {
        const ShellItem* item = ItemAt(row);
        if (!item || item->IsFolder(true) || !item->IsFileSystem() || !types.Match(item->Name()))
            continue;
        names.push_back(item->Name());
        job->paths.push_back(item->FullPath());
    }
    if (names.empty()) {
        m_ctx.status.ShowStatusMessage(QStringLiteral("No files match the specified type filter"), true);
        return;
    }

    // The files are read on workers, several at once, while the window paints; Escape
    // stops the search after the blocks being read, and what was found stays found.
    const std::uint64_t generation = m_folderGeneration;
    m_busy = true;
    RunOffGuiThread(
        m_ctx.jobs,
        [job](const std::atomic<bool>& stop) {
            std::vector<TextSearchResult> results = SearchFiles(job->paths, job->searcher, SearchThreads(), stop);
            const std::lock_guard lock(job->mutex);
            job->results = std::move(results);
            job->done = true;
        },
        {&m_ctx.status, QStringLiteral("Scanning contents..."), 300});
    m_busy = false;
    if (m_refreshPending) {
        m_refreshPending = false;
        QCoreApplication::postEvent(this, new FolderChangedEvent());
    }

    std::vector<TextSearchResult> results;
    {
        const std::lock_guard lock(job->mutex);
        if (job->done) // a worker stuck on a dead mount leaves nothing found
            results = std::move(job->results);
    }
    if (generation != m_folderGeneration)
        return; // the pane has moved on meanwhile

    // A refresh during the search may have moved rows: they are found again by name.
    std::unordered_map<std::string_view, int> rowOf;
    for (int row = 0; row < m_model->rowCount(); ++row)
        if (const ShellItem* item = ItemAt(row))
            rowOf.emplace(item->Name(), row);
    std::vector<int> found;
    std::size_t unreadable = 0;
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (results[i] == TextSearchResult::Unreadable)
            ++unreadable;
        if (results[i] != TextSearchResult::Found)
            continue;
        if (const auto at = rowOf.find(names[i]); at != rowOf.end())
            found.push_back(at->second);
    }
    std::sort(found.begin(), found.end());
    QString message;
    if (found.empty()) {
        message = QStringLiteral("No matching file contains the specified string");
    } else {
        QItemSelection selection;
        for (std::size_t i = 0; i < found.size();) {
            std::size_t j = i;
            while (j + 1 < found.size() && found[j + 1] == found[j] + 1)
                ++j;
            selection.select(m_model->index(found[i], 0), m_model->index(found[j], 0));
            i = j + 1;
        }
        m_list->SelectionModel()->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        m_list->SetRowState(found.front(), 0);
        message = QStringLiteral("Files containing specified string selected for further action");
    }
    if (unreadable > 0)
        message += QStringLiteral(" (%1 unreadable skipped)").arg(unreadable);
    m_ctx.status.ShowStatusMessage(message, true);
}

} // namespace bivora
