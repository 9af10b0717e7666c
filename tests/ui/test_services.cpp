#include "test_services.h"

#include <QDialog>

#include <cerrno>

namespace bivora::test {

QStringList ScriptedPrompts::Texts(Kind kind) const
{
    QStringList texts;
    for (const Asked& asked : m_log) {
        if (asked.kind == kind)
            texts.push_back(asked.text);
    }
    return texts;
}

void ScriptedPrompts::Message(QWidget*, const QString& text, Icon icon)
{
    m_log.push_back({Kind::Message, text, icon});
}

bool ScriptedPrompts::AskYesNo(QWidget*, const QString& text, Icon icon)
{
    m_log.push_back({Kind::YesNo, text, icon});
    if (m_yesNo.empty())
        return false;
    const bool yes = m_yesNo.front();
    m_yesNo.pop_front();
    return yes;
}

int ScriptedPrompts::AskChoice(QWidget*, const QString& text, const QStringList& buttons, Icon icon)
{
    m_log.push_back({Kind::Choice, text, icon});
    if (m_choices.empty())
        return -1;
    const int index = m_choices.front();
    m_choices.pop_front();
    return index < buttons.size() ? index : -1;
}

std::optional<QString> ScriptedPrompts::OpenFile(QWidget*, const QString& title, const QString&, const QString&)
{
    m_log.push_back({Kind::OpenFile, title});
    std::optional<QString> answer;
    if (!m_files.empty()) {
        answer = std::move(m_files.front());
        m_files.pop_front();
    }
    return answer;
}

std::optional<QString> ScriptedPrompts::SaveFile(QWidget*, const QString& title, const QString& filter,
                                                 const QString& defaultName)
{
    m_log.push_back({Kind::SaveFile, title + QLatin1Char('|') + filter});
    m_lastSaveName = defaultName;
    std::optional<QString> answer;
    if (!m_files.empty()) {
        answer = std::move(m_files.front());
        m_files.pop_front();
    }
    return answer;
}

std::optional<QString> ScriptedPrompts::BrowseFolder(QWidget*, const QString& title, const QString&)
{
    m_log.push_back({Kind::BrowseFolder, title});
    std::optional<QString> answer;
    if (!m_folders.empty()) {
        answer = std::move(m_folders.front());
        m_folders.pop_front();
    }
    return answer;
}

int ScriptedPrompts::Exec(QDialog& dialog)
{
    m_log.push_back({Kind::Dialog, dialog.windowTitle()});
    if (m_dialogs.empty())
        return QDialog::Rejected;
    DialogHandler handler = std::move(m_dialogs.front());
    m_dialogs.pop_front();
    return handler(dialog);
}

bool RecordingLauncher::OpenWithDefault(const QString& path)
{
    m_log.push_back({path, {}, {}, true});
    return m_succeeds;
}

bool RecordingLauncher::StartDetached(const QString& program, const QStringList& arguments,
                                      const QString& workingDirectory)
{
    m_log.push_back({program, arguments, workingDirectory, false});
    return m_succeeds;
}

SysStatus RecordingLauncher::StartExact(const std::string& program, const std::vector<std::string>& arguments,
                                        const std::string& workingDirectory)
{
    QStringList list;
    for (const std::string& argument : arguments)
        list << QString::fromUtf8(argument.data(), qsizetype(argument.size()));
    m_log.push_back({QString::fromUtf8(program.data(), qsizetype(program.size())), list,
                     QString::fromUtf8(workingDirectory.data(), qsizetype(workingDirectory.size())), false});
    return m_succeeds ? SysStatus(Done{}) : SysStatus::Failure(ENOENT);
}

} // namespace bivora::test
