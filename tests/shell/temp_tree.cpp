#include "temp_tree.h"

#include "base/path_text.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace bivora::test {

namespace fs = std::filesystem;

TempTree::TempTree()
{
    std::string pattern = (fs::temp_directory_path() / "bivora-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    m_root = pattern;
}

TempTree::~TempTree()
{
    std::error_code error;
    // Give back search and write rights that a test took away, so everything can go.
    for (auto it = fs::recursive_directory_iterator(m_root, fs::directory_options::skip_permission_denied, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_directory(error) && !it->is_symlink(error))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
    fs::permissions(m_root, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(m_root, error);
}

std::string TempTree::Path(std::string_view relative) const
{
    return relative.empty() ? m_root : PathJoin(m_root, relative);
}

std::string TempTree::MakeDir(std::string_view relative) const
{
    const std::string path = Path(relative);
    fs::create_directories(path);
    return path;
}

std::string TempTree::MakeFile(std::string_view relative, std::string_view content) const
{
    const std::string path = Path(relative);
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return path;
}

std::string TempTree::MakeFile(std::string_view relative, std::string_view content, unsigned mode) const
{
    const std::string path = MakeFile(relative, content);
    if (::chmod(path.c_str(), static_cast<mode_t>(mode)) != 0)
        throw std::runtime_error("cannot set the mode of a file");
    return path;
}

std::string TempTree::MakeLink(std::string_view relative, std::string_view target) const
{
    const std::string path = Path(relative);
    fs::create_directories(fs::path(path).parent_path());
    if (::symlink(std::string(target).c_str(), path.c_str()) != 0)
        throw std::runtime_error("cannot make a link");
    return path;
}

Environment TempTree::MakeEnvironment() const
{
    Environment env;
    env.home = MakeDir("home");
    env.xdgConfigHome = MakeDir("home/.config");
    env.xdgDataHome = MakeDir("home/.local/share");
    env.tmpDir = MakeDir("tmp");
    env.mountInfoPath = Path("mountinfo");
    env.diskByLabelDir = Path("by-label");
    if (!fs::exists(env.mountInfoPath))
        WriteMountTable(MountLine(27, "/", "ext4", "/dev/vda"));
    return env;
}

void TempTree::WriteMountTable(std::string_view text) const
{
    MakeFile("mountinfo", text);
}

std::string MountLine(int id, std::string_view mountPath, std::string_view fsType, std::string_view device)
{
    return std::to_string(id) + " 1 8:1 / " + std::string(mountPath) + " rw,relatime - " + std::string(fsType) + " "
        + std::string(device) + " rw\n";
}

} // namespace bivora::test
