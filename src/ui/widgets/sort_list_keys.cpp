// The list control's keys and its type-ahead.
#include "ui/widgets/sort_list_ctrl.h"

#include "ui/widgets/sortable_row_model.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QKeyEvent>

#include <cstdint>

namespace bivora {

namespace {

// Letters typed within this pause continue one search.
constexpr std::int64_t kTypeAheadPauseMs = 1000;

} // namespace

bool SortListCtrl::HandleKey(QKeyEvent& event)
{
    const Qt::KeyboardModifiers mods = event.modifiers() & ~Qt::KeypadModifier;
    if (event.key() == Qt::Key_Insert && mods == Qt::NoModifier) {
        ToggleAndAdvance();
        event.accept();
        return true;
    }
    if (event.key() == Qt::Key_F10 && mods == Qt::ShiftModifier) {
        // the keyboard's other way to the context menu, besides the menu key
        Q_EMIT ContextMenuRequested(QCursor::pos(), true);
        event.accept();
        return true;
    }
    if (event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z && (mods & Qt::ShiftModifier)
        && !(mods & Qt::ControlModifier)) {
        // handled here alone, so the view's own keyboard search never sees the letter
        TypeAhead(QChar(u'A' + (event.key() - Qt::Key_A)));
        event.accept();
        return true;
    }
    if (m_keyHandler && m_keyHandler(event)) {
        event.accept();
        return true;
    }
    return false;
}

void SortListCtrl::ToggleAndAdvance()
{
    const int rows = m_model.rowCount();
    if (rows == 0)
        return;
    const int focused = FocusedRow();
    if (focused >= 0)
        m_selection->select(m_model.index(focused, 0), QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
    FocusRow(focused < 0 ? 0 : std::min(focused + 1, rows - 1));
}

void SortListCtrl::TypeAhead(QChar letter)
{
    const std::int64_t now = m_clock();
    if (m_typeAhead.isEmpty() || now - m_typeAheadTime > kTypeAheadPauseMs)
        m_typeAhead = QStringLiteral(".");
    m_typeAheadTime = now;
    m_typeAhead.append(letter);

    const int rows = m_model.rowCount();
    const int start = FocusedRow() + 1;
    int hit = -1;
    for (int row = start; row < rows && hit < 0; ++row) {
        if (RowText(row).toUpper().contains(m_typeAhead))
            hit = row;
    }
    for (int row = 0; row < std::min(start, rows) && hit < 0; ++row) {
        if (RowText(row).toUpper().contains(m_typeAhead))
            hit = row;
    }
    if (hit < 0) {
        if (m_beep)
            m_beep();
        return;
    }
    SelectOnly(hit);
}

void SortListCtrl::FocusRow(int row)
{
    const QModelIndex index = m_model.index(row, 0);
    m_selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    CurrentView()->scrollTo(index);
}

void SortListCtrl::SelectOnly(int row)
{
    const QModelIndex index = m_model.index(row, 0);
    m_selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    CurrentView()->scrollTo(index);
}

QString SortListCtrl::RowText(int row) const
{
    return m_model.data(m_model.index(row, 0), Qt::DisplayRole).toString();
}

} // namespace bivora
