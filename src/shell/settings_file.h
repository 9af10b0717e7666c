#pragma once

#include <functional>
#include <string>

namespace bivora {

// The settings file as the file system sees it. The path may be a link (people keep
// their settings in a dotfiles folder); what is read and replaced is the file it
// leads to, and only when that is a regular file owned by the effective user in a
// folder owned by that user. Anything else (a device, a pipe, a link that leads
// nowhere, a file or folder of another user) is neither read nor written.
struct SettingsFileResult {
    enum class Outcome {
        Done,    // read or replaced
        Missing, // there is no file yet (reading only)
        Refused, // the file is not one the program may read or replace
        Failed,  // the file system said no; error holds errno
    };
    Outcome outcome = Outcome::Done;
    int error = 0;
    std::string target;  // the file the path leads to
    std::string problem; // why it was refused or failed, in words ("is not a regular file")

    bool Ok() const { return outcome == Outcome::Done; }
};

// Reads the whole file into text (left empty unless the outcome is Done).
SettingsFileResult ReadSettingsFile(const std::string& path, std::string& text);

// Replaces the file's text with compose(current), current being the file's text as it
// is now (null when there is none yet), while holding an exclusive lock on its folder,
// so that two runs saving at once take turns and each sees the other's values. The
// text goes to a temporary file beside the target, is synced and renamed over it: a
// link stays a link, and a failure leaves the old file whole. The folders of a path
// that is no link are made (for the user only) when missing. A new file is readable by
// the user only; a replaced one keeps its permissions.
SettingsFileResult UpdateSettingsFile(const std::string& path,
                                      const std::function<std::string(const std::string* current)>& compose);

} // namespace bivora
