#pragma once

#include "ui/commands/services.h"

#include <QStringList>
#include <QThread>

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
    QStringList opened;
    std::vector<Start> starts;
    QThread* openThread = nullptr;
    bool openResult = true;
    bool startResult = true;
};

} // namespace bivora::test
