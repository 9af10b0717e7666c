#include "byte_temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <ftw.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace bivora::test {

namespace {
int RemoveEntry(const char* path, const struct stat*, int, struct FTW*)
{
    ::chmod(path, 0700); // a folder a test made read-only still goes
    return ::remove(path) == 0 ? 0 : 0;
}
} // namespace

ByteTempDir::ByteTempDir()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/bivora-test-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

ByteTempDir::~ByteTempDir()
{
    ::nftw(m_path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string ByteTempDir::MakeFile(const std::string& relative, const std::string& content, unsigned mode) const
{
    const std::string path = m_path + "/" + relative;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
    ::chmod(path.c_str(), mode);
    return path;
}

std::string ByteTempDir::MakeDir(const std::string& relative) const
{
    std::string path = m_path;
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = relative.find('/', start);
        if (end == std::string::npos)
            end = relative.size();
        path += "/" + relative.substr(start, end - start);
        ::mkdir(path.c_str(), 0755);
        start = end + 1;
    }
    return path;
}

} // namespace bivora::test
