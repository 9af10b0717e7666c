#include "ui/dialogs/properties_dialog.h"

#include "base/path_text.h"
#include "base/text_forms.h"
#include "shell/item_info.h"
#include "shell/small_file.h"
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

#include <chrono>
#include <cstring>

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

QString TimeText(FileTime time)
{
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(qint64(time / 1'000'000));
    return QLocale().toString(when, QLocale::LongFormat);
}

QString NameText(const std::string& name)
{
    return QString::fromLocal8Bit(name.data(), qsizetype(name.size()));
}

// The type's description, from the name and, for files, the first bytes.
QString TypeText(const std::string& path, const ItemInfo& info)
{
    const QMimeDatabase database;
    if (info.isDirectory)
        return database.mimeTypeForName(QStringLiteral("inode/directory")).comment();
    QByteArray head;
    if (info.isRegular) {
        if (const auto bytes = ReadFileHead(path, 512))
            head = QByteArray(bytes->data(), qsizetype(bytes->size()));
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
const unsigned kBoxBits[9] = {0400, 0200, 0100, 040, 020, 010, 04, 02, 01};

// The worker shows its figures so far at most this often.
constexpr auto kProgressInterval = std::chrono::milliseconds(200);

} // namespace

PropertiesDialog::PropertiesDialog(std::vector<std::string> paths, Prompts& prompts, JobStarter& jobs,
                                   QWidget* parent, Sizer sizer)
    : QDialog(parent), m_paths(std::move(paths)), m_prompts(prompts), m_sizer(std::move(sizer)), m_jobs(jobs)
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
    const auto info = ReadItemInfo(path);
    if (!info) {
        AddRow(form, tr("Name:"), QStringLiteral("name"), name);
        AddRow(form, tr("Error:"), QStringLiteral("error"), QString::fromLocal8Bit(std::strerror(info.Error())));
        return;
    }

    AddRow(form, tr("Name:"), QStringLiteral("name"), name);
    QString type = TypeText(path, *info);
    if (info->isLink)
        type = tr("Link to %1").arg(type);
    AddRow(form, tr("Type:"), QStringLiteral("type"), type);
    AddRow(form, tr("Location:"), QStringLiteral("location"), Display(std::string(ParentFolder(path))));
    if (info->isDirectory) {
        m_size = AddRow(form, tr("Size:"), QStringLiteral("size"), tr("Computing..."));
        m_contents = AddRow(form, tr("Contains:"), QStringLiteral("contents"), tr("Computing..."));
        StartWorker();
    } else {
        m_size = AddRow(form, tr("Size:"), QStringLiteral("size"), BytesText(info->size));
    }
    AddRow(form, tr("Modified:"), QStringLiteral("modified"), TimeText(info->modified));
    AddRow(form, tr("Created:"), QStringLiteral("created"), TimeText(info->created));
    AddRow(form, tr("Accessed:"), QStringLiteral("accessed"), TimeText(info->accessed));
    AddRow(form, tr("Owner:"), QStringLiteral("owner"), NameText(UserName(info->owner)));
    AddRow(form, tr("Group:"), QStringLiteral("group"), NameText(GroupName(info->group)));
    m_mode = info->mode;
    // a link's own mode means nothing; a resolved link shows and changes its target's
    m_permissionsEditable = !info->targetMissing;
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

// What the walk shares with the dialog: the way back, closed when the dialog stops it.
struct PropertiesDialog::Walk {
    explicit Walk(QObject* receiver) : reply(receiver) {}
    GuiChannel reply;
    std::atomic<bool> finished = false;
};

bool PropertiesDialog::IsComputing() const
{
    return m_walk && !m_walk->finished;
}

void PropertiesDialog::StartWorker()
{
    StopWorker();
    m_walk = std::make_shared<Walk>(this);
    // the walk owns copies of its inputs; its figures come back through the channel,
    // which drops them once the dialog has stopped it
    m_job = m_jobs.Start([this, walk = m_walk, paths = m_paths, sizer = m_sizer](const std::atomic<bool>& stop) {
        auto last = std::chrono::steady_clock::now();
        const Progress progress = [&](const FolderTotal& soFar) {
            const auto now = std::chrono::steady_clock::now();
            if (now - last < kProgressInterval)
                return;
            last = now;
            walk->reply.Post([this, soFar] { ShowTotal(soFar, false); });
        };
        FolderTotal total;
        try {
            total = sizer(paths, stop, progress);
        } catch (...) {
            total.stopped = true;
        }
        walk->finished = true;
        if (!total.stopped)
            walk->reply.Post([this, total] { ShowTotal(total, true); });
    });
    if (m_job == 0)
        m_walk->finished = true; // the program is shutting down: the figures stay as they are
}

void PropertiesDialog::StopWorker()
{
    if (!m_walk)
        return;
    m_walk->reply.Close();
    m_jobs.Stop(m_job);
}

void PropertiesDialog::ShowTotal(const FolderTotal& total, bool final)
{
    // a figure so far that arrives after the final one changes nothing
    if (m_totalShown)
        return;
    m_totalShown = final;
    const QString more = final ? QString() : QStringLiteral("...");
    if (m_size)
        m_size->setText(BytesText(total.bytes) + more);
    if (m_contents) {
        // one folder's contents leave out the folder itself
        const std::uint64_t folders = total.folders - (m_paths.size() == 1 && total.folders > 0 ? 1 : 0);
        QString text = CountText(total.files, "file") + QStringLiteral(", ") + CountText(folders, "folder");
        if (total.unreadable)
            text += tr(" (%1 folders could not be read)").arg(total.unreadable);
        m_contents->setText(text + more);
    }
    if (final)
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
    if (const SysStatus changed = ChangeMode(path, mode); !changed) {
        m_prompts.Message(this,
                          tr("Cannot change the permissions of %1: %2")
                              .arg(Display(path), QString::fromLocal8Bit(std::strerror(changed.Error()))),
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

bool ShowProperties(const std::vector<std::string>& paths, Prompts& prompts, JobStarter& jobs, QWidget* parent)
{
    if (paths.empty())
        return false;
    auto* dialog = new PropertiesDialog(paths, prompts, jobs, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return true;
}

} // namespace bivora
