#pragma once

#include <QString>

#include <functional>
#include <string>

class QWidget;

namespace bivora {

class Launcher;
class Prompts;
struct GeneralSettings;

// Opens a file for View (readOnly) or Edit. With the external editor chosen in the
// options (and forceInternal clear: Ctrl held) the editor program is started with the
// path as its one argument, byte for byte, in the file's folder. When it cannot start,
// the user is asked "There was an error launching the external editor\n<editor>\nUse
// the internal applet instead?": No ends it there, Yes turns the external editor off
// for the rest of the run (and in the stored settings at exit) and goes on as without it.
// Without an external editor (or with Ctrl held) the file opens in the program's own
// viewer or editor through openInternal; when that cannot make a window the warning
// beep sounds. Without openInternal the desktop's default application stands in.
//
// Returns an empty text when something was started or the user declined, else the
// alert to show. GUI thread (the default application is asked through the launcher).
using InternalEditor = std::function<bool(const std::string& path, bool readOnly)>;
QString OpenInEditor(const std::string& path, bool readOnly, bool forceInternal, GeneralSettings& settings,
                     Launcher& launcher, Prompts& prompts, QWidget* parent, const InternalEditor& openInternal = {});

} // namespace bivora
