#pragma once

#include <QDialog>

class QLineEdit;

namespace bivora {

class Prompts;

// A one-field input dialog with "Ok" and "Cancel", titled by its caller: either a
// text of a maximum length, or an integer (digits only) that must lie in a range
// when its minimum and maximum differ.
class InputDlg final : public QDialog {
    Q_OBJECT
public:
    // Text mode; a maximum length of 0 means none.
    InputDlg(Prompts& prompts, QWidget* parent, const QString& title, const QString& text, int maxLength);
    // Integer mode.
    InputDlg(Prompts& prompts, QWidget* parent, const QString& title, int value, int minimum, int maximum);

    QString Text() const;
    void SetText(const QString& text);
    int Value() const { return m_value; }
    QLineEdit* Edit() const { return m_edit; }

    void accept() override;

private:
    void Build(const QString& title);

    Prompts& m_prompts;
    QLineEdit* m_edit = nullptr;
    bool m_integerMode = false;
    int m_value = 0;
    int m_minimum = 0;
    int m_maximum = 0;
};

} // namespace bivora
