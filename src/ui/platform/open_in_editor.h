#pragma once

#include <QString>

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
// Without an external editor the file goes to the desktop's default application; the
// program has no viewer or editor of its own yet.
//
// Returns an empty text when something was started or the user declined, else the
// alert to show. GUI thread (the default application is asked through the launcher).
QString OpenInEditor(const std::string& path, bool readOnly, bool forceInternal, GeneralSettings& settings,
                     Launcher& launcher, Prompts& prompts, QWidget* parent);

} // namespace bivora
