#include "ui/platform/qt_prompts.h"

#include <QDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>

namespace bivora {

namespace {

QMessageBox::Icon ToBoxIcon(Prompts::Icon icon)
{
    switch (icon) {
    case Prompts::Icon::Information:
        return QMessageBox::Information;
    case Prompts::Icon::Question:
        return QMessageBox::Question;
    case Prompts::Icon::Critical:
        return QMessageBox::Critical;
    case Prompts::Icon::Exclamation:
        break;
    }
    return QMessageBox::Warning;
}

int RunBox(QWidget* parent, const QString& text, Prompts::Icon icon, QMessageBox::StandardButtons buttons,
           QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(ToBoxIcon(icon), QGuiApplication::applicationDisplayName(), text, buttons, parent);
    box.setDefaultButton(defaultButton);
    return box.exec();
}

} // namespace

void QtPrompts::Message(QWidget* parent, const QString& text, Icon icon)
{
    RunBox(parent, text, icon, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtPrompts::AskYesNo(QWidget* parent, const QString& text, Icon icon)
{
    return RunBox(parent, text, icon, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

std::optional<QString> QtPrompts::OpenFile(QWidget* parent, const QString& title, const QString& filter,
                                           const QString& directory)
{
    const QString chosen = QFileDialog::getOpenFileName(parent, title, directory, filter);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

std::optional<QString> QtPrompts::BrowseFolder(QWidget* parent, const QString& title, const QString& initial)
{
    const QString chosen = QFileDialog::getExistingDirectory(parent, title, initial);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

int QtPrompts::Exec(QDialog& dialog)
{
    return dialog.exec();
}

} // namespace bivora
