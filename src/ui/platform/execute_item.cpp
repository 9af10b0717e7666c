#include "ui/platform/execute_item.h"

#include "ui/platform/detached_start.h"

#include <QFile>

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

std::string ParentFolder(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
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
        if (StartDetachedBytes(launcher, path, {}, ParentFolder(path)))
            return {ExecuteResult::Kind::Started, {}};
        return {ExecuteResult::Kind::Failed, QStringLiteral("Cannot start %1").arg(DisplayName(path))};
    }

    bool opened = false;
    if (IsValidUtf8(path))
        opened = launcher.OpenWithDefault(QString::fromStdString(path));
    else
        // a URL built from a QString would carry the wrong bytes; the opener gets the name as it is
        opened = StartDetachedBytes(launcher, "xdg-open", {path}, ParentFolder(path));
    if (opened)
        return {ExecuteResult::Kind::Opened, {}};
    return {ExecuteResult::Kind::Failed,
            QStringLiteral("No application is associated with %1, or it cannot be started").arg(DisplayName(path))};
}

} // namespace bivora
