#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bivora {

// What the command line chooses: the settings key and the panes' start folders.
struct CommandLine {
    std::string applicationKey;    // the default key, extended by a /s: switch
    std::string leftStartFolder;   // first plain argument; empty when none
    std::string rightStartFolder;  // second plain argument; empty when none
};

// Reads the arguments after the program name, in order. The first argument of the
// form /s:text or -s:text (either case of s) appends text to the key; any later
// switch is a plain argument. The first two plain arguments are the start folders,
// further ones are ignored.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments, std::string_view defaultKey);

} // namespace bivora
