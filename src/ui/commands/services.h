#pragma once

#include "shell/process_start.h"

#include <QString>
#include <QStringList>

#include <Qt>
#include <optional>
#include <string>
#include <vector>

class QDialog;
class QWidget;

namespace bivora {

// Message boxes, questions, input and file dialogs: raised through this service so
// that tests can answer them and see what was asked.
class Prompts {
public:
    enum class Icon { Information, Exclamation, Question, Critical };
    virtual ~Prompts() = default;
    // A message with an OK button.
    virtual void Message(QWidget* parent, const QString& text, Icon icon = Icon::Exclamation) = 0;
    // A Yes/No question; true for Yes.
    virtual bool AskYesNo(QWidget* parent, const QString& text, Icon icon = Icon::Exclamation) = 0;
    // A question answered by one of the buttons (the first is the default); the index
    // of the button chosen, -1 when the question was closed without an answer.
    virtual int AskChoice(QWidget* parent, const QString& text, const QStringList& buttons,
                          Icon icon = Icon::Question)
    {
        (void)parent, (void)text, (void)buttons, (void)icon;
        return -1;
    }
    // A file-open dialog; nullopt when cancelled.
    virtual std::optional<QString> OpenFile(QWidget* parent, const QString& title, const QString& filter,
                                            const QString& directory) = 0;
    // A file-save dialog offering defaultName, asking before an existing file is
    // replaced; nullopt when cancelled (and where no dialog can be shown).
    virtual std::optional<QString> SaveFile(QWidget* parent, const QString& title, const QString& filter,
                                            const QString& defaultName)
    {
        (void)parent, (void)title, (void)filter, (void)defaultName;
        return std::nullopt;
    }
    // A folder-only dialog; nullopt when cancelled.
    virtual std::optional<QString> BrowseFolder(QWidget* parent, const QString& title, const QString& initial) = 0;
    // Runs a modal dialog and returns its result code (QDialog::Accepted / Rejected).
    virtual int Exec(QDialog& dialog) = 0;
};

// Which of Alt, Ctrl and Shift are held at the moment a command runs.
class KeyboardState {
public:
    virtual ~KeyboardState() = default;
    virtual Qt::KeyboardModifiers Modifiers() const = 0;
    bool Alt() const { return Modifiers() & Qt::AltModifier; }
    bool Ctrl() const { return Modifiers() & Qt::ControlModifier; }
    bool Shift() const { return Modifiers() & Qt::ShiftModifier; }
};

// Starting programs and opening files with the desktop's applications.
class Launcher {
public:
    virtual ~Launcher() = default;
    // Opens a file or folder with its default application; false when that cannot start.
    virtual bool OpenWithDefault(const QString& path) = 0;
    // Starts a program detached in a working folder; false when it cannot start.
    virtual bool StartDetached(const QString& program, const QStringList& arguments,
                               const QString& workingDirectory) = 0;
    // Starts a program detached with its name, arguments and working folder as exact
    // bytes, which a QString cannot carry when they are not UTF-8; no shell between.
    // The failure keeps its errno (ENOENT: no such program). Starts it for real unless
    // a test launcher records it instead.
    virtual SysStatus StartExact(const std::string& program, const std::vector<std::string>& arguments,
                                 const std::string& workingDirectory)
    {
        return StartDetachedProcess(program, arguments, workingDirectory);
    }
};

} // namespace bivora
