// The pane's folder watcher as a job of the registry.
#include "ui/pane/pane_watch.h"

#include "shell/folder_watcher.h"
#include "shell/shell_folder.h"
#include "shell/shell_namespace.h"
#include "ui/pane/folder_changed_event.h"

#include <QCoreApplication>

namespace bivora {

std::shared_ptr<FolderWatcher> PaneWatch::Prepare(const ShellNamespace& ns, const ItemIdList& id,
                                                   std::uint32_t enumFlags)
{
    const auto path = ns.FileSystemPath(id);
    if (!path)
        return nullptr; // a virtual folder
    // a folder on a removable drive waits longer for its changes to settle
    bool removable = false;
    if (id.Count() >= 2 && id[1].kind == ItemId::Kind::Drive) {
        const auto drive = id.ParentId(id.Count() - 2);
        const auto attributes = drive ? ns.Attributes(*drive) : std::nullopt;
        removable = attributes && (*attributes & attr::kRemovable);
    }
    FolderWatcher::Options options;
    options.foldersOnly = (enumFlags & ~enumflags::kIncludeHidden) == enumflags::kFolders;
    options.quiet = removable ? FolderWatcher::kRemovableQuiet : FolderWatcher::kQuiet;
    auto watcher = std::make_shared<FolderWatcher>(*path, options);
    if (watcher->Error() != 0)
        return nullptr; // no automatic refresh; the Refresh command still works
    return watcher;
}

void PaneWatch::Start(std::shared_ptr<FolderWatcher> watcher, ShellFolder& folder, QObject& pane,
                      std::uint64_t generation)
{
    Stop();
    if (!watcher || !folder.IsFileSystem())
        return;
    // Stop is called before the folder or the pane goes, and the watcher neither reads
    // the flag nor posts once it has returned.
    const std::atomic<bool>* mayNotify = &folder.watchRefresh;
    QObject* receiver = &pane;
    m_job = m_jobs.Start([watcher, mayNotify, receiver, generation](const std::atomic<bool>& stop) {
        watcher->Run(
            mayNotify, [receiver, generation] { QCoreApplication::postEvent(receiver, new FolderChangedEvent(generation)); },
            &stop);
    });
    if (m_job != 0)
        m_watcher = std::move(watcher);
}

void PaneWatch::Stop()
{
    if (!m_watcher)
        return;
    m_watcher->Stop();
    m_jobs.Stop(m_job);
    m_watcher.reset();
    m_job = 0;
}

} // namespace bivora
