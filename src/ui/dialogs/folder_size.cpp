#include "ui/dialogs/folder_size.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bivora {

namespace {

// Lists one folder, adding its entries to the total and its subfolders to the stack.
void ReadFolder(const std::string& path, std::vector<std::string>& pending, FolderTotal& total,
                const std::atomic<bool>& stop)
{
    DIR* dir = ::opendir(path.c_str());
    if (!dir) {
        ++total.unreadable;
        return;
    }
    const int fd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (stop.load(std::memory_order_relaxed)) {
            total.stopped = true;
            break;
        }
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat st {};
        if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // vanished since the listing
        if (S_ISDIR(st.st_mode)) {
            ++total.folders;
            pending.push_back(path + (path.ends_with('/') ? "" : "/") + entry->d_name);
        } else {
            ++total.files;
            total.bytes += static_cast<std::uint64_t>(st.st_size);
        }
    }
    ::closedir(dir);
}

} // namespace

FolderTotal SumItems(const std::vector<std::string>& paths, const std::atomic<bool>& stop)
{
    FolderTotal total;
    std::vector<std::string> pending; // an explicit stack: deep trees cost no call depth and hold one folder open
    for (const std::string& path : paths) {
        if (stop.load(std::memory_order_relaxed)) {
            total.stopped = true;
            break;
        }
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0)
            continue;
        if (!S_ISDIR(st.st_mode)) {
            ++total.files;
            total.bytes += static_cast<std::uint64_t>(st.st_size);
            continue;
        }
        ++total.folders;
        pending.push_back(path);
        while (!pending.empty() && !total.stopped) {
            if (stop.load(std::memory_order_relaxed)) {
                total.stopped = true;
                break;
            }
            const std::string folder = std::move(pending.back());
            pending.pop_back();
            ReadFolder(folder, pending, total, stop);
        }
        if (total.stopped)
            break;
    }
    return total;
}

} // namespace bivora
