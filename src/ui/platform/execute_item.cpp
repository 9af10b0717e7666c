#include "ui/platform/execute_item.h"

#include "base/path_text.h"
#include "shell/item_info.h"
#include "ui/platform/detached_start.h"

#include <QFile>

#include <cerrno>
#include <cstring>

namespace bivora {

namespace {

// The folder a program starts in: the item's own, or the current one for a bare name.
std::string StartFolder(const std::string& path)
{
    const std::string_view folder = ParentFolder(path);
    return folder.empty() ? std::string(".") : std::string(folder);
}

QString DisplayName(const std::string& path)
{
    return QFile::decodeName(QByteArray(path.data(), qsizetype(path.size())));
}

} // namespace

ExecuteResult ExecuteItem(const std::string& path, Launcher& launcher)
{
    const auto info = ReadItemInfo(path);
    if (!info || info->targetMissing) {
        // a link whose target is gone cannot be opened either: say why, as for a missing item
        const int error = info ? ENOENT : info.Error();
        return {ExecuteResult::Kind::Failed,
                QStringLiteral("Cannot open %1: %2").arg(DisplayName(path), QString::fromLocal8Bit(std::strerror(error)))};
    }
    if (info->isDirectory)
        return {ExecuteResult::Kind::Browse, {}};

    if (IsExecutableFile(path)) {
        if (StartDetachedBytes(launcher, path, {}, StartFolder(path)))
            return {ExecuteResult::Kind::Started, {}};
        return {ExecuteResult::Kind::Failed, LaunchFailureText(ExecuteResult::Kind::Started, path, 0)};
    }

    if (!IsValidUtf8(path)) {
        // a URL built from a QString would carry the wrong bytes; the opener gets the name as it is
        const SysStatus started = launcher.StartExact("xdg-open", {path}, StartFolder(path));
        if (started)
            return {ExecuteResult::Kind::Opened, {}};
        return {ExecuteResult::Kind::Failed, LaunchFailureText(ExecuteResult::Kind::Opened, path, started.Error())};
    }
    if (launcher.OpenWithDefault(QString::fromStdString(path)))
        return {ExecuteResult::Kind::Opened, {}};
    return {ExecuteResult::Kind::Failed, LaunchFailureText(ExecuteResult::Kind::Opened, path, 0)};
}

QString LaunchFailureText(ExecuteResult::Kind kind, const std::string& path, int error)
{
    const QString shown = DisplayName(path);
    if (kind == ExecuteResult::Kind::Started)
        return QStringLiteral("Cannot start %1").arg(shown);
    // only the exact start of the opener knows why it failed
    if (error != 0)
        return QStringLiteral("Cannot open %1: xdg-open cannot be started: %2")
            .arg(shown, QString::fromLocal8Bit(std::strerror(error)));
    return QStringLiteral("No application is associated with %1, or it cannot be started").arg(shown);
}

} // namespace bivora
