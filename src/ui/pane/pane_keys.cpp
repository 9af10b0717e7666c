// The pane's own keys.
#include "ui/pane/pane_view.h"

#include "ui/widgets/sort_list_ctrl.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/status_service.h"

#include <QKeyEvent>

#include <algorithm>

namespace bivora {

namespace {

// Digits as the shifted keys of a common layout deliver them.
int DigitOfKey(int key)
{
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return key - Qt::Key_0;
    static constexpr int kShifted[10] = {Qt::Key_ParenRight, Qt::Key_Exclam, Qt::Key_At, Qt::Key_NumberSign,
                                         Qt::Key_Dollar, Qt::Key_Percent, Qt::Key_AsciiCircum, Qt::Key_Ampersand,
                                         Qt::Key_Asterisk, Qt::Key_ParenLeft};
    for (int digit = 0; digit < 10; ++digit) {
        if (kShifted[digit] == key)
            return digit;
    }
    return -1;
}

} // namespace

void PaneView::StepSelected(bool down)
{
    const std::vector<int> selected = SelectedRows();
    if (selected.empty())
        return;
    const int focused = m_list->FocusedRow();
    int row = -1;
    if (down) {
        const auto next = std::upper_bound(selected.begin(), selected.end(), focused);
        if (next != selected.end())
            row = *next;
    } else {
        const auto next = std::lower_bound(selected.begin(), selected.end(), focused);
        if (next != selected.begin())
            row = *std::prev(next);
    }
    if (row < 0) {
        row = down ? selected.front() : selected.back();
        m_ctx.status.ShowStatusMessage(QStringLiteral("Cursor warped round the pane"), true);
    }
    m_list->SetRowState(row, 0);
}

bool PaneView::HandleKey(QKeyEvent& event)
{
    if (event.type() != QEvent::KeyPress)
        return false;
    Qt::KeyboardModifiers mods = event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    int key = event.key();
    if (key == Qt::Key_Backtab) {
        key = Qt::Key_Tab;
        mods |= Qt::ShiftModifier;
    }
    // in details view the arrows across act as Tab, as there is nothing across to move to
    if ((key == Qt::Key_Left || key == Qt::Key_Right) && m_list->ViewStyle() == cmd::kDetails && !(mods & Qt::AltModifier))
        key = Qt::Key_Tab;

    // The grey keys are the keypad's. Their shortcuts name the keypad, which not every
    // platform plugin matches; a key its shortcut did not take arrives here.
    if (event.modifiers() & Qt::KeypadModifier) {
        const bool alt = mods & Qt::AltModifier;
        const int id = key == Qt::Key_Plus ? (alt ? cmd::kLikeThisOne : cmd::kSelectGroup)
            : key == Qt::Key_Minus         ? (alt ? cmd::kUnlikeThisOne : cmd::kUnselectGroup)
            : key == Qt::Key_Asterisk      ? cmd::kInvertSelection
                                           : 0;
        if (id != 0) {
            Route(id);
            return true;
        }
    }

    switch (key) {
    case Qt::Key_Backspace:
        Route(mods & Qt::ShiftModifier ? cmd::kRoot : (mods & Qt::ControlModifier ? cmd::kDesktop : cmd::kParent));
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        OpenItem(true);
        return true;
    case Qt::Key_Tab:
        if ((mods & Qt::ShiftModifier) && m_ctx.focusAddressBox && m_ctx.focusAddressBox())
            return true;
        if ((mods & Qt::ControlModifier) && m_ctx.focusFolderTree && m_ctx.focusFolderTree())
            return true;
        SwitchPanes();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (!(mods & Qt::AltModifier))
            return false;
        StepSelected(key == Qt::Key_Down);
        return true;
    case Qt::Key_Delete:
        if (mods & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        if (!SelectedRows().empty())
            Route(cmd::kDelete);
        return true;
    case Qt::Key_F2:
        // Rename is greyed in virtual folders, so its key arrives here and says why.
        if (mods != Qt::NoModifier)
            return false;
        if (!m_busy)
            BeginRename(m_list->FocusedRow());
        return true;
    case Qt::Key_F12:
        // Properties is greyed without a selection, so its key arrives here instead
        // and says why nothing opens.
        if (mods != Qt::NoModifier)
            return false;
        if (!m_busy)
            Properties();
        return true;
    default:
        break;
    }
    if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier)) {
        const int digit = DigitOfKey(key);
        if (digit >= 0) {
            // the bookmark commands read Shift themselves (held: set the bookmark)
            if (digit <= 5)
                Route(cmd::kBookmark0 + digit);
            else if (digit >= 7)
                Route(cmd::kLayout1 + (digit - 7));
            return true;
        }
        if ((mods & Qt::ShiftModifier) && key >= Qt::Key_A && key <= Qt::Key_Z) {
            GoToDrive(static_cast<char>('A' + (key - Qt::Key_A)));
            return true;
        }
    }
    return false;
}

} // namespace bivora
