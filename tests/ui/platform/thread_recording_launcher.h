#pragma once

#include "ui/commands/services.h"

#include <QStringList>
#include <QThread>

#include <cerrno>
#include <string>
#include <vector>

namespace bivora::test {

// Records what would have started, on which thread it was opened, and answers with
// separate configured results for opening and starting.
class ThreadRecordingLauncher : public Launcher {
public:
    struct Start {
        QString program;
        QStringList arguments;
        QString workingDirectory;
    };
    bool OpenWithDefault(const QString& path) override
    {
        opened << path;
        openThread = QThread::currentThread();
        return openResult;
    }
    bool StartDetached(const QString& program, const QStringList& arguments, const QString& workingDirectory) override
    {
        starts.push_back({program, arguments, workingDirectory});
        return startResult;
    }
    SysStatus StartExact(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory) override
    {
        exactStarts.push_back({program, arguments, workingDirectory});
        return startResult ? SysStatus(Done{}) : SysStatus::Failure(ENOENT);
    }
    struct ExactStart {
        std::string program;
        std::vector<std::string> arguments;
        std::string workingDirectory;
    };
    QStringList opened;
    std::vector<Start> starts;
    std::vector<ExactStart> exactStarts; // starts with names that are not UTF-8
    QThread* openThread = nullptr;
    bool openResult = true;
    bool startResult = true;
};

} // namespace bivora::test
