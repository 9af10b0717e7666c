#pragma once

#include <string>

namespace bivora::test {

// A temporary folder removed with everything in it when the object goes, by byte
// names, so that files whose names are not UTF-8 go too.
class ByteTempDir {
public:
    ByteTempDir();
    ~ByteTempDir();
    ByteTempDir(const ByteTempDir&) = delete;
    ByteTempDir& operator=(const ByteTempDir&) = delete;

    const std::string& Path() const { return m_path; }
    // Writes a file below the folder (parents must exist) with the mode; returns its path.
    std::string MakeFile(const std::string& relative, const std::string& content, unsigned mode = 0644) const;
    // Creates a folder and its parents below the folder; returns its path.
    std::string MakeDir(const std::string& relative) const;

private:
    std::string m_path;
};

} // namespace bivora::test
