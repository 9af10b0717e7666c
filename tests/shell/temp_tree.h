#pragma once

#include "shell/environment.h"

#include <string>
#include <string_view>

namespace bivora::test {

// A temporary folder tree removed with everything in it when the object goes, also
// files whose names are not UTF-8 and folders a test took the rights of. Tests build
// their home, XDG folders, fake mount tables and test files inside it.
class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& Root() const { return m_root; }
    // The path of relative below the root; the root itself for an empty one.
    std::string Path(std::string_view relative = {}) const;

    // Creates a folder (and its parents) below the root; returns its full path.
    std::string MakeDir(std::string_view relative) const;
    // Creates or replaces a file below the root with the given content; returns its full path.
    std::string MakeFile(std::string_view relative, std::string_view content = {}) const;
    // The same, then gives the file the mode (permission bits).
    std::string MakeFile(std::string_view relative, std::string_view content, unsigned mode) const;
    // Creates a symbolic link at relative pointing at target (taken as it is).
    std::string MakeLink(std::string_view relative, std::string_view target) const;

    // An environment whose home, XDG folders and temporary folder lie in this tree, with
    // a mount table file holding just "/" unless the test writes another.
    Environment MakeEnvironment() const;
    // Writes the mount table that MakeEnvironment points at.
    void WriteMountTable(std::string_view text) const;

private:
    std::string m_root;
};

// One mountinfo line for a mount of device (of type fsType) at mountPath.
std::string MountLine(int id, std::string_view mountPath, std::string_view fsType, std::string_view device);

} // namespace bivora::test
