#pragma once

#include <QDialog>

class QLabel;

namespace bivora {

// The modal About box: program name, a line about it, the build's version and a
// closing note in bold.
class AboutDlg final : public QDialog {
    Q_OBJECT
public:
    explicit AboutDlg(QWidget* parent = nullptr);

    QLabel& VersionLine() const { return *m_version; }
    QLabel& ClosingNote() const { return *m_closingNote; }

private:
    QLabel* m_version = nullptr;
    QLabel* m_closingNote = nullptr;
};

} // namespace bivora
