#include "ui/platform/open_in_editor.h"

#include "base/general_settings.h"
#include "base/path_text.h"
#include "ui/commands/byte_text.h"
#include "ui/commands/services.h"
#include "ui/platform/detached_start.h"
#include "ui/platform/execute_item.h"

#include <QApplication>

namespace bivora {

namespace {

std::string FolderOf(const std::string& path)
{
    const std::string_view folder = ParentFolder(path);
    return folder.empty() ? std::string(".") : std::string(folder);
}

} // namespace

QString OpenInEditor(const std::string& path, bool readOnly, bool forceInternal, GeneralSettings& settings,
                     Launcher& launcher, Prompts& prompts, QWidget* parent, const InternalEditor& openInternal)
{
    if (!forceInternal && settings.uzeExternalEditor && !settings.externalEditorName.empty()) {
        if (launcher.StartExact(settings.externalEditorName, {path}, FolderOf(path)))
            return {};
        const QString question =
            QStringLiteral("There was an error launching the external editor\n%1\nUse the internal applet instead?")
                .arg(FromBytes(settings.externalEditorName));
        if (!prompts.AskYesNo(parent, question, Prompts::Icon::Question))
            return {};
        settings.uzeExternalEditor = false;
    }
    if (openInternal) {
        if (!openInternal(path, readOnly))
            QApplication::beep();
        return {};
    }
    // Without a viewer of our own the default application stands in.
    if (!IsValidUtf8(path)) {
        const SysStatus started = launcher.StartExact("xdg-open", {path}, FolderOf(path));
        return started ? QString() : LaunchFailureText(ExecuteResult::Kind::Opened, path, started.Error());
    }
    if (launcher.OpenWithDefault(QString::fromStdString(path)))
        return {};
    return LaunchFailureText(ExecuteResult::Kind::Opened, path, 0);
}

} // namespace bivora
