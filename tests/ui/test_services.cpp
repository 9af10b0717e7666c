#include "test_services.h"

#include <QDialog>

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

std::optional<QString> ScriptedPrompts::OpenFile(QWidget*, const QString& title, const QString&, const QString&)
{
    m_log.push_back({Kind::OpenFile, title});
    if (m_files.empty())
        return std::nullopt;
    auto answer = m_files.front();
    m_files.pop_front();
    return answer;
}

std::optional<QString> ScriptedPrompts::BrowseFolder(QWidget*, const QString& title, const QString&)
{
    m_log.push_back({Kind::BrowseFolder, title});
    if (m_folders.empty())
        return std::nullopt;
    auto answer = m_folders.front();
    m_folders.pop_front();
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

} // namespace bivora::test
