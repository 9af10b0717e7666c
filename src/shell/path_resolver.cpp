#include "shell/path_resolver.h"

#include "shell/item_info.h"

#include "base/path_text.h"
#include "shell/shell_namespace.h"

#include <climits>
#include <cstdlib>
#include <memory>

#include <sys/stat.h>

namespace bivora {

namespace {

using namespace resolve;

std::string_view TrimSpaces(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// A pasted line feed or tab, an escape sequence or a NUL is no part of a path anyone
// means to type; a NUL would even cut the path short on its way to the system.
bool HasControlBytes(std::string_view text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f)
            return true;
    }
    return false;
}

bool HasWildcard(std::string_view text)
{
    return text.find_first_of("*?") != std::string_view::npos;
}

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDirectory(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Something other than a folder is there: a file, a device, or a link that leads
// nowhere (listed like any file).
bool IsNonFolder(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return !S_ISDIR(st.st_mode);
    return ::lstat(path.c_str(), &st) == 0;
}

// The folder a change of directory into path would end in (links followed, ".."
// taken physically), as the kernel's path walk gives it; nullopt when there is none.
std::optional<std::string> EnteredFolder(const std::string& path)
{
    std::optional<std::string> real = RealPath(path);
    if (!real || !IsDirectory(*real))
        return std::nullopt;
    return real;
}

// A typed folder text made absolute, with how it was written.
struct Expanded {
    std::string path;
    bool enter = false; // resolve as a change of directory would (relative and drive-relative forms)
    std::uint32_t form = kAbsolute;
};

std::optional<Expanded> Expand(const ShellNamespace& ns, std::string_view text, std::string_view baseFolder,
                               const DriveFolders& driveFolders)
{
    if (text.size() >= 2 && text[1] == ':' && IsAsciiLetter(text[0])) {
        const char letter = static_cast<char>(text[0] & ~0x20); // upper case
        for (const Drive& drive : ns.Drives()) {
            if (drive.letter != letter)
                continue;
            const std::string_view rest = text.substr(2);
            if (!rest.empty() && rest.front() == '/')
                return Expanded{PathJoin(drive.mountPath, rest.substr(1)), false, kAbsolute};
            const auto remembered = driveFolders.find(drive.mountPath);
            const std::string& start = remembered != driveFolders.end() ? remembered->second : drive.mountPath;
            return Expanded{rest.empty() ? start : PathJoin(start, rest), true, kAbsolute};
        }
        return std::nullopt;
    }
    if (text == "~")
        return Expanded{ns.Env().home, false, kAbsolute};
    if (text.starts_with("~/"))
        return Expanded{PathJoin(ns.Env().home, text.substr(2)), false, kAbsolute};
    if (!text.empty() && text.front() == '/')
        return Expanded{std::string(text), false, kAbsolute};
    if (baseFolder.empty())
        return std::nullopt; // relative to a virtual folder: nothing to stand on
    return Expanded{PathJoin(baseFolder, text), true, kRelative};
}

ResolvedPath Failure()
{
    return ResolvedPath{kError, std::nullopt, {}, {}, {}};
}

} // namespace

ResolvedPath ResolvePath(const ShellNamespace& ns, std::string_view text, std::string_view baseFolder,
                         const DriveFolders& driveFolders)
{
    text = TrimSpaces(text);
    if (text.empty())
        return ResolvedPath{kFolder | kCurrentFolder, std::nullopt, {}, {}, {}};
    if (text.size() >= PATH_MAX || HasControlBytes(text))
        return Failure();

    if (text.starts_with("::")) {
        auto id = ns.ParsePath(text);
        if (!id)
            return Failure();
        return ResolvedPath{kFolder | kAbsolute, std::move(id), std::string(text), {}, {}};
    }

    ResolvedPath result;
    std::string_view folderText = text;
    if (HasWildcard(text)) {
        const std::size_t slash = text.rfind('/');
        folderText = slash == std::string_view::npos ? std::string_view() : text.substr(0, slash + 1);
        result.filter = std::string(slash == std::string_view::npos ? text : text.substr(slash + 1));
        if (HasWildcard(folderText))
            return Failure();
        result.flags = kPattern;
        if (folderText.empty()) {
            result.flags |= kCurrentFolder;
            return result;
        }
    }

    const auto expanded = Expand(ns, folderText, baseFolder, driveFolders);
    if (!expanded)
        return Failure();
    const bool file = !(result.flags & kPattern) && IsNonFolder(expanded->path);
    std::string folder = file ? std::string(ParentFolder(expanded->path)) : expanded->path;
    if (expanded->enter) {
        auto entered = EnteredFolder(folder);
        if (!entered)
            return Failure();
        folder = std::move(*entered);
    } else if (!IsDirectory(folder)) {
        return Failure();
    }

    const std::string name(file ? LastComponent(expanded->path) : std::string_view());
    result.id = ns.ParsePath(file ? PathJoin(folder, name) : folder);
    if (!result.id)
        return Failure();
    // The canonical path of the list: "/etc/../usr" is "/usr".
    const auto path = ns.FileSystemPath(*result.id);
    if (!path)
        return Failure();
    if (file) {
        result.flags |= kFile;
        result.folderPath = std::string(ParentFolder(*path));
        result.fileName = name;
    } else {
        if (!(result.flags & kPattern))
            result.flags |= kFolder;
        result.folderPath = *path;
    }
    // "name.txt" alone names a file in the base folder: no folder part was typed
    const bool bareName = file && expanded->form == kRelative && text.find('/') == std::string_view::npos;
    result.flags |= bareName ? kCurrentFolder : expanded->form;
    return result;
}

std::string FolderPathOf(const ShellNamespace& ns, std::string_view text, std::string_view baseFolder,
                         const DriveFolders& driveFolders)
{
    const ResolvedPath resolved = ResolvePath(ns, text, baseFolder, driveFolders);
    if (!(resolved.flags & resolve::kFolder) || !resolved.id)
        return {};
    return resolved.folderPath;
}

} // namespace bivora
