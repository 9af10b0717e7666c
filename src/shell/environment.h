#pragma once

#include <string>

namespace bivora {

// Where the program finds the user's folders and the system's tables. Tests
// make one that points into a temporary tree.
struct Environment {
    std::string home;                                   // $HOME
    std::string xdgConfigHome;                          // $XDG_CONFIG_HOME, else home + "/.config"
    std::string xdgDataHome;                            // $XDG_DATA_HOME, else home + "/.local/share"; the home trash is its "Trash"
    std::string tmpDir;                                 // $TMPDIR, else "/tmp"
    std::string mountInfoPath = "/proc/self/mountinfo"; // the mount table
    std::string diskByLabelDir = "/dev/disk/by-label";  // volume labels as links to devices

    static Environment FromProcess();
};

} // namespace bivora
