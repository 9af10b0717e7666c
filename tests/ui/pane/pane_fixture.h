#pragma once

#include "base/general_settings.h"
#include "base/settings_store.h"
#include "shell/shell_folder.h"
#include "shell/shell_item.h"
#include "shell/shell_namespace.h"
#include "ui/commands/command_router.h"
#include "ui/commands/status_service.h"
#include "ui/jobs/job_registry.h"
#include "ui/pane/pane_model.h"
#include "ui/pane/pane_pair.h"
#include "ui/pane/pane_view.h"
#include "ui/platform/icon_cache.h"

#include "../../shell/temp_tree.h"
#include "../test_services.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <ostream>
#include <vector>

QT_BEGIN_NAMESPACE
// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace bivora::test {

// Every message, the pane text and the progress calls, in order.
class RecordingStatus final : public StatusService {
public:
    struct Message {
        QString text;
        bool alert = false;
    };
    void ShowStatusMessage(const QString& text, bool alert = false) override { messages.push_back({text, alert}); }
    void ShowProgress(const QString& text) override { progress.push_back(text); }
    void StepProgress() override { ++progressSteps; }
    void HideProgress() override { ++progressHidden; }
    void SetPaneStatusText(const QString& text) override { paneText = text; }

    QString Last() const { return messages.empty() ? QString() : messages.back().text; }
    bool LastIsAlert() const { return !messages.empty() && messages.back().alert; }
    bool Said(const QString& text) const;

    std::vector<Message> messages;
    std::vector<QString> progress;
    int progressHidden = 0;
    int progressSteps = 0;
    QString paneText;
};

// Two panes in one window over a namespace in a temporary tree, with an in-memory
// store, scripted services and the command chain of the active pane.
class PaneFixture : public ::testing::Test {
protected:
    PaneFixture();
    ~PaneFixture() override;

    // Makes the two panes (after the test has prepared the store) and shows them;
    // the left pane is active. Each opens its start folder.
    void MakePanes(const std::string& leftFolder, const std::string& rightFolder);
    // Destroys the panes, as the window's close does.
    void ClosePanes();

    PaneContext Context(bool left);
    ItemIdList IdOf(const std::string& path) const;
    // The rows' names in row order.
    static std::vector<std::string> RowNames(const PaneView& pane);
    static ShellItem* ItemNamed(const PaneView& pane, const std::string& name);
    static std::vector<std::string> SelectedNames(const PaneView& pane);
    // Selects exactly these rows by name and focuses the last.
    static void Select(PaneView& pane, const std::vector<std::string>& names);
    static void SortBy(PaneView& pane, int key, bool ascending);

    // first made, last gone: a worker still running shares what it reads
    JobRegistry jobs;
    TempTree tree;
    Environment env = tree.MakeEnvironment();
    std::shared_ptr<ShellNamespace> sharedNs = std::make_shared<ShellNamespace>(env);
    ShellNamespace& ns = *sharedNs;
    std::string data = tree.MakeDir("data");

    MemorySettingsStore store;
    GeneralSettings general;
    IconCache icons{jobs};
    RecordingStatus status;
    ScriptedPrompts prompts;
    FakeKeyboardState keyboard;
    RecordingLauncher launcher;
    PaneSharedState shared;
    PanePairState pair{keyboard};
    CommandRouter router{[this] { return Chain(); }};
    QString mainCaption;
    std::vector<std::string> browsed; // the folders the Folder data window opened

    std::unique_ptr<QWidget> window;
    PaneView* left = nullptr;
    PaneView* right = nullptr;

private:
    std::vector<CommandTarget*> Chain();
    std::string m_savedDirectory;
};

} // namespace bivora::test
