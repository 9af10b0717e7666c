#pragma once

#include <QString>
#include <QStringList>

#include <string>

namespace bivora {

// The folders that may hold the help files, in the order they are searched: the
// program's own folder, the share/bivora folder beside its bin folder, and the folder
// the build installs them to.
QStringList HelpFolders();

// The path of the first folder's file of that name, as bytes; empty when no folder
// has it.
std::string FindHelpFile(const QString& name, const QStringList& folders = HelpFolders());

} // namespace bivora
