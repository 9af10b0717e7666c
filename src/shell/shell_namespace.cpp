#include "shell/shell_namespace.h"

#include "shell/item_info.h"

#include "base/path_text.h"
#include "shell/directory_reader.h"
#include "shell/hex_escapes.h"
#include "shell/small_file.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <sstream>

#include <dirent.h>
#include <sys/stat.h>

namespace bivora {

namespace {

constexpr std::string_view kComputer = "Computer";
constexpr std::string_view kHome = "Home";
constexpr std::string_view kDocuments = "Documents";
constexpr std::string_view kNetwork = "Network";
constexpr std::string_view kTrash = "Trash";

// A mount table is a proc file that says its size is 0 and may be long: a host with
// thousands of container mounts writes a few megabytes. Refused rather than cut when longer.
constexpr std::size_t kMountTableLimit = std::size_t(64) << 20;

constexpr std::uint32_t kFileSystemFolder = attr::kFileSystem | attr::kFolder | attr::kFileSysAncestor;

bool IsDirectory(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Percent-decoding for the Path= line of a .trashinfo file.
std::string PercentDecode(std::string_view text)
{
    return DecodeHexEscapes(text, "%");
}

// The folded components of an absolute path: "." and empty parts dropped, ".." pops.
std::vector<std::string> NormalComponents(std::string_view path)
{
    std::vector<std::string> parts;
    std::size_t pos = 0;
    while (pos <= path.size()) {
        std::size_t end = path.find('/', pos);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view part = path.substr(pos, end - pos);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.emplace_back(part);
        }
        pos = end + 1;
    }
    return parts;
}

std::string JoinComponents(const std::vector<std::string>& parts)
{
    std::string path;
    for (const auto& part : parts) {
        path.push_back('/');
        path.append(part);
    }
    return path.empty() ? std::string("/") : path;
}

std::string ExpandUserDir(std::string value, const std::string& home)
{
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    if (value == "$HOME")
        return home;
    if (value.rfind("$HOME/", 0) == 0)
        return PathJoin(home, value.substr(6));
    return value;
}

std::optional<std::string> XdgUserDir(const Environment& env, std::string_view key)
{
    // a configuration file kept elsewhere and linked in is common: links are followed
    const auto text = ReadSmallFile(PathJoin(env.xdgConfigHome, "user-dirs.dirs"), Links::Follow);
    if (!text)
        return std::nullopt;
    std::istringstream lines(*text);
    std::string line;
    std::optional<std::string> found;
    while (std::getline(lines, line)) {
        const auto eq = line.find('=');
        if (line.empty() || line.front() == '#' || eq == std::string::npos)
            continue;
        if (std::string_view(line).substr(0, eq) != key)
            continue;
        std::string value = line.substr(eq + 1);
        while (!value.empty() && (value.back() == ' ' || value.back() == '\r'))
            value.pop_back();
        const std::string expanded = ExpandUserDir(value, env.home);
        if (!expanded.empty() && expanded.front() == '/')
            found = expanded;
    }
    return found;
}

std::string UserDirectory(const Environment& env, std::string_view key, std::string_view fallbackName)
{
    if (auto dir = XdgUserDir(env, key); dir && IsDirectory(*dir))
        return *dir;
    const std::string fallback = PathJoin(env.home, fallbackName);
    if (IsDirectory(fallback))
        return fallback;
    return env.home;
}

std::string TrashDirectory(const Environment& env)
{
    return PathJoin(env.xdgDataHome, "Trash");
}

// The original name of a trashed item from its .trashinfo file; the trash name when unreadable.
std::string TrashOriginalName(const Environment& env, const std::string& trashName)
{
    // the info folder is data other programs write: a FIFO or a link to a device in
    // place of a .trashinfo must neither stall nor flood the listing
    const auto info = ReadSmallFile(PathJoin(PathJoin(TrashDirectory(env), "info"), trashName + ".trashinfo"));
    if (info) {
        std::istringstream lines(*info);
        std::string line;
        while (std::getline(lines, line)) {
            if (line.rfind("Path=", 0) == 0) {
                std::string original = PercentDecode(std::string_view(line).substr(5));
                while (!original.empty() && original.back() == '/')
                    original.pop_back();
                const std::string name(LastComponent(original));
                if (!name.empty())
                    return name;
            }
        }
    }
    return trashName;
}

const Drive* FindDrive(const std::vector<Drive>& drives, std::string_view mountPath)
{
    for (const auto& drive : drives)
        if (drive.mountPath == mountPath)
            return &drive;
    return nullptr;
}

std::uint32_t DriveAttributes(const Drive& drive)
{
    return kFileSystemFolder | (drive.removable ? attr::kRemovable : 0u);
}

bool HasSubdirectory(const std::string& path)
{
    DIR* dir = ::opendir(path.c_str());
    if (!dir)
        return false;
    bool found = false;
    while (dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if (entry->d_type == DT_DIR) {
            found = true;
            break;
        }
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat st {};
            if (::fstatat(::dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode)) {
                found = true;
                break;
            }
        }
    }
    ::closedir(dir);
    return found;
}

} // namespace

ShellNamespace::ShellNamespace(Environment env) : m_env(std::move(env)) {}

std::string ShellNamespace::DesktopDirectory() const
{
    return UserDirectory(m_env, "XDG_DESKTOP_DIR", "Desktop");
}

std::string ShellNamespace::DocumentsDirectory() const
{
    return UserDirectory(m_env, "XDG_DOCUMENTS_DIR", "Documents");
}

std::vector<Drive> ShellNamespace::Drives() const
{
    const auto text = ReadSmallFile(m_env.mountInfoPath, Links::Refuse, kMountTableLimit);
    std::vector<Drive> drives = DrivesFromMountInfo(text ? std::string_view(*text) : std::string_view(), m_env.diskByLabelDir);
    // A mount over a file (a bind-mounted configuration file) is no drive.
    std::vector<Drive> folders;
    folders.reserve(drives.size());
    for (auto& drive : drives)
        if (drive.mountPath == "/" || IsDirectory(drive.mountPath))
            folders.push_back(std::move(drive));
    char letter = 'C';
    for (auto& drive : folders) {
        drive.letter = letter <= 'Z' ? letter : 0;
        if (letter <= 'Z')
            ++letter;
    }
    return folders;
}

std::optional<std::string> ShellNamespace::FileSystemPath(const ItemIdList& id) const
{
    if (id.IsEmpty())
        return DesktopDirectory();
    const auto& items = id.Items();
    std::string path;
    std::size_t next = 1;
    const ItemId& first = items[0];
    switch (first.kind) {
    case ItemId::Kind::Entry:
        path = DesktopDirectory();
        next = 0;
        break;
    case ItemId::Kind::Special:
        if (first.key == kHome) {
            path = m_env.home;
        } else if (first.key == kDocuments) {
            path = DocumentsDirectory();
        } else if (first.key == kComputer || first.key == kNetwork || first.key == kTrash) {
            if (items.size() < 2)
                return std::nullopt;
            const ItemId& second = items[1];
            const bool fits = (first.key == kComputer && second.kind == ItemId::Kind::Drive)
                || (first.key == kNetwork && second.kind == ItemId::Kind::NetworkDrive)
                || (first.key == kTrash && second.kind == ItemId::Kind::TrashEntry);
            if (!fits || second.key.empty())
                return std::nullopt;
            if (first.key == kTrash) {
                if (second.key.find('/') != std::string::npos || second.key == "." || second.key == "..")
                    return std::nullopt;
                path = PathJoin(PathJoin(TrashDirectory(m_env), "files"), second.key);
            } else {
                if (second.key.front() != '/')
                    return std::nullopt;
                path = second.key;
            }
            next = 2;
        } else {
            return std::nullopt;
        }
        break;
    default:
        return std::nullopt;
    }
    for (std::size_t i = next; i < items.size(); ++i) {
        const ItemId& item = items[i];
        // An entry is one name: never a separator, never a step up or in place.
        if (item.kind != ItemId::Kind::Entry || item.key.empty() || item.key.find('/') != std::string::npos
            || item.key == "." || item.key == "..")
            return std::nullopt;
        path = PathJoin(path, item.key);
    }
    return path;
}

std::optional<ShellNamespace::Folder> ShellNamespace::Bind(const ItemIdList& id) const
{
    Folder folder;
    if (id.IsEmpty()) {
        folder.kind = Folder::Kind::Desktop;
        folder.directory = DesktopDirectory();
        folder.attributes = kFileSystemFolder;
        return folder;
    }
    const ItemId& first = id[0];
    if (id.Count() == 1 && first.kind == ItemId::Kind::Special) {
        if (first.key == kComputer) {
            folder.kind = Folder::Kind::Computer;
            folder.attributes = attr::kFolder | attr::kFileSysAncestor;
            return folder;
        }
        if (first.key == kNetwork) {
            folder.kind = Folder::Kind::Network;
            folder.attributes = attr::kFolder | attr::kFileSysAncestor;
            return folder;
        }
        if (first.key == kTrash) {
            folder.kind = Folder::Kind::Trash;
            folder.attributes = attr::kFolder;
            return folder;
        }
    }
    if (first.kind == ItemId::Kind::Special && id.Count() >= 2
        && (first.key == kComputer || first.key == kNetwork)) {
        // A drive must still be mounted to be opened.
        const auto drives = Drives();
        const Drive* drive = FindDrive(drives, id[1].key);
        if (!drive || (first.key == kNetwork && !drive->network))
            return std::nullopt;
        if (id.Count() == 2)
            folder.attributes = DriveAttributes(*drive) | (first.key == kNetwork ? attr::kLink : 0u);
    }
    auto path = FileSystemPath(id);
    if (!path || !IsDirectory(*path))
        return std::nullopt;
    folder.kind = Folder::Kind::Directory;
    folder.directory = std::move(*path);
    if (folder.attributes == 0)
        folder.attributes = kFileSystemFolder;
    return folder;
}

std::optional<std::uint32_t> ShellNamespace::Attributes(const ItemIdList& id, bool withHasSubfolder) const
{
    std::uint32_t attributes = 0;
    if (id.IsEmpty()) {
        attributes = kFileSystemFolder;
        if (withHasSubfolder)
            attributes |= attr::kHasSubfolder; // Computer is always there
        return attributes;
    }
    const ItemId& last = id.Last();
    if (id.Count() == 1 && last.kind == ItemId::Kind::Special) {
        if (last.key == kComputer || last.key == kNetwork) {
            attributes = attr::kFolder | attr::kFileSysAncestor;
            if (withHasSubfolder) {
                const auto drives = Drives();
                const bool any = last.key == kComputer
                    || std::any_of(drives.begin(), drives.end(), [](const Drive& d) { return d.network; });
                if (any)
                    attributes |= attr::kHasSubfolder;
            }
            return attributes;
        }
        if (last.key == kTrash)
            return attr::kFolder;
        if (last.key != kHome && last.key != kDocuments)
            return std::nullopt;
    }
    if (id.Count() == 2 && (last.kind == ItemId::Kind::Drive || last.kind == ItemId::Kind::NetworkDrive)) {
        const auto drives = Drives();
        const Drive* drive = FindDrive(drives, last.key);
        if (!drive)
            return std::nullopt;
        attributes = DriveAttributes(*drive) | (last.kind == ItemId::Kind::NetworkDrive ? attr::kLink : 0u);
    } else {
        const auto path = FileSystemPath(id);
        if (!path)
            return std::nullopt;
        struct stat st {};
        if (::lstat(path->c_str(), &st) != 0)
            return std::nullopt;
        attributes = attr::kFileSystem;
        if (S_ISDIR(st.st_mode))
            attributes |= attr::kFolder | attr::kFileSysAncestor;
        else if (S_ISLNK(st.st_mode))
            attributes |= attr::kLink;
    }
    if (withHasSubfolder && (attributes & attr::kFolder)) {
        if (const auto path = FileSystemPath(id); path && HasSubdirectory(*path))
            attributes |= attr::kHasSubfolder;
    }
    return attributes;
}

std::optional<std::string> ShellNamespace::DisplayName(const ItemIdList& id) const
{
    if (id.IsEmpty())
        return std::string("Desktop");
    const ItemId& last = id.Last();
    switch (last.kind) {
    case ItemId::Kind::Special:
        if (last.key == kComputer || last.key == kHome || last.key == kDocuments || last.key == kNetwork
            || last.key == kTrash)
            return last.key;
        return std::nullopt;
    case ItemId::Kind::Drive:
    case ItemId::Kind::NetworkDrive: {
        const auto drives = Drives();
        if (const Drive* drive = FindDrive(drives, last.key))
            return drive->DisplayName();
        return std::string(LastComponent(last.key));
    }
    case ItemId::Kind::TrashEntry:
        return TrashOriginalName(m_env, last.key);
    case ItemId::Kind::Entry:
        return last.key;
    }
    return std::nullopt;
}

std::optional<std::string> ShellNamespace::ParsingName(const ItemIdList& id) const
{
    if (id.Count() == 1 && id[0].kind == ItemId::Kind::Special) {
        if (id[0].key == kComputer)
            return std::string("::{Computer}");
        if (id[0].key == kNetwork)
            return std::string("::{Network}");
        if (id[0].key == kTrash)
            return std::string("::{Trash}");
    }
    return FileSystemPath(id);
}

DirectoryReadResult ShellNamespace::ReadDirectory(const std::string& path, std::uint32_t flags,
                                                  const std::atomic<bool>* cancel,
                                                  const std::function<void(FindData&&)>& sink) const
{
    if (m_directoryReader)
        return m_directoryReader(path, flags, cancel, sink);
    return bivora::ReadDirectory(path, flags, cancel, sink);
}

std::optional<std::vector<ShellNamespace::Child>> ShellNamespace::EnumerateVirtual(const Folder& folder,
                                                                                   std::uint32_t flags,
                                                                                   const std::atomic<bool>* cancel) const
{
    const auto cancelled = [cancel] { return cancel && cancel->load(std::memory_order_relaxed); };
    std::vector<Child> children;
    const bool folders = (flags & enumflags::kFolders) != 0;
    const bool nonFolders = (flags & enumflags::kNonFolders) != 0;
    auto special = [&](std::string_view key, std::uint32_t attributes) {
        if (!folders)
            return;
        Child child;
        child.id = {ItemId::Kind::Special, std::string(key)};
        child.attributes = attributes;
        child.name = std::string(key);
        child.displayName = child.name;
        children.push_back(std::move(child));
    };
    switch (folder.kind) {
    case Folder::Kind::Desktop:
        special(kComputer, attr::kFolder | attr::kFileSysAncestor);
        special(kHome, kFileSystemFolder);
        special(kDocuments, kFileSystemFolder);
        special(kNetwork, attr::kFolder | attr::kFileSysAncestor);
        special(kTrash, attr::kFolder);
        return children;
    case Folder::Kind::Computer:
    case Folder::Kind::Network: {
        if (!folders)
            return children;
        const bool network = folder.kind == Folder::Kind::Network;
        for (const Drive& drive : Drives()) {
            if (cancelled())
                return std::nullopt;
            if (network && !drive.network)
                continue;
            Child child;
            child.id = {network ? ItemId::Kind::NetworkDrive : ItemId::Kind::Drive, drive.mountPath};
            child.attributes = DriveAttributes(drive) | (network ? attr::kLink : 0u);
            child.name = drive.DisplayName();
            child.displayName = child.name;
            children.push_back(std::move(child));
        }
        return children;
    }
    case Folder::Kind::Trash: {
        const std::string trash = TrashDirectory(m_env);
        const std::string infoDir = PathJoin(trash, "info");
        const std::string filesDir = PathJoin(trash, "files");
        DIR* dir = ::opendir(infoDir.c_str());
        if (!dir)
            return children; // no trash yet: an empty Trash
        constexpr std::string_view kSuffix = ".trashinfo";
        while (dirent* entry = ::readdir(dir)) {
            if (cancelled()) {
                ::closedir(dir);
                return std::nullopt;
            }
            const std::string_view infoName = entry->d_name;
            if (infoName.size() <= kSuffix.size() || infoName.substr(infoName.size() - kSuffix.size()) != kSuffix)
                continue;
            const std::string trashName(infoName.substr(0, infoName.size() - kSuffix.size()));
            struct stat st {};
            if (::lstat(PathJoin(filesDir, trashName).c_str(), &st) != 0)
                continue; // an info file whose item is gone
            const bool isFolder = S_ISDIR(st.st_mode);
            if ((isFolder && !folders) || (!isFolder && !nonFolders))
                continue;
            Child child;
            child.name = TrashOriginalName(m_env, trashName);
            if (!(flags & enumflags::kIncludeHidden) && !child.name.empty() && child.name.front() == '.')
                continue;
            child.id = {ItemId::Kind::TrashEntry, trashName};
            child.attributes = attr::kFileSystem | (isFolder ? attr::kFolder | attr::kFileSysAncestor : 0u)
                | (S_ISLNK(st.st_mode) ? attr::kLink : 0u);
            child.displayName = child.name;
            FindData find;
            if (StatEntry(PathJoin(filesDir, trashName), find)) {
                find.name.clear(); // the record keeps the original name
                if (isFolder)
                    find.size = 0;
                child.find = std::move(find);
            }
            children.push_back(std::move(child));
        }
        ::closedir(dir);
        return children;
    }
    case Folder::Kind::Directory:
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<ItemIdList> ShellNamespace::ParsePath(std::string_view text) const
{
    if (text == "::{Computer}" || text == "::{Network}" || text == "::{Trash}") {
        const std::string_view key = text.substr(3, text.size() - 4);
        return ItemIdList({ItemId{ItemId::Kind::Special, std::string(key)}});
    }
    if (text == "::{Desktop}")
        return ItemIdList();
    std::string absolute;
    if (text == "~")
        absolute = m_env.home;
    else if (text.rfind("~/", 0) == 0)
        absolute = PathJoin(m_env.home, text.substr(2));
    else if (!text.empty() && text.front() == '/')
        absolute = std::string(text);
    else
        return std::nullopt;

    const std::vector<std::string> parts = NormalComponents(absolute);
    const std::string normal = JoinComponents(parts);
    struct stat st {};
    if (::lstat(normal.c_str(), &st) != 0)
        return std::nullopt;

    // The drive whose mount path is the longest prefix of the path, component-wise.
    const auto drives = Drives();
    const Drive* best = nullptr;
    std::size_t bestDepth = 0;
    for (const Drive& drive : drives) {
        const auto mountParts = NormalComponents(drive.mountPath);
        if (mountParts.size() > parts.size() || !std::equal(mountParts.begin(), mountParts.end(), parts.begin()))
            continue;
        if (!best || mountParts.size() > bestDepth) {
            best = &drive;
            bestDepth = mountParts.size();
        }
    }
    if (!best)
        return std::nullopt;
    ItemIdList id({ItemId{ItemId::Kind::Special, std::string(kComputer)}, ItemId{ItemId::Kind::Drive, best->mountPath}});
    for (std::size_t i = bestDepth; i < parts.size(); ++i)
        id.Append({ItemId::Kind::Entry, parts[i]});
    return id;
}

std::optional<ItemIdList> ShellNamespace::ResolveLinkToFolder(const std::string& linkPath) const
{
    const auto real = RealPath(linkPath); // fails on loops and dangling links
    if (!real || !IsDirectory(*real))
        return std::nullopt;
    return ParsePath(*real);
}

std::optional<ItemIdList> ShellNamespace::SpecialFolderId(SpecialFolder which) const
{
    switch (which) {
    case SpecialFolder::DesktopDirectory:
        return ParsePath(DesktopDirectory());
    case SpecialFolder::Documents:
        return ItemIdList({ItemId{ItemId::Kind::Special, std::string(kDocuments)}});
    case SpecialFolder::Network:
        return ItemIdList({ItemId{ItemId::Kind::Special, std::string(kNetwork)}});
    }
    return std::nullopt;
}

} // namespace bivora
