// Drives from the kernel's mount table: which mounts are drives, their order, letters and labels.
#include "shell/shell_namespace.h"

#include "base/path_text.h"
#include "shell/hex_escapes.h"
#include "shell/item_info.h"

#include <algorithm>
#include <array>
#include <dirent.h>

namespace bivora {

namespace {

// File systems that hold no user data of their own: never shown as drives.
constexpr std::array<std::string_view, 30> kPseudoFileSystems = {
    "proc", "sysfs", "devtmpfs", "devpts", "tmpfs", "cgroup", "cgroup2", "overlay", "squashfs",
    "autofs", "efivarfs", "binfmt_misc", "mqueue", "debugfs", "tracefs", "securityfs", "pstore",
    "bpf", "configfs", "fusectl", "hugetlbfs", "ramfs", "nsfs", "rpc_pipefs", "selinuxfs",
    "fuse.portal", "fuse.gvfsd-fuse", "devfs", "nfsd", "fuse.lxcfs",
};

constexpr std::array<std::string_view, 11> kNetworkFileSystems = {
    "nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "sshfs", "davfs", "fuse.davfs2", "afs", "9p",
};

template <std::size_t N>
bool OneOf(std::string_view value, const std::array<std::string_view, N>& set)
{
    return std::find(set.begin(), set.end(), value) != set.end();
}

// Mount-table fields escape blanks, tabs, newlines and backslashes as \ooo.
std::string UnescapeOctal(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size()) {
            const char a = text[i + 1], b = text[i + 2], c = text[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
                out.push_back(static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (c - '0')));
                i += 3;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

std::vector<std::string_view> SplitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && line[pos] == ' ')
            ++pos;
        if (pos >= line.size())
            break;
        const std::size_t end = line.find(' ', pos);
        fields.push_back(line.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos));
        pos = end == std::string_view::npos ? line.size() : end;
    }
    return fields;
}

bool IsUnder(std::string_view path, std::string_view top)
{
    return path.size() > top.size() && path.substr(0, top.size()) == top && path[top.size()] == '/';
}

// Labels of /dev/disk/by-label: the link names escape blanks and other bytes as \xHH.
std::string UnescapeHex(std::string_view text)
{
    return DecodeHexEscapes(text, "\\x");
}

} // namespace

std::string Drive::DisplayName() const
{
    std::string name = label;
    if (name.empty())
        name = mountPath == "/" ? std::string("File System") : std::string(LastComponent(mountPath));
    if (letter != 0) {
        name += " (";
        name.push_back(letter);
        name += ":)";
    }
    return name;
}

std::vector<Drive> DrivesFromMountInfo(std::string_view mountInfo, const std::string& byLabelDir)
{
    std::vector<Drive> drives;
    std::size_t pos = 0;
    while (pos < mountInfo.size()) {
        std::size_t end = mountInfo.find('\n', pos);
        if (end == std::string_view::npos)
            end = mountInfo.size();
        const std::string_view line = mountInfo.substr(pos, end - pos);
        pos = end + 1;

        const auto fields = SplitFields(line);
        const auto dash = std::find(fields.begin(), fields.end(), std::string_view("-"));
        if (fields.size() < 6 || dash == fields.end() || fields.end() - dash < 3)
            continue;
        Drive drive;
        drive.mountPath = UnescapeOctal(fields[4]);
        drive.fsType = UnescapeOctal(*(dash + 1));
        drive.device = UnescapeOctal(*(dash + 2));
        if (drive.mountPath.empty() || drive.mountPath.front() != '/')
            continue;
        const bool isRoot = drive.mountPath == "/";
        drive.network = OneOf(drive.fsType, kNetworkFileSystems);
        if (!isRoot && !drive.network) {
            if (OneOf(drive.fsType, kPseudoFileSystems))
                continue;
            const bool blockDevice = drive.device.rfind("/dev/", 0) == 0;
            const bool userFuse = drive.fsType.rfind("fuse", 0) == 0 || drive.fsType == "fuseblk";
            if (!blockDevice && !userFuse)
                continue;
        }
        drive.removable = IsUnder(drive.mountPath, "/media") || IsUnder(drive.mountPath, "/run/media");
        // A later line over the same mount point hides the earlier one.
        drives.erase(std::remove_if(drives.begin(), drives.end(),
                                    [&](const Drive& d) { return d.mountPath == drive.mountPath; }),
                     drives.end());
        drives.push_back(std::move(drive));
    }

    if (std::none_of(drives.begin(), drives.end(), [](const Drive& d) { return d.mountPath == "/"; })) {
        Drive root;
        root.mountPath = "/";
        drives.push_back(root);
    }
    std::sort(drives.begin(), drives.end(), [](const Drive& a, const Drive& b) {
        if ((a.mountPath == "/") != (b.mountPath == "/"))
            return a.mountPath == "/";
        return a.mountPath < b.mountPath;
    });

    if (!byLabelDir.empty()) {
        if (DIR* dir = ::opendir(byLabelDir.c_str())) {
            while (dirent* entry = ::readdir(dir)) {
                const std::string_view name = entry->d_name;
                if (name == "." || name == "..")
                    continue;
                const auto target = RealPath(PathJoin(byLabelDir, name));
                if (!target)
                    continue;
                for (auto& drive : drives) {
                    if (drive.label.empty() && !drive.device.empty() && RealPath(drive.device) == target)
                        drive.label = UnescapeHex(name);
                }
            }
            ::closedir(dir);
        }
    }

    char letter = 'C';
    for (auto& drive : drives) {
        drive.letter = letter <= 'Z' ? letter : 0;
        if (letter <= 'Z')
            ++letter;
    }
    return drives;
}

std::string MountPointOf(std::string_view mountInfo, std::string_view path)
{
    std::string best = "/";
    std::size_t pos = 0;
    while (pos < mountInfo.size()) {
        std::size_t end = mountInfo.find('\n', pos);
        if (end == std::string_view::npos)
            end = mountInfo.size();
        const auto fields = SplitFields(mountInfo.substr(pos, end - pos));
        pos = end + 1;
        if (fields.size() < 5)
            continue;
        std::string mountPath = UnescapeOctal(fields[4]);
        if (mountPath.size() > best.size() && (mountPath == path || IsUnder(path, mountPath)))
            best = std::move(mountPath);
    }
    return best;
}

} // namespace bivora
