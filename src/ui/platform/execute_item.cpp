#include "ui/platform/execute_item.h"

#include "ui/platform/detached_start.h"

#include "base/path_text.h"

#include <QFile>
#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bivora {

namespace {

// Reads up to size bytes from the start of the file; fewer when it is shorter.
std::string FirstBytes(const std::string& path, size_t size)
{
    std::string bytes;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return bytes;
    bytes.resize(size);
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, bytes.data() + got, size - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    bytes.resize(got);
    return bytes;
}

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

bool IsExecutableFile(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || (st.st_mode & 0111) == 0)
        return false;
    if (::access(path.c_str(), X_OK) != 0)
        return false;
    const std::string head = FirstBytes(path, 4);
    return head == "\x7f" "ELF" || head.starts_with("#!");
}

ExecuteResult ExecuteItem(const std::string& path, Launcher& launcher)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        const int error = errno;
        return {ExecuteResult::Kind::Failed,
                QStringLiteral("Cannot open %1: %2").arg(DisplayName(path), QString::fromLocal8Bit(std::strerror(error)))};
    }
    if (S_ISDIR(st.st_mode))
        return {ExecuteResult::Kind::Browse, {}};

    if (IsExecutableFile(path)) {
        if (StartDetachedBytes(launcher, path, {}, StartFolder(path)))
            return {ExecuteResult::Kind::Started, {}};
        return {ExecuteResult::Kind::Failed, QStringLiteral("Cannot start %1").arg(DisplayName(path))};
    }

    bool opened = false;
    if (IsValidUtf8(path))
        opened = launcher.OpenWithDefault(QString::fromStdString(path));
    else
        // a URL built from a QString would carry the wrong bytes; the opener gets the name as it is
        opened = StartDetachedBytes(launcher, "xdg-open", {path}, StartFolder(path));
    if (opened)
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

} // namespace bivora
