// The status-bar text of the pane.
#include "ui/pane/pane_view.h"

#include "base/pane_texts.h"
#include "shell/shell_folder.h"
#include "shell/shell_item.h"
#include "ui/commands/byte_text.h"
#include "ui/commands/status_service.h"
#include "ui/pane/pane_model.h"
#include "ui/platform/free_space_cache.h"

namespace bivora {

void PaneView::ScheduleStatusUpdate()
{
    if (m_active)
        m_statusTimer.start(0);
}

void PaneView::UpdateStatusText()
{
    if (m_active && !m_busy)
        m_ctx.status.SetPaneStatusText(StatusText());
}

QString PaneView::StatusText() const
{
    PaneStatusFacts facts;
    facts.rowCount = m_model->rowCount();
    facts.byteTotal = m_byteTotal;
    facts.fileSystemFolder = m_folder && m_folder->IsFileSystem();
    facts.dateKind = m_model->ShownDateKind();
    const std::vector<int> selected = SelectedRows();
    facts.selectedCount = static_cast<int>(selected.size());
    for (const int row : selected)
        facts.selectedBytes += ItemAt(row)->size;
    if (selected.size() == 1) {
        const ShellItem* item = ItemAt(selected.front());
        facts.selectedIsFolder = item->IsFolder(false);
        facts.selectedIsLink = item->IsLink();
        facts.selectedSizeText = m_model->SizeText(selected.front()).toStdString();
        facts.selectedDateText = m_model->DateText(selected.front()).toStdString();
    }
    // read on a worker and kept a few seconds; until it is in, the text says "???" as
    // for a failed read, and is made again when the value arrives
    if (selected.empty() && facts.fileSystemFolder)
        facts.freeSpaceText = FreeSpaceText(m_freeSpace->FreeSpace(m_folder->Path()));
    return FromBytes(PaneStatusText(facts));
}

} // namespace bivora
