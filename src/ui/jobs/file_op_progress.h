#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace bivora {

struct FileOpProgress;

// The progress of a file operation: what it does, the file at work, bytes and files
// done of the whole, and Cancel. Cancel (the button, Escape, the close button) calls
// onCancel once and leaves the dialog up, saying it cancels, until the work has ended.
class FileOpProgressDialog final : public QDialog {
public:
    FileOpProgressDialog(const QString& title, std::function<void()> onCancel, QWidget* parent = nullptr);

    void ShowProgress(const FileOpProgress& progress);
    bool CancelAsked() const { return m_cancelAsked; }

    void reject() override;

private:
    std::function<void()> m_onCancel;
    bool m_cancelAsked = false;
    QLabel* m_current = nullptr;
    QLabel* m_bytes = nullptr;
    QLabel* m_files = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace bivora
