#include "ui/jobs/file_op_progress.h"

#include "base/text_forms.h"
#include "shell/file_operation.h"
#include "ui/commands/byte_text.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace bivora {

namespace {

constexpr int kBarSteps = 1000;

QString Count(std::uint64_t n)
{
    return QString::fromStdString(ThousandsText(n));
}

} // namespace

FileOpProgressDialog::FileOpProgressDialog(const QString& title, std::function<void()> onCancel, QWidget* parent)
    : QDialog(parent), m_onCancel(std::move(onCancel))
{
    setObjectName(QStringLiteral("FileOpProgress"));
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    m_current = new QLabel(this);
    m_current->setObjectName(QStringLiteral("current"));
    m_current->setTextFormat(Qt::PlainText);
    m_current->setMinimumWidth(420);
    m_bytes = new QLabel(this);
    m_bytes->setObjectName(QStringLiteral("bytes"));
    m_files = new QLabel(this);
    m_files->setObjectName(QStringLiteral("files"));
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, kBarSteps);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    connect(m_cancel, &QPushButton::clicked, this, &FileOpProgressDialog::reject);
    layout->addWidget(m_current);
    layout->addWidget(m_bar);
    layout->addWidget(m_bytes);
    layout->addWidget(m_files);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
}

void FileOpProgressDialog::ShowProgress(const FileOpProgress& progress)
{
    if (!m_cancelAsked) {
        // the middle of a long path gives way, so that the name stays in sight
        const QString path = FromBytes(progress.current);
        m_current->setText(m_current->fontMetrics().elidedText(path, Qt::ElideMiddle, m_current->width()));
    }
    m_bytes->setText(QStringLiteral("%1 of %2 bytes").arg(Count(progress.bytesDone), Count(progress.bytesTotal)));
    m_files->setText(QStringLiteral("%1 of %2 files").arg(Count(progress.filesDone), Count(progress.filesTotal)));
    const double share = progress.bytesTotal
        ? double(progress.bytesDone) / double(progress.bytesTotal)
        : (progress.filesTotal ? double(progress.filesDone) / double(progress.filesTotal) : 0.0);
    m_bar->setValue(static_cast<int>(std::min(share, 1.0) * kBarSteps));
}

void FileOpProgressDialog::reject()
{
    // the dialog goes when the work has ended, not before
    if (m_cancelAsked)
        return;
    m_cancelAsked = true;
    m_cancel->setEnabled(false);
    m_current->setText(QStringLiteral("Cancelling..."));
    if (m_onCancel)
        m_onCancel();
}

} // namespace bivora
