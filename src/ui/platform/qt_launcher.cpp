#include "ui/platform/qt_launcher.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace bivora {

bool QtLauncher::OpenWithDefault(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool QtLauncher::StartDetached(const QString& program, const QStringList& arguments,
                               const QString& workingDirectory)
{
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, arguments, workingDirectory);
}

} // namespace bivora
