#include "ui/platform/help_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace bivora {

QStringList HelpFolders()
{
    const QString program = QCoreApplication::applicationDirPath();
    QStringList folders{program, QDir::cleanPath(program + QStringLiteral("/../share/bivora"))};
#ifdef BIVORA_INSTALLED_HELP_DIR
    const QString installed = QStringLiteral(BIVORA_INSTALLED_HELP_DIR);
    if (!folders.contains(installed))
        folders << installed;
#endif
    return folders;
}

std::string FindHelpFile(const QString& name, const QStringList& folders)
{
    for (const QString& folder : folders) {
        const QFileInfo file(QDir(folder), name);
        if (file.isFile())
            return QFile::encodeName(file.absoluteFilePath()).toStdString();
    }
    return {};
}

} // namespace bivora
