#include "ui/platform/qt_prompts.h"

#include <QDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <vector>

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

int QtPrompts::AskChoice(QWidget* parent, const QString& text, const QStringList& buttons, Icon icon)
{
    QMessageBox box(ToBoxIcon(icon), QGuiApplication::applicationDisplayName(), text, QMessageBox::NoButton, parent);
    std::vector<QPushButton*> made;
    for (const QString& caption : buttons)
        made.push_back(box.addButton(caption, QMessageBox::AcceptRole));
    if (!made.empty())
        box.setDefaultButton(made.front());
    box.exec();
    // Escape and the close button answer with nothing (no button has the reject role)
    const auto chosen = std::find(made.begin(), made.end(), box.clickedButton());
    return chosen == made.end() ? -1 : static_cast<int>(chosen - made.begin());
}

std::optional<QString> QtPrompts::OpenFile(QWidget* parent, const QString& title, const QString& filter,
                                           const QString& directory)
{
    const QString chosen = QFileDialog::getOpenFileName(parent, title, directory, filter);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

std::optional<QString> QtPrompts::SaveFile(QWidget* parent, const QString& title, const QString& filter,
                                           const QString& defaultName)
{
    // the dialog asks before replacing a file; the process's current directory stays
    const QString chosen = QFileDialog::getSaveFileName(parent, title, defaultName, filter);
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
