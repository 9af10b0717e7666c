// The pane's stored settings: read at construction, written when the pane closes.
#include "ui/pane/pane_view.h"

#include "base/text_forms.h"

#include "base/date_kind.h"
#include "base/general_settings.h"
#include "base/registry_keys.h"
#include "base/settings_store.h"
#include "shell/shell_folder.h"
#include "ui/widgets/sort_list_ctrl.h"
#include "ui/commands/command_ids.h"
#include "ui/pane/folder_changed_event.h"
#include "ui/pane/pane_model.h"
#include "ui/pane/pane_selection.h"

#include <QCoreApplication>

namespace bivora {

namespace {

namespace reg = registry;

constexpr int kNameWidth = 150;
constexpr int kSizeWidth = 70;
constexpr int kDateWidth = 120;

QString DateTitle(DateKind dateKind)
{
    switch (dateKind) {
    case DateKind::kCreated:
        return QStringLiteral("Created");
    case DateKind::kAccessed:
        return QStringLiteral("Accessed");
    case DateKind::kModified:
        break;
    }
    return QStringLiteral("Modified");
}

} // namespace

void PaneView::LoadSettings()
{
    SettingsStore& store = m_ctx.store;
    if (m_left) {
        m_ctx.shared.visualFilterHistory.Load(m_ctx.general.historyItems, store, reg::section::kVisualFilterHistory);
        for (std::size_t n = 0; n < m_ctx.shared.bookmarks.size(); ++n)
            m_ctx.shared.bookmarks[n] = store.GetString(reg::section::kBookMarks, std::to_string(n));
    }
    PaneSelection::LoadPatternHistory(m_ctx);
    const std::string filter = store.GetString(m_section, reg::value::kDisplayFilter);
    if (m_filter.Parse(filter))
        m_filterText = m_filter.CanonicalText();
    else
        m_filterText = "*";
    m_startFolder = TrimmedBlanks(store.GetString(m_section, reg::value::kInitialFolder));

    m_list->MakeColumns({QStringLiteral("Name"), QStringLiteral("Size"), DateTitle(m_model->ShownDateKind())},
                        {kNameWidth, kSizeWidth, kDateWidth}, {Qt::AlignLeft, Qt::AlignRight, Qt::AlignLeft},
                        m_section);
    m_list->AttachSorting(
        [this](int rowA, int rowB, std::uint32_t param) { return m_model->CompareRows(rowA, rowB, param); },
        {cmd::kSortByName, cmd::kSortBySize, cmd::kSortByDate});
    m_list->SetOrdering([this](std::uint32_t param) { return m_model->OrderRows(param); });
    m_list->RestoreViewStyle();
}

void PaneView::SaveSettings()
{
    if (!m_folder || !m_ctx.general.saveSettings)
        return;
    SettingsStore& store = m_ctx.store;
    store.WriteString(m_section, reg::value::kDisplayFilter, m_filterText);
    // a virtual folder cannot be typed back in, so the stored start folder stays
    if (m_folder->IsFileSystem())
        store.WriteString(m_section, reg::value::kInitialFolder, m_folder->Path());
    if (m_left) {
        m_ctx.shared.visualFilterHistory.Save(m_ctx.general.historyItems, store, reg::section::kVisualFilterHistory);
        PaneSelection::SavePatternHistory(m_ctx);
        for (std::size_t n = 0; n < m_ctx.shared.bookmarks.size(); ++n)
            store.WriteString(reg::section::kBookMarks, std::to_string(n), m_ctx.shared.bookmarks[n]);
    }
}

void PaneView::ApplySettingsChange(bool hiddenFilesChanged, bool dateKindChanged)
{
    if (dateKindChanged) {
        m_model->SetDateKind(DateKindFromSetting(m_ctx.general.fileDateUzed));
        m_model->SetColumnTitle(PaneModel::kDateColumn, DateTitle(m_model->ShownDateKind()));
        ScheduleStatusUpdate();
    }
    if (hiddenFilesChanged)
        QCoreApplication::postEvent(this, new FolderChangedEvent());
}

} // namespace bivora
