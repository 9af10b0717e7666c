#pragma once

#include "shell/whole_file.h"
#include "ui/editor/editor_text_codec.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <cstddef>
#include <memory>
#include <string>

class QTextDocument;

namespace bivora {

struct RtfDocument;

class JobRegistry;
class Prompts;
struct EditorViewState;

// The file behind one editor window: loading it into the text control, the
// hexadecimal dump and the way back, Insert file, Save and Save As.
//
// Files are read on workers of the job registry. A new text is built in a document of
// its own that the control shows at once: its first part is there at once and the rest
// follows in slices of a few milliseconds on the GUI thread, so a file of a hundred
// megabytes shows within a fraction of a second and every window keeps painting. Until
// the last slice is in, the control is read-only and the document counts as busy. When
// the work is stopped (Escape), the text shown before comes back.
//
// GUI thread only.
class EditorDocument final : public QObject {
    Q_OBJECT
public:
    // Files above this are not shown as text; larger ones are refused with a message.
    static constexpr std::size_t kTextLimit = std::size_t(256) << 20;
    // Files above this get no hexadecimal dump (the dump is four times the file's size).
    static constexpr std::size_t kHexLimit = std::size_t(32) << 20;

    enum class Work { None, Loading, Converting, Filling };

    EditorDocument(EditorViewState& view, JobRegistry& jobs, Prompts& prompts, QObject* parent = nullptr);
    ~EditorDocument() override;

    // Reads the file of the view's path and shows it: rich text in view mode for a
    // ".rtf" file, plain text otherwise. loadFinished tells the outcome.
    void Load();
    // Toggles the hexadecimal dump, both ways from the file on disk.
    void ToggleHex();
    // Inserts a file's bytes as plain text in place of the selection; errors are ignored.
    void InsertFile(const std::string& path);
    // Writes the text to the view's path (or to path, which then becomes the view's),
    // asking first when the file has changed on disk since it was read. False when it
    // was not written; the user has been told why.
    bool Save();
    bool SaveAs(const std::string& path);

    // Stops the work under way; the text shown before it stays.
    void Cancel();
    bool Busy() const { return m_work != Work::None; }
    Work CurrentWork() const { return m_work; }
    // Progress of the work under way, 0..100.
    int Percent() const;
    const TextForm& Form() const { return m_form; }

Q_SIGNALS:
    // The first load ended: ok, or the message that says why the file is not shown
    // (empty when it was stopped).
    void loadFinished(bool ok, const QString& failure);
    // A new text (file or dump) is shown whole.
    void textReplaced();
    // The file holds the byte of value 1.
    void nonTextFound();
    // A notice for the status bar.
    void notice(const QString& text, bool alert);
    void workChanged();

private:
    struct Task;
    enum class Purpose { Load, ToHex, ToText };

    void StartRead(Purpose purpose);
    void OnRead(const std::shared_ptr<Task>& task);
    void BeginFill(QString text, Purpose purpose);
    void FillSlice();
    void EndFill(bool completed);
    void SetWork(Work work);
    QString FailureText(int error, std::size_t limit) const;
    bool WriteTo(const std::string& path, bool askWhenChanged);

    EditorViewState& m_view;
    JobRegistry& m_jobs;
    Prompts& m_prompts;
    Work m_work = Work::None;
    std::uint64_t m_job = 0;
    std::shared_ptr<Task> m_task;
    TextForm m_form;
    FileStamp m_stamp;
    bool m_stamped = false;
    bool m_pendingNonText = false;
    std::shared_ptr<RtfDocument> m_fillRich; // a rich text to show instead of m_fillText

    // The text being filled in, and the document it goes to.
    QString m_fillText;
    qsizetype m_fillAt = 0;
    Purpose m_fillPurpose = Purpose::Load;
    QPointer<QTextDocument> m_fillDoc;
    QPointer<QTextDocument> m_shownDoc; // what the control showed before
    QTimer m_fillTimer;
};

} // namespace bivora
