#include "ui/platform/icon_theme.h"

#include "shell/icon_themes.h"

#include <QFile>
#include <QIcon>
#include <QStringList>

namespace bivora {

std::vector<std::string> CommonIconThemes()
{
    return {"Adwaita", "breeze", "Yaru", "Papirus", "elementary", "oxygen", "Tango", "gnome"};
}

QString ChooseIconTheme(const std::vector<std::string>& candidates)
{
    // Qt's own search folders (~/.icons, the XDG data folders' icons/), so that a theme
    // found here is one Qt loads; resource folders are not on the file system
    std::vector<std::string> dirs;
    for (const QString& dir : QIcon::themeSearchPaths()) {
        if (!dir.startsWith(QLatin1Char(':')))
            dirs.push_back(QFile::encodeName(dir).toStdString());
    }
    const QString named = QIcon::themeName();
    if (!named.isEmpty() && named != QLatin1String("hicolor")
        && IconThemeInstalled(dirs, QFile::encodeName(named).toStdString()))
        return named;
    if (const auto found = FirstInstalledIconTheme(dirs, candidates))
        QIcon::setThemeName(QFile::decodeName(QByteArray::fromStdString(*found)));
    return QIcon::themeName();
}

} // namespace bivora
