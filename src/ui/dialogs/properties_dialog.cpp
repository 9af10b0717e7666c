#include "ui/dialogs/properties_dialog.h"

#include "base/path_text.h"
#include "base/text_forms.h"
#include "ui/commands/services.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFile>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QVBoxLayout>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bivora {

namespace {

QString Display(const std::string& bytes)
{
    return QFile::decodeName(QByteArray(bytes.data(), qsizetype(bytes.size())));
}

QString BytesText(std::uint64_t bytes)
{
    return QString::fromStdString(ThousandsText(bytes)) + QStringLiteral(" bytes");
}

QString TimeText(const struct timespec& time)
{
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(qint64(time.tv_sec) * 1000 + time.tv_nsec / 1000000);
    return QLocale().toString(when, QLocale::LongFormat);
}

// Birth time where the file system keeps it, else the change time.
struct timespec CreatedTime(const std::string& path, const struct stat& st)
{
    struct statx sx {};
    if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME))
        return {static_cast<time_t>(sx.stx_btime.tv_sec), static_cast<long>(sx.stx_btime.tv_nsec)};
    return st.st_ctim;
}

QString OwnerName(uid_t uid)
{
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found)
        return QString::fromLocal8Bit(found->pw_name);
    return QString::number(uid);
}

QString GroupName(gid_t gid)
{
    struct group entry {};
    struct group* found = nullptr;
    char buffer[4096];
    if (::getgrgid_r(gid, &entry, buffer, sizeof buffer, &found) == 0 && found)
        return QString::fromLocal8Bit(found->gr_name);
    return QString::number(gid);
}

// The type's description, from the name and, for files, the first bytes.
QString TypeText(const std::string& path, const struct stat& st)
{
    const QMimeDatabase database;
    if (S_ISDIR(st.st_mode))
        return database.mimeTypeForName(QStringLiteral("inode/directory")).comment();
    QByteArray head;
    if (S_ISREG(st.st_mode)) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0) {
            head.resize(512);
            const ssize_t n = ::read(fd, head.data(), size_t(head.size()));
            head.resize(n > 0 ? n : 0);
            ::close(fd);
        }
    }
    return database.mimeTypeForFileNameAndData(Display(std::string(LastComponent(path))), head).comment();
}

// "1 file", "2,000 files"
QString CountText(std::uint64_t count, const char* noun)
{
    return QString::fromStdString(ThousandsText(count)) + QLatin1Char(' ') + QLatin1String(noun) +
           (count == 1 ? QString() : QStringLiteral("s"));
}

const char* const kBoxNames[9] = {"ownerRead", "ownerWrite", "ownerExecute", "groupRead", "groupWrite",
                                  "groupExecute", "othersRead", "othersWrite", "othersExecute"};
const unsigned kBoxBits[9] = {S_IRUSR, S_IWUSR, S_IXUSR, S_IRGRP, S_IWGRP, S_IXGRP, S_IROTH, S_IWOTH, S_IXOTH};

} // namespace

PropertiesDialog::PropertiesDialog(std::vector<std::string> paths, Prompts& prompts, QWidget* parent, Sizer sizer)
    : QDialog(parent), m_paths(std::move(paths)), m_prompts(prompts), m_sizer(std::move(sizer))
{
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    if (m_paths.size() == 1)
        BuildSingle(*form);
    else
        BuildSeveral(*form);
    if (m_permissionsEditable) {
        auto* grid = new QGridLayout;
        const QString columns[3] = {tr("Read"), tr("Write"), tr("Execute")};
        const QString rows[3] = {tr("Owner"), tr("Group"), tr("Others")};
        for (int c = 0; c < 3; ++c)
            grid->addWidget(new QLabel(columns[c], this), 0, c + 1);
        for (int r = 0; r < 3; ++r) {
            grid->addWidget(new QLabel(rows[r], this), r + 1, 0);
            for (int c = 0; c < 3; ++c) {
                const int index = r * 3 + c;
                auto* box = new QCheckBox(this);
                box->setObjectName(QLatin1String(kBoxNames[index]));
                box->setChecked(m_mode & kBoxBits[index]);
                grid->addWidget(box, r + 1, c + 1);
                m_permissionBoxes[size_t(index)] = box;
            }
        }
        form->addRow(tr("Permissions:"), grid);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

PropertiesDialog::~PropertiesDialog()
{
    StopWorker();
}

QLabel* PropertiesDialog::AddRow(QFormLayout& form, const QString& label, const QString& objectName,
                                 const QString& text)
{
    auto* value = new QLabel(text, this);
    value->setObjectName(objectName);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form.addRow(label, value);
    return value;
}

void PropertiesDialog::BuildSingle(QFormLayout& form)
{
    const std::string& path = m_paths.front();
    const QString name = Display(std::string(LastComponent(path)));
    setWindowTitle(tr("%1 Properties").arg(name));
    struct stat st {};
    struct stat linkSt {};
    const bool linkOnly = ::stat(path.c_str(), &st) != 0; // a dangling link shows itself
    if (linkOnly && ::lstat(path.c_str(), &st) != 0) {
        const int error = errno;
        AddRow(form, tr("Name:"), QStringLiteral("name"), name);
        AddRow(form, tr("Error:"), QStringLiteral("error"), QString::fromLocal8Bit(std::strerror(error)));
        return;
    }
    const bool isLink = ::lstat(path.c_str(), &linkSt) == 0 && S_ISLNK(linkSt.st_mode);

    AddRow(form, tr("Name:"), QStringLiteral("name"), name);
    QString type = TypeText(path, st);
    if (isLink)
        type = tr("Link to %1").arg(type);
    AddRow(form, tr("Type:"), QStringLiteral("type"), type);
    AddRow(form, tr("Location:"), QStringLiteral("location"), Display(std::string(ParentFolder(path))));
    if (S_ISDIR(st.st_mode)) {
        m_size = AddRow(form, tr("Size:"), QStringLiteral("size"), tr("Computing..."));
        m_contents = AddRow(form, tr("Contains:"), QStringLiteral("contents"), tr("Computing..."));
        StartWorker();
    } else {
        m_size = AddRow(form, tr("Size:"), QStringLiteral("size"), BytesText(std::uint64_t(st.st_size)));
    }
    AddRow(form, tr("Modified:"), QStringLiteral("modified"), TimeText(st.st_mtim));
    AddRow(form, tr("Created:"), QStringLiteral("created"), TimeText(CreatedTime(path, st)));
    AddRow(form, tr("Accessed:"), QStringLiteral("accessed"), TimeText(st.st_atim));
    AddRow(form, tr("Owner:"), QStringLiteral("owner"), OwnerName(st.st_uid));
    AddRow(form, tr("Group:"), QStringLiteral("group"), GroupName(st.st_gid));
    m_mode = st.st_mode;
    // a link's own mode means nothing; a resolved link shows and changes its target's
    m_permissionsEditable = !linkOnly;
}

void PropertiesDialog::BuildSeveral(QFormLayout& form)
{
    setWindowTitle(tr("Properties"));
    AddRow(form, tr("Selected:"), QStringLiteral("name"), tr("%1 items").arg(m_paths.size()));
    std::string location(ParentFolder(m_paths.front()));
    for (const std::string& path : m_paths)
        if (ParentFolder(path) != location)
            location.clear();
    AddRow(form, tr("Location:"), QStringLiteral("location"),
           location.empty() ? tr("Several folders") : Display(location));
    m_size = AddRow(form, tr("Size:"), QStringLiteral("size"), tr("Computing..."));
    m_contents = AddRow(form, tr("Contains:"), QStringLiteral("contents"), tr("Computing..."));
    StartWorker();
}

void PropertiesDialog::StartWorker()
{
    m_stop = false;
    m_finished = false;
    // the worker owns copies of its inputs; the result comes back as a queued call,
    // which Qt drops if the dialog is gone by then
    m_worker = std::thread([this, paths = m_paths, sizer = m_sizer] {
        FolderTotal total;
        try {
            total = sizer(paths, m_stop);
        } catch (...) {
            total.stopped = true;
        }
        m_finished = true;
        if (!total.stopped)
            QMetaObject::invokeMethod(this, [this, total] { ShowTotal(total); }, Qt::QueuedConnection);
    });
}

void PropertiesDialog::StopWorker()
{
    m_stop = true;
    if (m_worker.joinable())
        m_worker.join();
}

void PropertiesDialog::ShowTotal(const FolderTotal& total)
{
    if (m_size)
        m_size->setText(BytesText(total.bytes));
    if (m_contents) {
        // one folder's contents leave out the folder itself
        const std::uint64_t folders = total.folders - (m_paths.size() == 1 && total.folders > 0 ? 1 : 0);
        QString text = CountText(total.files, "file") + QStringLiteral(", ") + CountText(folders, "folder");
        if (total.unreadable)
            text += tr(" (%1 folders could not be read)").arg(total.unreadable);
        m_contents->setText(text);
    }
    Q_EMIT SizeComputed();
}

bool PropertiesDialog::ApplyPermissions()
{
    if (!m_permissionsEditable)
        return true;
    unsigned mode = m_mode & 07777 & ~0777u; // keep set-id and sticky bits
    for (size_t i = 0; i < m_permissionBoxes.size(); ++i)
        if (m_permissionBoxes[i]->isChecked())
            mode |= kBoxBits[i];
    if (mode == (m_mode & 07777))
        return true;
    const std::string& path = m_paths.front();
    if (::chmod(path.c_str(), mode) != 0) {
        const int error = errno;
        m_prompts.Message(this,
                          tr("Cannot change the permissions of %1: %2")
                              .arg(Display(path), QString::fromLocal8Bit(std::strerror(error))),
                          Prompts::Icon::Critical);
        return false;
    }
    m_mode = (m_mode & ~07777u) | mode;
    return true;
}

void PropertiesDialog::accept()
{
    if (ApplyPermissions())
        QDialog::accept();
}

void PropertiesDialog::done(int result)
{
    StopWorker();
    QDialog::done(result);
}

void PropertiesDialog::closeEvent(QCloseEvent* event)
{
    StopWorker();
    QDialog::closeEvent(event);
}

bool ShowProperties(const std::vector<std::string>& paths, Prompts& prompts, QWidget* parent)
{
    if (paths.empty())
        return false;
    auto* dialog = new PropertiesDialog(paths, prompts, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return true;
}

} // namespace bivora
