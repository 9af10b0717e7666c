#include "ui/platform/execute_item.h"

#include "base/path_text.h"
#include "shell/item_info.h"
#include "ui/platform/detached_start.h"

#include <QFile>
#include <QMetaObject>
#include <QObject>
#include <QThread>

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
        return {ExecuteResult::Kind::Failed, QStringLiteral("Cannot start %1").arg(DisplayName(path))};
    }

    if (!IsValidUtf8(path)) {
        // a URL built from a QString would carry the wrong bytes; the opener gets the name as it is
        const SysStatus started = launcher.StartExact("xdg-open", {path}, StartFolder(path));
        if (started)
            return {ExecuteResult::Kind::Opened, {}};
        return {ExecuteResult::Kind::Failed,
                QStringLiteral("Cannot open %1: xdg-open cannot be started: %2")
                    .arg(DisplayName(path), QString::fromLocal8Bit(std::strerror(started.Error())))};
    }
    if (launcher.OpenWithDefault(QString::fromStdString(path)))
        return {ExecuteResult::Kind::Opened, {}};
    return {ExecuteResult::Kind::Failed,
            QStringLiteral("No application is associated with %1, or it cannot be started").arg(DisplayName(path))};
}

GuiThreadLauncher::GuiThreadLauncher(Launcher& inner, QObject* guiContext)
    : m_inner(inner), m_context(guiContext)
{
}

template <typename Call>
bool GuiThreadLauncher::OnGuiThread(Call call)
{
    QObject* context = m_context.data();
    if (!context)
        return false;
    if (QThread::currentThread() == context->thread())
        return call();
    bool result = false;
    const bool invoked = QMetaObject::invokeMethod(
        context, [&] { result = call(); }, Qt::BlockingQueuedConnection);
    return invoked && result;
}

bool GuiThreadLauncher::OpenWithDefault(const QString& path)
{
    return OnGuiThread([&] { return m_inner.OpenWithDefault(path); });
}

bool GuiThreadLauncher::StartDetached(const QString& program, const QStringList& arguments,
                                      const QString& workingDirectory)
{
    return OnGuiThread([&] { return m_inner.StartDetached(program, arguments, workingDirectory); });
}

SysStatus GuiThreadLauncher::StartExact(const std::string& program, const std::vector<std::string>& arguments,
                                        const std::string& workingDirectory)
{
    SysStatus status = SysStatus::Failure(ECANCELED);
    OnGuiThread([&] {
        status = m_inner.StartExact(program, arguments, workingDirectory);
        return status.Ok();
    });
    return status;
}

} // namespace bivora
