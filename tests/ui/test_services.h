#pragma once

#include "ui/commands/services.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

class QDialog;

namespace bivora::test {

// Prompts answered from a script, with a record of everything that was asked.
// An unscripted question is answered No, an unscripted file or folder dialog is
// cancelled and an unscripted modal dialog is rejected.
class ScriptedPrompts final : public Prompts {
public:
    enum class Kind { Message, YesNo, Choice, OpenFile, SaveFile, BrowseFolder, Dialog };
    struct Asked {
        Kind kind;
        QString text;  // the message, the question or the dialog's title
        Icon icon = Icon::Exclamation;
    };
    // Fills or inspects a dialog, then returns its result code.
    using DialogHandler = std::function<int(QDialog&)>;

    void AnswerYesNo(bool yes) { m_yesNo.push_back(yes); }
    // The index of the button chosen; -1 closes the question.
    void AnswerChoice(int index) { m_choices.push_back(index); }
    void AnswerFile(std::optional<QString> path) { m_files.push_back(std::move(path)); }
    void AnswerFolder(std::optional<QString> path) { m_folders.push_back(std::move(path)); }
    void AnswerDialog(DialogHandler handler) { m_dialogs.push_back(std::move(handler)); }

    const std::vector<Asked>& Log() const { return m_log; }
    // The texts asked of one kind, in order.
    QStringList Texts(Kind kind) const;
    void ClearLog() { m_log.clear(); }

    void Message(QWidget* parent, const QString& text, Icon icon = Icon::Exclamation) override;
    bool AskYesNo(QWidget* parent, const QString& text, Icon icon = Icon::Exclamation) override;
    // An unscripted choice is closed without an answer (-1).
    int AskChoice(QWidget* parent, const QString& text, const QStringList& buttons,
                  Icon icon = Icon::Question) override;
    std::optional<QString> OpenFile(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& directory) override;
    // answered from the same script as OpenFile; the default name is kept
    std::optional<QString> SaveFile(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& defaultName) override;
    std::optional<QString> BrowseFolder(QWidget* parent, const QString& title, const QString& initial) override;
    QString LastSaveName() const { return m_lastSaveName; }
    int Exec(QDialog& dialog) override;

private:
    std::vector<Asked> m_log;
    std::deque<bool> m_yesNo;
    std::deque<int> m_choices;
    std::deque<std::optional<QString>> m_files;
    std::deque<std::optional<QString>> m_folders;
    std::deque<DialogHandler> m_dialogs;
    QString m_lastSaveName;
};

// Modifiers the test sets.
class FakeKeyboardState final : public KeyboardState {
public:
    void SetModifiers(Qt::KeyboardModifiers modifiers) { m_modifiers = modifiers; }
    Qt::KeyboardModifiers Modifiers() const override { return m_modifiers; }

private:
    Qt::KeyboardModifiers m_modifiers = Qt::NoModifier;
};

// Records what would have started; every start succeeds unless told otherwise.
class RecordingLauncher final : public Launcher {
public:
    struct Started {
        QString program;  // the path for OpenWithDefault
        QStringList arguments;
        QString workingDirectory;
        bool opened = false;  // true for OpenWithDefault
    };

    void SetSucceeds(bool succeeds) { m_succeeds = succeeds; }
    const std::vector<Started>& Log() const { return m_log; }

    bool OpenWithDefault(const QString& path) override;
    bool StartDetached(const QString& program, const QStringList& arguments,
                       const QString& workingDirectory) override;
    // recorded like StartDetached, the bytes read as UTF-8
    SysStatus StartExact(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory) override;

private:
    std::vector<Started> m_log;
    bool m_succeeds = true;
};

} // namespace bivora::test
