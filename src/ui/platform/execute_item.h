#pragma once

#include "shell/executable.h"
#include "ui/commands/services.h"

#include <QPointer>
#include <QString>

#include <string>

class QObject;

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
// Reads the file's first bytes, so it may run on a worker thread: the pane calls it
// from a std::thread so that a slow disk never stalls the window. The launcher must
// then be callable from that thread; the real launcher's OpenWithDefault needs the
// GUI thread, so a worker passes a GuiThreadLauncher.
ExecuteResult ExecuteItem(const std::string& path, Launcher& launcher);

// Runs another launcher's calls on the GUI thread. Called on the GUI thread it calls
// straight through; called from another thread it waits (blocking queued call) until
// the GUI thread has made the call, which keeps the window responsive while a worker
// waits. The GUI thread must therefore never wait for such a worker (join it) while
// the worker may be inside a call: detach it, or join it only after it has returned.
// The context object lives on the GUI thread and must outlive every call; when it is
// gone a call fails instead of blocking.
class GuiThreadLauncher final : public Launcher {
public:
    GuiThreadLauncher(Launcher& inner, QObject* guiContext);

    bool OpenWithDefault(const QString& path) override;
    bool StartDetached(const QString& program, const QStringList& arguments,
                       const QString& workingDirectory) override;
    SysStatus StartExact(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory) override;

private:
    template <typename Call>
    bool OnGuiThread(Call call);

    Launcher& m_inner;
    QPointer<QObject> m_context;
};

} // namespace bivora
