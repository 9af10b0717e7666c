// The freedesktop trash: the home trash, and a trash at the top of every other drive.
#include "shell/trash.h"

#include "base/path_text.h"
#include "shell/environment.h"
#include "shell/item_info.h"
#include "shell/shell_namespace.h"
#include "shell/small_file.h"
#include "shell/unique_fd.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bivora {

namespace {

// As long as the namespace allows a mount table to be.
constexpr std::size_t kMountTableLimit = std::size_t(64) << 20;
constexpr std::string_view kInfoSuffix = ".trashinfo";
constexpr std::size_t kNameMax = 255;

struct TrashDir {
    std::string path;
    std::string topdir; // empty for the home trash: its Path= lines are absolute
};

// Percent-encodes a path for a Path= line: everything but the unreserved characters
// and "/" as %XX, so that blanks, newlines, "%" and bytes that are no UTF-8 survive.
std::string PercentEncode(std::string_view path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (const char c : path) {
        const auto b = static_cast<unsigned char>(c);
        const bool plain = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '-'
            || b == '.' || b == '_' || b == '~' || b == '/';
        if (plain) {
            out.push_back(c);
        } else {
            out.push_back('%');
            out.push_back(kHex[b >> 4]);
            out.push_back(kHex[b & 15]);
        }
    }
    return out;
}

std::string InfoText(std::string_view originalPath)
{
    char date[32] = {};
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    if (::localtime_r(&now, &local))
        std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    std::string text = "[Trash Info]\nPath=";
    text += PercentEncode(originalPath);
    text += "\nDeletionDate=";
    text += date;
    text += '\n';
    return text;
}

// The name the item gets in the trash: its own, shortened (never inside a UTF-8
// sequence) so that the info file's name fits, with ".N" before the extension for
// the Nth try.
std::string TrashName(std::string_view name, unsigned attempt)
{
    std::string_view stem = name;
    std::string_view ext;
    if (const auto dot = name.rfind('.'); dot != std::string_view::npos && dot > 0) {
        stem = name.substr(0, dot);
        ext = name.substr(dot);
    }
    const std::string counter = attempt > 1 ? "." + std::to_string(attempt) : std::string();
    const std::size_t room = kNameMax - kInfoSuffix.size();
    if (ext.size() + counter.size() > room / 2)
        ext = {}; // an extension that long is no extension worth keeping
    std::string_view whole = ext.empty() ? name : stem;
    const std::size_t keep = room - ext.size() - counter.size();
    if (whole.size() > keep) {
        std::size_t cut = keep;
        while (cut > 0 && (static_cast<unsigned char>(whole[cut]) & 0xC0) == 0x80)
            --cut;
        whole = whole.substr(0, cut);
    }
    std::string out(whole);
    out += counter;
    out += ext;
    return out;
}

// A trash folder that is ours: a real folder (not a link) owned by us.
bool IsOwnFolder(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

// Creates the folder (mode 0700) unless it is there; true when it is a real folder then.
bool EnsureFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool EnsureParents(const std::string& path)
{
    if (path.empty() || path == "/")
        return true;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) || (S_ISLNK(st.st_mode) && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
    const auto slash = path.rfind('/');
    if (slash != std::string::npos && !EnsureParents(path.substr(0, slash == 0 ? 1 : slash)))
        return false;
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

// Makes files/ and info/ in a trash folder; the folder's device, or nullopt when the
// trash cannot be used.
std::optional<dev_t> PrepareTrash(const std::string& trash)
{
    if (!EnsureFolder(PathJoin(trash, "files")) || !EnsureFolder(PathJoin(trash, "info")))
        return std::nullopt;
    struct stat st {};
    if (::stat(PathJoin(trash, "files").c_str(), &st) != 0)
        return std::nullopt;
    return st.st_dev;
}

// The device the home trash lies on, or would lie on once created.
std::optional<dev_t> HomeTrashDevice(const std::string& trash)
{
    std::string path = trash;
    struct stat st {};
    while (::stat(path.c_str(), &st) != 0) {
        const auto slash = path.rfind('/');
        if (slash == std::string::npos || path == "/")
            return std::nullopt;
        path = slash == 0 ? std::string("/") : path.substr(0, slash);
    }
    return st.st_dev;
}

// The trash at the top of the item's drive: $topdir/.Trash/$uid when .Trash is a
// sticky folder (not a link), else $topdir/.Trash-$uid.
std::optional<TrashDir> TopdirTrash(const Environment& env, const std::string& folder, dev_t device)
{
    const auto real = RealPath(folder);
    if (!real)
        return std::nullopt;
    const auto table = ReadSmallFile(env.mountInfoPath, Links::Refuse, kMountTableLimit);
    const std::string topdir = MountPointOf(table ? std::string_view(*table) : std::string_view(), *real);
    const std::string uid = std::to_string(::getuid());

    auto usable = [&](const std::string& trash) -> bool {
        const auto trashDevice = PrepareTrash(trash);
        return trashDevice && *trashDevice == device;
    };
    const std::string shared = PathJoin(topdir, ".Trash");
    struct stat st {};
    if (::lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        const std::string mine = PathJoin(shared, uid);
        if (EnsureFolder(mine) && IsOwnFolder(mine) && usable(mine))
            return TrashDir{mine, topdir};
    }
    const std::string own = PathJoin(topdir, ".Trash-" + uid);
    if (EnsureFolder(own) && IsOwnFolder(own) && usable(own))
        return TrashDir{own, topdir};
    return std::nullopt;
}

// The home trash when it lies on the item's drive, made when missing; error is why it
// cannot be used (0 when it can).
struct HomeTrashFound {
    TrashDir dir;
    int error = 0;
};
std::optional<HomeTrashFound> HomeTrash(const Environment& env, dev_t device)
{
    if (env.xdgDataHome.empty() || env.xdgDataHome.front() != '/')
        return std::nullopt;
    HomeTrashFound home{{PathJoin(env.xdgDataHome, "Trash"), {}}, 0};
    if (HomeTrashDevice(home.dir.path) != device)
        return std::nullopt;
    errno = 0;
    if (!EnsureParents(env.xdgDataHome) || !EnsureFolder(home.dir.path) || PrepareTrash(home.dir.path) != device)
        home.error = errno ? errno : EXDEV;
    return home;
}

// Moves the item into files/ of the trash under a name no other item there has:
// the info file, created exclusively, reserves the name. EXDEV when the rename would
// leave the mount (the next trash is tried then).
TrashOutcome MoveInto(const TrashDir& trash, const std::string& path, std::string_view name)
{
    std::string original = path;
    if (!trash.topdir.empty() && trash.topdir != "/" && path.rfind(trash.topdir + "/", 0) == 0)
        original = path.substr(trash.topdir.size() + 1);
    const std::string text = InfoText(original);
    const std::string infoDir = PathJoin(trash.path, "info");
    const std::string filesDir = PathJoin(trash.path, "files");
    for (unsigned attempt = 1; attempt < 10000; ++attempt) {
        const std::string trashName = TrashName(name, attempt);
        const std::string infoPath = PathJoin(infoDir, trashName + std::string(kInfoSuffix));
        UniqueFd fd(::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (!fd.Valid()) {
            if (errno == EEXIST)
                continue;
            return {TrashOutcome::Kind::Failed, errno, {}};
        }
        const ssize_t written = ::write(fd.Get(), text.data(), text.size());
        const int writeError = errno;
        if (written != static_cast<ssize_t>(text.size()) || ::close(fd.Release()) != 0) {
            const int error = written < 0 ? writeError : (written != static_cast<ssize_t>(text.size()) ? ENOSPC : errno);
            ::unlink(infoPath.c_str());
            return {TrashOutcome::Kind::Failed, error, {}};
        }
        // An item left in files/ without its info file is never replaced.
        const std::string target = PathJoin(filesDir, trashName);
        int result = ::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE);
        if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
            struct stat st {};
            if (::lstat(target.c_str(), &st) == 0)
                errno = EEXIST;
            else
                result = ::rename(path.c_str(), target.c_str());
        }
        if (result == 0)
            return {TrashOutcome::Kind::Trashed, 0, target};
        const int error = errno;
        ::unlink(infoPath.c_str());
        if (error == EEXIST)
            continue;
        return {TrashOutcome::Kind::Failed, error, {}};
    }
    return {TrashOutcome::Kind::Failed, EEXIST, {}};
}

} // namespace

TrashOutcome PutInTrash(const std::string& path, const Environment& env)
{
    std::string item = path;
    while (item.size() > 1 && item.back() == '/')
        item.pop_back();
    if (item.empty() || item.front() != '/' || item == "/")
        return {TrashOutcome::Kind::Failed, EINVAL, {}};
    const std::string_view name = LastComponent(item);
    if (name == "." || name == "..")
        return {TrashOutcome::Kind::Failed, EINVAL, {}};
    struct stat st {};
    if (::lstat(item.c_str(), &st) != 0)
        return {TrashOutcome::Kind::Failed, errno, {}};
    // the rename moves the entry of the folder holding it: that folder's drive counts
    const std::string folder = item.substr(0, item.size() - name.size() - 1);
    struct stat parent {};
    if (::stat(folder.empty() ? "/" : folder.c_str(), &parent) != 0)
        return {TrashOutcome::Kind::Failed, errno, {}};

    const std::string holder = folder.empty() ? std::string("/") : folder;
    // An item on the home trash's drive goes to the home trash or nowhere; only a
    // mount of that drive elsewhere (a bind mount), which refuses the rename, falls
    // back to its own top's trash.
    if (const auto home = HomeTrash(env, parent.st_dev)) {
        if (home->error != 0)
            return {TrashOutcome::Kind::NoTrash, home->error, {}};
        TrashOutcome outcome = MoveInto(home->dir, item, name);
        if (outcome.kind == TrashOutcome::Kind::Trashed || outcome.error != EXDEV)
            return outcome;
    }
    const auto top = TopdirTrash(env, holder, parent.st_dev);
    if (!top)
        return {TrashOutcome::Kind::NoTrash, EXDEV, {}};
    TrashOutcome outcome = MoveInto(*top, item, name);
    if (outcome.kind == TrashOutcome::Kind::Failed && outcome.error == EXDEV)
        outcome.kind = TrashOutcome::Kind::NoTrash;
    return outcome;
}

} // namespace bivora
