#include "pane_fixture.h"

#include "ui/dialogs/properties_dialog.h"
#include "ui/stats/folder_data_window.h"

#include "ui/widgets/sort_list_ctrl.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QTest>

#include <unistd.h>

namespace bivora::test {

bool RecordingStatus::Said(const QString& text) const
{
    for (const Message& message : messages) {
        if (message.text == text)
            return true;
    }
    return false;
}

PaneFixture::PaneFixture()
{
    char buffer[4096];
    if (::getcwd(buffer, sizeof buffer))
        m_savedDirectory = buffer;
}

PaneFixture::~PaneFixture()
{
    ClosePanes();
    if (!m_savedDirectory.empty())
        (void)::chdir(m_savedDirectory.c_str());
}

PaneContext PaneFixture::Context(bool isLeft)
{
    PaneContext context{store, general, ns, icons, status, prompts, keyboard, launcher, shared, jobs};
    context.router = &router;
    context.pair = &pair;
    context.setMainCaption = [this](const QString& caption) { mainCaption = caption; };
    context.showProperties = [this](QWidget* owner, const std::vector<std::string>& paths) {
        PropertiesDialog dialog(paths, prompts, jobs, owner);
        prompts.Exec(dialog);
        return true;
    };
    context.showFolderData = [this](QWidget* owner, const std::string& folder) {
        const auto browse = [this](const std::string& path) {
            browsed.push_back(path);
            if (PaneView* target = pair.TargetPane(pair.ActivePane()))
                target->GoToTyped(path);
        };
        ShowFolderData(folder, {jobs, status, store, browse}, owner);
    };
    (void)isLeft;
    return context;
}

void PaneFixture::MakePanes(const std::string& leftFolder, const std::string& rightFolder)
{
    window = std::make_unique<QWidget>();
    auto* layout = new QHBoxLayout(window.get());
    PaneContext leftContext = Context(true);
    leftContext.commandLineFolder = leftFolder;
    PaneContext rightContext = Context(false);
    rightContext.commandLineFolder = rightFolder;
    left = new PaneView(leftContext, true, window.get());
    right = new PaneView(rightContext, false, window.get());
    layout->addWidget(left);
    layout->addWidget(right);
    pair.SetPanes(left, right);
    window->resize(800, 400);
    window->show();
    left->InitialUpdate();
    right->InitialUpdate();
    left->Activate();
}

void PaneFixture::ClosePanes()
{
    pair.SetPanes(nullptr, nullptr);
    window.reset();
    left = right = nullptr;
}

std::vector<CommandTarget*> PaneFixture::Chain()
{
    PaneView* active = pair.ActivePane();
    if (!active)
        return {};
    return {active->ListTarget(), active->PaneTarget()};
}

ItemIdList PaneFixture::IdOf(const std::string& path) const
{
    auto id = ns.ParsePath(path);
    EXPECT_TRUE(id) << path;
    return id.value_or(ItemIdList());
}

std::vector<std::string> PaneFixture::RowNames(const PaneView& pane)
{
    std::vector<std::string> names;
    for (int row = 0; row < pane.Model().rowCount(); ++row)
        names.push_back(pane.ItemAt(row)->Name());
    return names;
}

ShellItem* PaneFixture::ItemNamed(const PaneView& pane, const std::string& name)
{
    return pane.Folder() ? pane.Folder()->FindItemByName(name) : nullptr;
}

std::vector<std::string> PaneFixture::SelectedNames(const PaneView& pane)
{
    std::vector<std::string> names;
    for (const int row : pane.SelectedRows())
        names.push_back(pane.ItemAt(row)->Name());
    return names;
}

void PaneFixture::Select(PaneView& pane, const std::vector<std::string>& names)
{
    pane.List().SelectionModel()->clearSelection();
    for (const std::string& name : names)
        ASSERT_GE(pane.FocusName(name, true), 0) << name;
}

void PaneFixture::SortBy(PaneView& pane, int key, bool ascending)
{
    if (pane.List().Ascending() != ascending)
        pane.List().OnCommand(32890);
    pane.List().OnCommand(key);
}

} // namespace bivora::test
