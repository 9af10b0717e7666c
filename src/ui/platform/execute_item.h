#pragma once

#include "shell/executable.h"
#include "ui/commands/services.h"

#include <QString>

#include <string>

namespace bivora {

// What executing an item with its default verb came to.
struct ExecuteResult {
    enum class Kind {
        Browse,  // a folder: the caller browses it; nothing was started
        Started, // an executable was started detached in its own folder
        Opened,  // the desktop's default application was asked to open the item
        Failed,  // nothing was started; message says why
    };
    Kind kind = Kind::Failed;
    QString message; // for Failed: the text to show the user

    bool Succeeded() const { return kind != Kind::Failed; }
};

// Executes an item with its default verb: a folder is reported as Browse; an
// executable file (IsExecutableFile) is started detached with its folder as working
// directory; any other file goes to the desktop's default application. A name that
// is not UTF-8 is handed to xdg-open as its exact bytes, and a missing opener is a
// failure, not a success.
//
// Reads the file's first bytes, so it may run on a worker thread: the pane runs it as
// a job so that a slow disk never stalls the window. The launcher must then be
// callable from that thread; the real launcher's OpenWithDefault needs the GUI thread,
// so a worker passes one that takes the call down for the GUI thread to make.
ExecuteResult ExecuteItem(const std::string& path, Launcher& launcher);

// The message for a launch of the given kind (Started or Opened) that failed; error
// is the errno of an exact start of the opener, 0 when the launcher gave none.
QString LaunchFailureText(ExecuteResult::Kind kind, const std::string& path, int error);

} // namespace bivora
