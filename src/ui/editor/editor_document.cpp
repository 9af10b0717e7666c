#include "ui/editor/editor_document.h"

#include "base/rtf_reader.h"
#include "ui/editor/rich_text.h"

#include "base/hex_dump.h"
#include "ui/commands/byte_text.h"
#include "ui/commands/services.h"
#include "ui/commands/status_service.h"
#include "ui/editor/editor_context.h"
#include "ui/jobs/job_registry.h"
#include "ui/jobs/off_thread_read.h"

#include <QElapsedTimer>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

#include <cerrno>
#include <cstring>

namespace bivora {

namespace {

// The first part of a new text goes in at once; the rest in slices of about this long.
constexpr qsizetype kFirstPart = 64 * 1024;
constexpr qsizetype kSlicePart = 64 * 1024;
constexpr qint64 kSliceMs = 25;

// Where a part of a text that starts at from and is about want long ends: after a line
// end. A line longer than that goes in whole, since every piece added to a line lays the
// whole line out again.
qsizetype CutPoint(const QString& text, qsizetype from, qsizetype want)
{
    const qsizetype end = from + want;
    if (end >= text.size())
        return text.size();
    qsizetype lineEnd = text.lastIndexOf(u'\n', end - 1);
    if (lineEnd < from)
        lineEnd = text.indexOf(u'\n', end);
    return lineEnd < 0 ? text.size() : lineEnd + 1;
}

bool HasRtfExtension(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return false;
    return QString::fromStdString(path.substr(dot + 1)).compare(QLatin1String("rtf"), Qt::CaseInsensitive) == 0;
}

QString SystemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

// One read of the file on a worker and what it found. The worker writes the results
// before it ends; the GUI thread reads them once it has been told of the end.
struct EditorDocument::Task {
    Purpose purpose = Purpose::Load;
    std::string path;
    std::atomic<int> percent{0};
    int error = 0;
    bool empty = false;
    FileStamp stamp;
    bool rich = false;   // Load of a rich-text file in view mode: read as RTF
    DecodedText decoded; // Load and ToText
    std::shared_ptr<RtfDocument> rtf; // rich
    QString dump;        // ToHex
};

EditorDocument::EditorDocument(EditorViewState& view, JobRegistry& jobs, Prompts& prompts, QObject* parent)
    : QObject(parent)
    , m_view(view)
    , m_jobs(jobs)
    , m_prompts(prompts)
{
    m_fillTimer.setInterval(0);
    connect(&m_fillTimer, &QTimer::timeout, this, &EditorDocument::FillSlice);
}

EditorDocument::~EditorDocument()
{
    if (m_job)
        m_jobs.Stop(m_job);
}

int EditorDocument::Percent() const
{
    if (m_work == Work::Filling)
        return m_fillText.isEmpty() ? 100 : static_cast<int>(m_fillAt * 100 / m_fillText.size());
    return m_task ? m_task->percent.load() : 0;
}

void EditorDocument::SetWork(Work work)
{
    if (m_work == work)
        return;
    m_work = work;
    Q_EMIT workChanged();
}

void EditorDocument::Load()
{
    StartRead(Purpose::Load);
}

void EditorDocument::ToggleHex()
{
    if (Busy() || !m_view.readOnly || m_view.rich)
        return;
    StartRead(m_view.hex ? Purpose::ToText : Purpose::ToHex);
}

void EditorDocument::StartRead(Purpose purpose)
{
    auto task = std::make_shared<Task>();
    task->purpose = purpose;
    task->path = m_view.path;
    // Rich text is decided by the mode and the name alone: an ".rtf" opened for
    // editing shows its source.
    task->rich = purpose == Purpose::Load && m_view.readOnly && HasRtfExtension(m_view.path);
    m_task = task;
    QPointer<EditorDocument> self(this);
    m_job = m_jobs.Start(
        [task](const std::atomic<bool>& stop) {
            const bool hex = task->purpose == Purpose::ToHex;
            auto file = ReadWholeFile(task->path, hex ? kHexLimit : kTextLimit, &stop,
                                      [&](std::uint64_t done, std::uint64_t total) {
                                          if (!hex)
                                              task->percent = static_cast<int>(done * 100 / std::max<std::uint64_t>(total, 1));
                                      });
            if (!file) {
                task->error = file.Error();
                return;
            }
            task->stamp = file->stamp;
            if (!hex && task->rich) {
                // parsed here, off the GUI thread; only the formatted runs are made there
                task->rtf = std::make_shared<RtfDocument>(ReadRtf(file->bytes));
                return;
            }
            if (!hex) {
                task->decoded = DecodeFileText(file->bytes);
                return;
            }
            const std::string_view bytes = file->bytes;
            if (bytes.empty()) {
                task->empty = true;
                return;
            }
            std::string dump;
            dump.reserve(HexDumpLength(bytes.size()));
            for (std::size_t at = 0; at < bytes.size(); at += kHexBytesPerLine) {
                AppendHexDumpLine(dump, bytes.substr(at, kHexBytesPerLine));
                if (at % (kHexBytesPerLine * 4096) == 0) {
                    if (stop.load()) {
                        task->error = ECANCELED;
                        return;
                    }
                    task->percent = static_cast<int>(at * 100 / bytes.size());
                }
            }
            task->dump = QString::fromLatin1(dump.data(), static_cast<qsizetype>(dump.size()));
        },
        [self, task] {
            if (self)
                self->OnRead(task);
        });
    if (m_job == 0) {
        m_task.reset(); // the program is closing
        if (purpose == Purpose::Load)
            Q_EMIT loadFinished(false, QString());
        return;
    }
    SetWork(purpose == Purpose::ToHex ? Work::Converting : Work::Loading);
}

QString EditorDocument::FailureText(int error, std::size_t limit) const
{
    const QString path = FromBytes(m_view.path);
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("%1\nCannot find this file.\nPlease verify that the correct path and file name are given.")
            .arg(path);
    case EACCES:
    case EPERM:
        return QStringLiteral("Unable to read from %1: permission denied.").arg(path);
    case EFBIG:
        return QStringLiteral("%1\nis too large to be shown: the viewer opens files of up to %2 MB.")
            .arg(path)
            .arg(limit >> 20);
    case EINVAL:
        return QStringLiteral("%1\nis not a regular file (it is a FIFO, a device or a socket) and is not opened.")
            .arg(path);
    case EISDIR:
        return QStringLiteral("%1\nis a folder.").arg(path);
    default:
        return QStringLiteral("Failed to open document.\n%1: %2").arg(path, SystemText(error));
    }
}

void EditorDocument::OnRead(const std::shared_ptr<Task>& task)
{
    if (task != m_task)
        return; // stopped meanwhile
    m_job = 0;
    m_task.reset();
    if (task->error != 0 || task->empty) {
        SetWork(Work::None);
        if (task->purpose == Purpose::Load)
            Q_EMIT loadFinished(false, task->error == ECANCELED ? QString() : FailureText(task->error, kTextLimit));
        else if (task->purpose == Purpose::ToHex && task->error == EFBIG)
            Q_EMIT notice(QStringLiteral("The file is too large for the hexadecimal view: it shows files of up to %1 MB.")
                              .arg(kHexLimit >> 20),
                          true);
        // otherwise the conversion ends without a word and the text shown stays
        return;
    }
    m_stamp = task->stamp;
    m_stamped = true;
    if (task->purpose == Purpose::ToHex) {
        BeginFill(std::move(task->dump), Purpose::ToHex);
        return;
    }
    m_form = task->decoded.form;
    if (task->purpose == Purpose::Load) {
        m_view.rich = task->rich;
        m_pendingNonText = task->decoded.nonText;
    }
    m_fillRich = std::move(task->rtf);
    BeginFill(std::move(task->decoded.text), task->purpose);
}

void EditorDocument::BeginFill(QString text, Purpose purpose)
{
    m_fillText = std::move(text);
    m_fillPurpose = purpose;
    QTextDocument* shown = m_view.text.document();
    auto* doc = new QTextDocument(this);
    doc->setDocumentLayout(new QPlainTextDocumentLayout(doc));
    doc->setDefaultFont(shown->defaultFont());
    doc->setDefaultTextOption(shown->defaultTextOption());
    doc->setUndoRedoEnabled(false);
    m_fillAt = CutPoint(m_fillText, 0, kFirstPart);
    doc->setPlainText(m_fillText.left(m_fillAt));
    m_shownDoc = shown;
    m_fillDoc = doc;
    m_view.text.setReadOnly(true);
    m_view.text.setDocument(doc);
    if (m_fillRich) {
        // a rich text comes in whole, as formatted runs
        ShowRichText(m_view.text, *m_fillRich);
        m_fillRich.reset();
    }
    SetWork(Work::Filling);
    if (m_fillAt >= m_fillText.size())
        EndFill(true);
    else
        m_fillTimer.start();
}

void EditorDocument::FillSlice()
{
    if (!m_fillDoc) {
        EndFill(false);
        return;
    }
    QElapsedTimer slice;
    slice.start();
    QTextCursor cursor(m_fillDoc);
    cursor.movePosition(QTextCursor::End);
    do {
        const qsizetype end = CutPoint(m_fillText, m_fillAt, kSlicePart);
        cursor.insertText(m_fillText.mid(m_fillAt, end - m_fillAt));
        m_fillAt = end;
    } while (m_fillAt < m_fillText.size() && slice.elapsed() < kSliceMs);
    if (m_fillAt >= m_fillText.size())
        EndFill(true);
}

void EditorDocument::EndFill(bool completed)
{
    m_fillTimer.stop();
    m_fillText = QString();
    m_fillAt = 0;
    const Purpose purpose = m_fillPurpose;
    if (completed && m_fillDoc) {
        // the load itself cannot be undone and leaves the text unmodified
        m_fillDoc->setUndoRedoEnabled(true);
        m_fillDoc->setModified(false);
        m_view.hex = purpose == Purpose::ToHex;
        if (m_shownDoc && m_shownDoc->parent() == this)
            m_shownDoc->deleteLater();
    } else {
        completed = false;
        if (m_shownDoc)
            m_view.text.setDocument(m_shownDoc);
        if (m_fillDoc)
            m_fillDoc->deleteLater();
    }
    m_fillDoc = nullptr;
    m_shownDoc = nullptr;
    m_view.text.setReadOnly(m_view.readOnly);
    SetWork(Work::None);
    if (completed)
        Q_EMIT textReplaced();
    if (purpose == Purpose::Load) {
        Q_EMIT loadFinished(completed, QString());
        if (completed && m_pendingNonText)
            Q_EMIT nonTextFound();
        m_pendingNonText = false;
    }
}

void EditorDocument::Cancel()
{
    switch (m_work) {
    case Work::None:
        return;
    case Work::Filling:
        EndFill(false);
        return;
    case Work::Loading:
    case Work::Converting: {
        const bool load = m_task && m_task->purpose == Purpose::Load;
        m_jobs.Stop(m_job);
        m_job = 0;
        m_task.reset();
        SetWork(Work::None);
        if (load)
            Q_EMIT loadFinished(false, QString());
        return;
    }
    }
}

void EditorDocument::InsertFile(const std::string& path)
{
    if (Busy() || m_view.readOnly)
        return;
    auto text = std::make_shared<QString>();
    const bool read = RunOffGuiThread(
        m_jobs,
        [path, text](const std::atomic<bool>& stop) {
            auto file = ReadWholeFile(path, kTextLimit, &stop);
            if (file)
                *text = DecodeFileText(file->bytes).text;
        },
        {&m_view.status, QStringLiteral("Reading"), 300});
    if (read && !text->isEmpty())
        m_view.text.textCursor().insertText(*text);
}

bool EditorDocument::Save()
{
    return !Busy() && WriteTo(m_view.path, true);
}

bool EditorDocument::SaveAs(const std::string& path)
{
    if (Busy() || path.empty())
        return false;
    const bool same = path == m_view.path;
    if (!WriteTo(path, same))
        return false;
    m_view.path = path;
    return true;
}

bool EditorDocument::WriteTo(const std::string& path, bool askWhenChanged)
{
    const QString shownPath = FromBytes(path);
    const std::optional<QByteArray> bytes = EncodeFileText(m_view.text.document()->toRawText(), m_form);
    if (!bytes) {
        m_prompts.Message(&m_view.window,
                          QStringLiteral("%1\nwas not saved: the text holds characters that the file's encoding cannot "
                                         "represent (the file was not valid UTF-8, so it is kept as ISO 8859-1, one "
                                         "character a byte).")
                              .arg(shownPath),
                          Prompts::Icon::Exclamation);
        return false;
    }

    if (askWhenChanged && m_stamped) {
        auto now = std::make_shared<SysResult<FileStamp>>(SysResult<FileStamp>::Failure(0));
        RunOffGuiThread(
            m_jobs, [path, now](const std::atomic<bool>&) { *now = StampFile(path); },
            {&m_view.status, QStringLiteral("Saving"), 300});
        if (now->Ok() && !(**now == m_stamp)) {
            const QString question =
                QStringLiteral("%1\nhas been changed on disk since it was opened.\nSave it anyway, replacing those changes?")
                    .arg(shownPath);
            if (!m_prompts.AskYesNo(&m_view.window, question, Prompts::Icon::Exclamation))
                return false;
        }
    }

    struct Outcome {
        int error = 0;
        SysResult<FileStamp> stamp = SysResult<FileStamp>::Failure(0);
    };
    auto outcome = std::make_shared<Outcome>();
    const bool ended = RunOffGuiThread(
        m_jobs,
        [path, bytes = *bytes, outcome](const std::atomic<bool>&) {
            const SysStatus written = WriteFileSafely(path, std::string_view(bytes.constData(), bytes.size()));
            outcome->error = written ? 0 : written.Error();
            if (written)
                outcome->stamp = StampFile(path);
        },
        {&m_view.status, QStringLiteral("Saving"), 300});
    if (!ended && outcome->error == 0)
        outcome->error = ECANCELED;
    if (outcome->error != 0) {
        m_prompts.Message(&m_view.window,
                          QStringLiteral("%1\ncould not be saved: %2.\nThe file on disk was left as it was.")
                              .arg(shownPath, outcome->error == ECANCELED ? QStringLiteral("stopped")
                                                                          : SystemText(outcome->error)),
                          Prompts::Icon::Exclamation);
        return false;
    }
    if (outcome->stamp.Ok()) {
        m_stamp = *outcome->stamp;
        m_stamped = true;
    }
    m_view.text.document()->setModified(false);
    m_view.rich = false;
    Q_EMIT notice(QStringLiteral("The file was saved Ok."), false);
    return true;
}

} // namespace bivora
