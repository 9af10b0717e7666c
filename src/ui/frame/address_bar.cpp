#include "ui/frame/address_bar.h"

#include "base/registry_keys.h"
#include "base/settings_store.h"
#include "ui/commands/command_actions.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/edit_text.h"
#include "ui/commands/services.h"
#include "ui/commands/status_service.h"
#include "ui/jobs/long_operation.h"
#include "ui/widgets/history_picker.h"

#include <QAbstractItemView>
#include <QAction>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QToolButton>

#include <algorithm>
#include <array>

// Resources of a static library must be registered by hand, outside any namespace.
static void InitAddressIcons()
{
    Q_INIT_RESOURCE(frame_icons);
}

namespace bivora {

namespace {

constexpr std::string_view kSection = registry::section::kMainFrameSettings;

// A stored size outside its range reads as the default; either way it is written
// back, so that it appears in the store.
int ReadComboSize(SettingsStore& store, std::string_view name, int low, int high, int fallback)
{
    int value = store.GetInt(kSection, name, fallback);
    if (value < low || value > high)
        value = fallback;
    store.WriteInt(kSection, name, value);
    return value;
}

struct BarButton {
    int id;              // 0: a separator
    const char* theme;   // freedesktop icon name
    const char* bundled; // file in the bundled set
};

constexpr auto kButtons = std::to_array<BarButton>({
    {cmd::kParent, "go-up", "parent"},
    {cmd::kRoot, "go-top", "root"},
    {cmd::kDesktop, "user-desktop", "desktop"},
    {0, nullptr, nullptr},
    {cmd::kPrevious, "go-previous", "previous"},
    {cmd::kNext, "go-next", "next"},
    {0, nullptr, nullptr},
    {cmd::kDocuments, "folder-documents", "documents"},
    {cmd::kBookmark0 + 1, "bookmarks", "bookmark"},
});

std::string WithoutLeadingBlanks(std::string text)
{
    const std::size_t start = text.find_first_not_of(" \t");
    return start == std::string::npos ? std::string() : text.substr(start);
}

} // namespace

// ---- AddressCombo ----

AddressCombo::AddressCombo(QWidget* parent)
    : QComboBox(parent)
{
    setObjectName(QStringLiteral("AddressCombo"));
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // typed paths are never completed from the list behind the user's back
    setCompleter(nullptr);
    // the bar decides the width; the list's longest path must not
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(8);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setToolTip(QStringLiteral("Folder history"));
    setStatusTip(QStringLiteral("Specify a new folder, visual file filter, or Run some program"));
    // a long pasted line arrives whole, for the pane to judge, rather than cut short
    // at the field's usual 32767 characters into something it might accept
    lineEdit()->setMaxLength(kMaxTextLength);
    // The keys reach the combo box, which has the focus and hands them to its edit
    // field by a direct call, past the field's filters: both are watched.
    installEventFilter(this);
    lineEdit()->installEventFilter(this);

    // An entry chosen from the list browses to it at once.
    connect(this, &QComboBox::activated, this, [this](int index) {
        setEditText(itemText(index));
        QMetaObject::invokeMethod(this, &AddressCombo::ExecuteRequested, Qt::QueuedConnection);
    });
}

std::string AddressCombo::Text() const
{
    return EditTextToBytes(currentText());
}

void AddressCombo::SetText(const std::string& text)
{
    setEditText(BytesToEditText(text));
}

void AddressCombo::AddFolder(const std::string& path, int limit)
{
    if (path.empty())
        return;
    for (int i = count() - 1; i >= 0; --i) {
        if (EditTextToBytes(itemText(i)) == path)
            removeItem(i);
    }
    insertItem(0, BytesToEditText(path));
    while (count() > std::max(limit, 1))
        removeItem(count() - 1);
    setCurrentIndex(0);
}

std::vector<std::string> AddressCombo::Folders() const
{
    std::vector<std::string> folders;
    folders.reserve(static_cast<std::size_t>(count()));
    for (int i = 0; i < count(); ++i)
        folders.push_back(EditTextToBytes(itemText(i)));
    return folders;
}

void AddressCombo::RestoreText()
{
    if (m_target)
        SetText(m_target->ActiveAddressText());
}

void AddressCombo::showPopup()
{
    // nFolderComboHeight is the closed box with its dropped list
    const int row = std::max(view()->sizeHintForRow(0), fontMetrics().height());
    setMaxVisibleItems(std::max(1, (m_droppedHeight - height()) / std::max(row, 1)));
    QComboBox::showPopup();
}

void AddressCombo::FocusPane()
{
    if (m_target)
        m_target->FocusPane();
}

bool AddressCombo::KeepsShortcut(const QKeyEvent& event) const
{
    // Alt with a menu's mnemonic still opens that menu; every other key is the field's.
    const Qt::KeyboardModifiers mods = event.modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::ShiftModifier);
    if (mods != Qt::AltModifier || event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter)
        return false;
    const QMenuBar* menuBar = window()->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly);
    if (!menuBar)
        return false;
    const QKeySequence pressed(event.keyCombination());
    for (const QAction* action : menuBar->actions()) {
        if (QKeySequence::mnemonic(action->text()) == pressed)
            return true;
    }
    return false;
}

bool AddressCombo::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this || watched == lineEdit()) {
        if (event->type() == QEvent::ShortcutOverride) {
            if (!KeepsShortcut(*static_cast<QKeyEvent*>(event))) {
                event->accept();
                return true;
            }
        } else if (event->type() == QEvent::KeyPress) {
            if (OnKey(*static_cast<QKeyEvent*>(event)))
                return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

bool AddressCombo::OnKey(QKeyEvent& event)
{
    const Qt::KeyboardModifiers mods = event.modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const bool shift = mods & Qt::ShiftModifier;
    const bool alt = mods & Qt::AltModifier;
    switch (event.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if ((ctrl || shift || event.key() == Qt::Key_Backtab) && m_target && m_target->FocusTree())
            return true;
        FocusPane();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (ctrl && !alt) {
            // the active pane's focused name, in place of the selection
            if (m_target) {
                if (const std::optional<std::string> name = m_target->FocusedName())
                    lineEdit()->insert(BytesToEditText(*name));
            }
            return true;
        }
        hidePopup();
        // the key is let go before the posted command runs: remember Alt for it
        m_enterWithAlt = alt;
        QMetaObject::invokeMethod(this, &AddressCombo::ExecuteRequested, Qt::QueuedConnection);
        return true;
    case Qt::Key_Escape:
        RestoreText();
        FocusPane();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (ctrl) {
            if (m_target)
                m_target->PassKeyToPane(event);
            return true;
        }
        if (alt || shift)
            return false;
        if (event.key() == Qt::Key_Down) {
            // the down arrow opens the list rather than walking it
            showPopup();
            return true;
        }
        // the up arrow does not walk the list either
        return event.key() == Qt::Key_Up;
    default:
        return false;
    }
}

// ---- AddressBar ----

AddressBar::AddressBar(AddressBarServices services, CommandActions& actions, QWidget* parent)
    : QToolBar(QStringLiteral("Address Bar"), parent)
    , m_store(services.store)
    , m_status(services.status)
    , m_prompts(services.prompts)
    , m_keyboard(services.keyboard)
    , m_historyItems(std::move(services.historyItems))
{
    InitAddressIcons();
    setObjectName(QStringLiteral("AddressBar"));
    setAllowedAreas(Qt::AllToolBarAreas);
    setToolButtonStyle(Qt::ToolButtonIconOnly);

    m_comboWidth = ReadComboSize(m_store, registry::value::kFolderComboWidth, kMinComboWidth, kMaxComboWidth,
                                 kDefaultComboWidth);
    const int height = ReadComboSize(m_store, registry::value::kFolderComboHeight, kMinComboHeight, kMaxComboHeight,
                                     kDefaultComboHeight);

    m_combo = new AddressCombo(this);
    m_combo->SetDroppedHeight(height);
    connect(m_combo, &AddressCombo::ExecuteRequested, this, &AddressBar::ExecuteRequested);
    m_comboAction = addWidget(m_combo);
    addSeparator();
    for (const BarButton& button : kButtons) {
        if (button.id == 0) {
            addSeparator();
            continue;
        }
        QAction* action = actions.Action(button.id);
        if (!action)
            continue;
        const QIcon bundled(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(button.bundled)));
        action->setIcon(QIcon::fromTheme(QLatin1String(button.theme), bundled));
        addAction(action);
    }

    ApplyFlat(false);
    connect(this, &QToolBar::orientationChanged, this, &AddressBar::UpdateComboWidth);
    connect(this, &QToolBar::topLevelChanged, this, &AddressBar::UpdateComboWidth);
    UpdateComboWidth();

    m_commands.Load(HistoryItems(), m_store, registry::section::kCommandHistory);
}

void AddressBar::SetTarget(AddressTarget* target)
{
    m_target = target;
    m_combo->SetTarget(target);
    m_combo->RestoreText();
}

int AddressBar::HistoryItems() const
{
    return m_historyItems ? m_historyItems() : 15;
}

void AddressBar::UpdateComboWidth()
{
    // Docked in a row, the box takes what the row leaves; at a side or floating, the
    // stored width.
    if (orientation() == Qt::Horizontal && !isFloating()) {
        m_combo->setMinimumWidth(kMinComboWidth);
        m_combo->setMaximumWidth(QWIDGETSIZE_MAX);
        m_combo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    } else {
        m_combo->setFixedWidth(m_comboWidth);
    }
}

void AddressBar::ApplyFlat(bool flat)
{
    setMovable(flat);
    for (QToolButton* button : findChildren<QToolButton*>())
        button->setAutoRaise(flat);
}

void AddressBar::LoadFolderHistory()
{
    HistoryList folders;
    folders.Load(HistoryItems(), m_store, registry::section::kFolderComboHistory);
    m_combo->clear();
    FillCombo(folders, HistoryItems(), *m_combo);
}

void AddressBar::SaveHistories() const
{
    const int limit = HistoryItems();
    HistoryList folders;
    const std::vector<std::string> list = m_combo->Folders();
    // added from the last to the first, so the stored order is the list's
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        folders.Add(limit, *it);
    folders.Save(limit, m_store, registry::section::kFolderComboHistory);
    m_commands.Save(limit, m_store, registry::section::kCommandHistory);
}

void AddressBar::Execute()
{
    if (!m_target || m_executing)
        return;
    // a pane's read lets events through: a second Enter meanwhile is not a second run
    m_executing = true;
    const bool inactivePane = m_combo->TakeEnterWithAlt() || m_keyboard.Alt();
    const std::string text = WithoutLeadingBlanks(m_combo->Text());
    if (!text.empty()) {
        if (text.front() == '>' || text.front() == '$') {
            RunCommand(text);
        } else if (text.find('\0') != std::string::npos
                   || m_target->GoToTyped(text, inactivePane) == AddressTarget::Outcome::Refused) {
            // a NUL cannot be part of any path: it would cut the text short
            m_status.ShowStatusMessage(QStringLiteral("The CPU cannot make any sense of the last input"), true);
        }
    }
    m_combo->RestoreText();
    m_target->FocusPane();
    m_executing = false;
}

void AddressBar::RunCommand(const std::string& text)
{
    bool started = false;
    {
        WaitCursor wait;
        started = m_target->RunCommand(text);
    }
    // it enters the history whether it ran or not, so a typing error can be mended
    m_commands.Add(HistoryItems(), text);
    if (!started)
        m_status.ShowStatusMessage(QStringLiteral("Cannot execute that command"), true);
}

void AddressBar::StartCommand(char prefix)
{
    if (isHidden())
        show();
    m_combo->SetText(std::string(1, prefix) + ' ');
    FocusAddress();
    m_combo->lineEdit()->end(false);
    m_status.ShowStatusMessage(QStringLiteral("Ctrl+Arrows/Return to select/pick names; press <Return> to run."));
}

void AddressBar::PickFrom(HistoryList& history, const QString& title)
{
    if (isHidden())
        show();
    const std::optional<std::string> text = PickFromHistory(m_prompts, window(), title, history, HistoryItems());
    if (!text)
        return;
    m_combo->SetText(*text);
    FocusAddress();
    m_combo->lineEdit()->end(false);
}

void AddressBar::ShowFolder(const std::string& folderPath, const std::string& text)
{
    // What the user is typing is not overwritten by a pane that re-reads meanwhile,
    // though the list below it changes.
    QLineEdit* edit = m_combo->lineEdit();
    const bool typing = edit->hasFocus() && edit->isModified();
    const QString typed = edit->text();
    const int cursor = edit->cursorPosition();
    m_combo->AddFolder(folderPath, HistoryItems());
    if (typing) {
        edit->setText(typed);
        edit->setCursorPosition(cursor);
        edit->setModified(true);
    } else {
        m_combo->SetText(text);
    }
}

void AddressBar::ShowText(const std::string& text)
{
    const QLineEdit* edit = m_combo->lineEdit();
    if (!(edit->hasFocus() && edit->isModified()))
        m_combo->SetText(text);
}

bool AddressBar::FocusAddress()
{
    if (isHidden())
        return false;
    m_combo->setFocus(Qt::ShortcutFocusReason);
    m_combo->lineEdit()->selectAll();
    return true;
}

} // namespace bivora
