#pragma once

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

// True for a regular file (links followed) that this user may execute and whose
// first bytes are an ELF header or "#!". An x bit alone is not enough: a text file
// copied from a stick with every bit set opens in its application instead.
bool IsExecutableFile(const std::string& path);

// Executes an item with its default verb: a folder is reported as Browse; an
// executable file is started detached with its folder as working directory; any
// other file goes to the desktop's default application.
//
// Reads the file's first bytes, so it may run on a worker thread: the pane runs it as
// a job so that a slow disk never stalls the window. The launcher must then be
// callable from that thread; the real launcher's OpenWithDefault needs the GUI thread,
// so a worker passes one that takes the call down for the GUI thread to make.
ExecuteResult ExecuteItem(const std::string& path, Launcher& launcher);

} // namespace bivora
