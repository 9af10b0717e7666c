#include "ui/editor/replace_text_dlg.h"

#include "base/grep_settings.h"
#include "ui/commands/edit_text.h"
#include "ui/commands/services.h"
#include "ui/editor/editor_context.h"
#include "ui/editor/find_text_dlg.h"
#include "ui/widgets/dialog_controls.h"
#include "ui/widgets/history_picker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace bivora {

namespace {

QPushButton* MakeButton(QWidget* parent, const QString& text, const char* name)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

ReplaceTextDlg::ReplaceTextDlg(QWidget* parent, Prompts& prompts, EditorShared& shared, EditorSearch& search,
                               const QString& initialText, const ReplaceRange& range, bool coversSelection)
    : QDialog(parent), m_prompts(prompts), m_shared(shared), m_search(search), m_range(range)
{
    using namespace search_dlg;
    setWindowTitle(QStringLiteral("Replace Text"));
    setWindowModality(Qt::WindowModal);
    const int items = shared.historyItems();
    m_find = MakeCombo(this, "findWhat", kMaxText);
    FillCombo(shared.grep.findHistory, items, *m_find);
    m_find->setEditText(initialText);
    m_replace = MakeCombo(this, "replaceWith", kMaxText);
    FillCombo(shared.replaceHistory, items, *m_replace);
    m_matchCase = MakeCheck(this, QStringLiteral("Match &case"), "matchCase", shared.grep.matchCase);
    m_wholeWords = MakeCheck(this, QStringLiteral("&Whole words only"), "wholeWords", shared.grep.wordsOnly);
    m_backwards = MakeCheck(this, QStringLiteral("Search &backwards"), "searchBackwards",
                            shared.settings.searchBackwards);
    const bool hasRange = m_range.end >= 0;
    m_selectionOnly = MakeCheck(this, QStringLiteral("Apply to current &selection only"), "selectionOnly",
                                hasRange && m_range.selectionOnly);
    m_selectionOnly->setEnabled(hasRange);
    m_backwards->setEnabled(!hasRange);
    m_moveOnShow = !hasRange && coversSelection;

    m_replaceButton = MakeButton(this, QStringLiteral("R&eplace"), "replace");
    m_replaceAllButton = MakeButton(this, QStringLiteral("Replace &All"), "replaceAll");
    m_findNextButton = MakeButton(this, QStringLiteral("Find &Next"), "findNext");
    m_findNextButton->setDefault(true);
    QPushButton* close = MakeButton(this, QStringLiteral("Close"), "close");

    auto* findLabel = new QLabel(QStringLiteral("&Find what:"), this);
    findLabel->setBuddy(m_find);
    auto* replaceLabel = new QLabel(QStringLiteral("&Replace with:"), this);
    replaceLabel->setBuddy(m_replace);
    auto* hint = new QLabel(QStringLiteral("Specify what to look for and what to replace it with. With an empty "
                                           "replacement text, Replace deletes the text found."),
                            this);
    hint->setWordWrap(true);

    auto* grid = new QGridLayout;
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(m_find, 0, 1);
    grid->addWidget(replaceLabel, 1, 0);
    grid->addWidget(m_replace, 1, 1);
    auto* fields = new QVBoxLayout;
    fields->addLayout(grid);
    fields->addWidget(m_matchCase);
    fields->addWidget(m_wholeWords);
    fields->addWidget(m_backwards);
    fields->addWidget(m_selectionOnly);
    fields->addWidget(hint);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_replaceButton);
    buttons->addWidget(m_replaceAllButton);
    buttons->addWidget(m_findNextButton);
    buttons->addWidget(close);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);

    connect(m_replaceButton, &QPushButton::clicked, this, &ReplaceTextDlg::Replace);
    connect(m_replaceAllButton, &QPushButton::clicked, this, &ReplaceTextDlg::ReplaceAll);
    connect(m_findNextButton, &QPushButton::clicked, this, &ReplaceTextDlg::FindNext);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    // a change that could make a failed search succeed enables the buttons again
    connect(m_find, &QComboBox::editTextChanged, this, [this] { SetButtonsEnabled(true); });
    connect(m_matchCase, &QCheckBox::toggled, this, [this](bool on) {
        if (!on)
            SetButtonsEnabled(true);
    });
    connect(m_wholeWords, &QCheckBox::toggled, this, [this](bool on) {
        if (!on)
            SetButtonsEnabled(true);
    });
    connect(m_backwards, &QCheckBox::toggled, this, [this](bool on) {
        if (on && !m_shared.settings.cyclicSearch)
            SetButtonsEnabled(true);
    });
    connect(m_selectionOnly, &QCheckBox::toggled, this, &ReplaceTextDlg::SelectionOnlyToggled);
    m_find->setFocus();
}

void ReplaceTextDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_moveOnShow) {
        m_moveOnShow = false;
        MoveOffSelection(true);
    }
}

bool ReplaceTextDlg::StoreControls()
{
    m_shared.grep.matchCase = m_matchCase->isChecked();
    m_shared.grep.wordsOnly = m_wholeWords->isChecked();
    m_shared.settings.searchBackwards = m_backwards->isChecked();
    if (m_find->currentText().isEmpty()) {
        m_prompts.Message(this, search_dlg::kEmptyText, Prompts::Icon::Exclamation);
        m_find->setFocus();
        return false;
    }
    const int items = m_shared.historyItems();
    m_shared.grep.findHistory.Add(items, EditTextToBytes(m_find->currentText()));
    m_shared.replaceHistory.Add(items, EditTextToBytes(m_replace->currentText()));
    return true;
}

void ReplaceTextDlg::SetButtonsEnabled(bool enabled)
{
    m_replaceButton->setEnabled(enabled);
    m_replaceAllButton->setEnabled(enabled);
    m_findNextButton->setEnabled(enabled);
}

void ReplaceTextDlg::FindNext()
{
    if (!StoreControls())
        return;
    if (m_search.SearchStep(m_find->currentText(), m_range, true))
        MoveOffSelection(false);
    else
        SetButtonsEnabled(false);
}

void ReplaceTextDlg::Replace()
{
    if (!StoreControls())
        return;
    if (m_search.ReplaceOne(m_find->currentText(), m_replace->currentText(), m_range, true))
        MoveOffSelection(false);
    else
        SetButtonsEnabled(false);
}

void ReplaceTextDlg::ReplaceAll()
{
    if (!StoreControls())
        return;
    const int count = m_search.ReplaceAll(m_find->currentText(), m_replace->currentText(), m_range);
    SetButtonsEnabled(false);
    if (count > 0) {
        m_prompts.Message(this,
                          QStringLiteral("%1 occurence%2 have been replaced.")
                              .arg(count)
                              .arg(count > 1 ? QStringLiteral("s") : QString()),
                          Prompts::Icon::Information);
    }
}

void ReplaceTextDlg::SelectionOnlyToggled(bool on)
{
    m_range.selectionOnly = on;
    if (on) {
        m_search.Select(m_range.start, m_range.start);
        m_backwards->setChecked(false);
        m_range.limit = m_range.end;
    } else {
        m_range.limit = -1;
    }
    m_backwards->setEnabled(!on);
    SetButtonsEnabled(true);
}

void ReplaceTextDlg::MoveOffSelection(bool force)
{
    const QPoint point = m_search.SelectionStartOnScreen();
    const QRect frame = frameGeometry();
    if (!force && !frame.contains(point))
        return;
    const QScreen* where = screen();
    if (!where)
        return;
    const QRect area = where->availableGeometry();
    if (point.y() - area.top() > frame.height())
        move(frame.x(), point.y() - 20 - frame.height());
    else if (point.y() + 40 + frame.height() <= area.bottom())
        move(frame.x(), point.y() + 40);
}

} // namespace bivora
