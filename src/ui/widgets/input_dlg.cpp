#include "ui/widgets/input_dlg.h"

#include "ui/commands/services.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace bivora {

InputDlg::InputDlg(Prompts& prompts, QWidget* parent, const QString& title, const QString& text, int maxLength)
    : QDialog(parent)
    , m_prompts(prompts)
{
    Build(title);
    if (maxLength > 0)
        m_edit->setMaxLength(maxLength);
    m_edit->setText(text);
    m_edit->selectAll();
}

InputDlg::InputDlg(Prompts& prompts, QWidget* parent, const QString& title, int value, int minimum, int maximum)
    : QDialog(parent)
    , m_prompts(prompts)
    , m_integerMode(true)
    , m_value(value)
    , m_minimum(minimum)
    , m_maximum(maximum)
{
    Build(title);
    m_edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_edit));
    m_edit->setText(QString::number(value));
    m_edit->selectAll();
}

void InputDlg::Build(const QString& title)
{
    setWindowTitle(title);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("edit1026"));
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Ok"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &InputDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &InputDlg::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_edit);
    layout->addWidget(buttons);
    m_edit->setFocus();
}

QString InputDlg::Text() const
{
    return m_edit->text();
}

void InputDlg::SetText(const QString& text)
{
    m_edit->setText(text);
}

void InputDlg::accept()
{
    if (m_integerMode) {
        bool ok = false;
        const int value = m_edit->text().toInt(&ok);
        QString problem;
        if (!ok)
            problem = QStringLiteral("Please enter an integer.");
        else if (m_minimum != m_maximum && (value < m_minimum || value > m_maximum))
            problem = QStringLiteral("Please enter an integer between %1 and %2.").arg(m_minimum).arg(m_maximum);
        if (!problem.isEmpty()) {
            m_prompts.Message(this, problem, Prompts::Icon::Exclamation);
            m_edit->setFocus();
            m_edit->selectAll();
            return;
        }
        m_value = value;
    }
    QDialog::accept();
}

} // namespace bivora
