// Renaming and creating entries of a folder, and records for single paths.
#include "shell/folder_edits.h"

#include "base/path_text.h"
#include "shell/directory_reader.h"
#include "shell/path_resolver.h"
#include "shell/shell_folder.h"
#include "shell/unique_fd.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bivora {

namespace {

bool Exists(int directoryFd, const std::string& name, int& error)
{
    struct stat st {};
    if (::fstatat(directoryFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return true;
    error = errno;
    return false;
}

// The entry as the directory read would give it; fallback when it cannot be examined.
FindData Examined(const std::string& directory, const std::string& name, FindData fallback)
{
    FindData find;
    if (StatEntry(PathJoin(directory, name), find))
        return find;
    fallback.name = name;
    return fallback;
}

} // namespace

std::string NewItemName(NewItemKind kind, std::uint64_t n)
{
    std::string name = kind == NewItemKind::File ? "New File" : "New Folder";
    if (n >= 2)
        name += std::to_string(n);
    if (kind == NewItemKind::File)
        name += ".txt";
    return name;
}

bool IsPlainName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos
        && name.find('\0') == std::string_view::npos;
}

SysStatus RenameByLink(int directoryFd, const std::string& from, const std::string& to)
{
    struct stat st {};
    if (::fstatat(directoryFd, from.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return SysStatus::Failure(errno);
    if (!S_ISDIR(st.st_mode)) {
        // linkat never replaces: an existing name fails it with EEXIST
        if (::linkat(directoryFd, from.c_str(), directoryFd, to.c_str(), 0) == 0) {
            if (::unlinkat(directoryFd, from.c_str(), 0) == 0)
                return Done{};
            const int error = errno;
            ::unlinkat(directoryFd, to.c_str(), 0); // the second name goes again; the first stays
            return SysStatus::Failure(error);
        }
        const int error = errno;
        if (error != EPERM && error != EOPNOTSUPP && error != EMLINK && error != ENOSYS)
            return SysStatus::Failure(error);
    }
    // A folder, or a file system without hard links: the new name must not exist just
    // before the rename. A folder rename can only replace an empty folder anyway.
    int error = 0;
    if (Exists(directoryFd, to, error))
        return SysStatus::Failure(EEXIST);
    if (error != ENOENT)
        return SysStatus::Failure(error);
    if (::renameat(directoryFd, from.c_str(), directoryFd, to.c_str()) != 0)
        return SysStatus::Failure(errno);
    return Done{};
}

SysResult<FindData> RenameEntry(const std::string& directory, const std::string& from, const std::string& to)
{
    if (directory.empty() || !IsPlainName(from) || !IsPlainName(to))
        return SysResult<FindData>::Failure(EINVAL);
    const UniqueFd dir(::open(directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!dir.Valid())
        return SysResult<FindData>::Failure(errno);
    FindData before;
    StatEntry(PathJoin(directory, from), before);
    if (::renameat2(dir.Get(), from.c_str(), dir.Get(), to.c_str(), RENAME_NOREPLACE) != 0) {
        const int error = errno;
        // EINVAL: the file system does not know the flag
        if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP)
            return SysResult<FindData>::Failure(error);
        const SysStatus renamed = RenameByLink(dir.Get(), from, to);
        if (!renamed)
            return SysResult<FindData>::Failure(renamed.Error());
    }
    return Examined(directory, to, std::move(before));
}

SysResult<FindData> CreateNewEntry(const std::string& directory, NewItemKind kind)
{
    if (directory.empty())
        return SysResult<FindData>::Failure(EINVAL);
    const UniqueFd dir(::open(directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!dir.Valid())
        return SysResult<FindData>::Failure(errno);
    for (std::uint64_t n = 1;; ++n) {
        const std::string name = NewItemName(kind, n);
        int result = 0;
        if (kind == NewItemKind::Folder) {
            result = ::mkdirat(dir.Get(), name.c_str(), 0777);
        } else {
            // O_EXCL also refuses a link of that name, dangling or not
            const int fd = ::openat(dir.Get(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            // nothing was written: whatever close says, the empty file stands
            result = fd >= 0 ? (::close(fd), 0) : -1;
        }
        if (result == 0) {
            FindData made;
            made.isDirectory = kind == NewItemKind::Folder;
            return Examined(directory, name, std::move(made));
        }
        if (errno != EEXIST)
            return SysResult<FindData>::Failure(errno);
    }
}

ShellItem* ShellFolder::ReplaceItem(const ShellItem* item, std::string_view newName, int* error)
{
    const auto fail = [error](int code) -> ShellItem* {
        if (error)
            *error = code;
        return nullptr;
    };
    if (!item || item->Folder() != this || item->Id().kind != ItemId::Kind::Entry || m_directory.empty())
        return fail(EINVAL);
    SysResult<FindData> renamed = RenameEntry(m_directory, item->Name(), std::string(newName));
    if (!renamed)
        return fail(renamed.Error());
    return ReplaceRenamed(item, std::move(*renamed));
}

ShellItem* ShellFolder::ReplaceRenamed(const ShellItem* item, FindData renamed)
{
    const auto found = std::find_if(m_items.begin(), m_items.end(),
                                    [item](const std::unique_ptr<ShellItem>& own) { return own.get() == item; });
    if (found == m_items.end() || renamed.name.empty())
        return nullptr;
    auto record = std::make_unique<ShellItem>(this, ItemId{ItemId::Kind::Entry, renamed.name});
    record->Init(std::move(renamed));
    // the entry is the same one under another name: it was not made now, nor read
    record->created = item->created;
    record->accessed = item->accessed;
    *found = std::move(record);
    ++m_version;
    return found->get();
}

ShellItem* ShellFolder::CreateNewItem(NewItemKind kind, int* error)
{
    SysResult<FindData> created = CreateNewEntry(m_directory, kind);
    if (!created) {
        if (error)
            *error = created.Error();
        return nullptr;
    }
    return AppendCreated(std::move(*created));
}

ShellItem* ShellFolder::AppendCreated(FindData created)
{
    auto record = std::make_unique<ShellItem>(this, ItemId{ItemId::Kind::Entry, created.name});
    if (!record->Init(std::move(created)))
        return nullptr;
    m_items.push_back(std::move(record));
    ++m_version;
    return m_items.back().get();
}

PathItem ItemFromPath(const ShellNamespace& ns, std::string_view path)
{
    const ResolvedPath resolved = ResolvePath(ns, path, {}, {});
    const std::uint32_t kinds = resolve::kFile | resolve::kFolder;
    if (resolved.Failed() || !(resolved.flags & resolve::kAbsolute) || !(resolved.flags & kinds)
        || (resolved.flags & resolve::kPattern) || !resolved.id || resolved.id->IsEmpty())
        return {};
    const ItemIdList& id = *resolved.id;
    std::optional<ItemIdList> parent = id.ParentId(1);
    if (!parent)
        return {};
    auto folder = std::make_unique<ShellFolder>(ns);
    if (folder->Open(std::move(*parent), false) == ShellFolder::kFailed)
        return {};

    const ItemId& last = id.Last();
    if (last.kind == ItemId::Kind::Entry) {
        if (folder->Directory().empty())
            return {};
        FindData find;
        if (!StatEntry(PathJoin(folder->Directory(), last.key), find))
            return {};
        find.name = last.key;
        ShellItem* item = folder->AppendCreated(std::move(find));
        if (!item)
            return {};
        return {std::move(folder), item};
    }
    // a drive's root: the record its parent (Computer) reads for it
    ItemList children;
    if (folder->Enumerate(children) == ShellFolder::kFailed)
        return {};
    const auto match = std::find_if(children.begin(), children.end(),
                                    [&last](const std::unique_ptr<ShellItem>& child) { return child->Id() == last; });
    if (match == children.end())
        return {};
    ShellItem* item = match->get();
    folder->m_items.push_back(std::move(*match));
    ++folder->m_version;
    return {std::move(folder), item};
}

} // namespace bivora
