#include "ui/find/find_files_dlg.h"

#include "ui/widgets/dialog_controls.h"

#include "base/find_settings.h"
#include "base/grep_settings.h"
#include "shell/shell_namespace.h"
#include "ui/commands/edit_text.h"
#include "ui/commands/services.h"
#include "ui/jobs/off_thread_read.h"
#include "ui/widgets/history_picker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <climits>
#include <ctime>

namespace bivora {

namespace {

CivilDate ToCivil(const QDate& date)
{
    return {date.year(), date.month(), date.day()};
}

CivilDate Today()
{
    return ToCivil(QDate::currentDate());
}

QComboBox* MakeCombo(QWidget* parent, const char* name, bool editable)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setEditable(editable);
    if (editable) {
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setCompleter(nullptr);
        combo->setMinimumContentsLength(36);
    }
    return combo;
}

QSpinBox* MakeSpin(QWidget* parent, const char* name, std::uint32_t value)
{
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setRange(0, INT_MAX);
    spin->setValue(value > static_cast<std::uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(value));
    return spin;
}

QLabel* Buddy(QWidget* parent, const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

std::vector<std::string> MountedLocalDrives(const ShellNamespace& ns)
{
    std::vector<std::string> roots;
    for (const Drive& drive : ns.Drives()) {
        // a comma would split the mount path in the list
        if (!drive.removable && !drive.network && drive.mountPath.find(',') == std::string::npos)
            roots.push_back(drive.mountPath);
    }
    return roots;
}

} // namespace

QString FindFilesDlg::DateFormat()
{
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

FindFilesDlg::FindFilesDlg(const FindFilesDlgServices& services, const std::string& lookIn, QWidget* parent)
    : QDialog(parent), m_services(services), m_initialLookIn(BytesToEditText(lookIn))
{
    const int limit = services.historyItems;
    services.grep.EnsureLoaded(limit, services.store);
    services.settings.EnsureLoaded(limit, services.store, Today());
    const FindFileSettings& settings = services.settings;
    const GrepSettings& grep = services.grep;

    setWindowTitle(QStringLiteral("Find files or folders"));

    m_named = MakeCombo(this, "named", true);
    FillCombo(grep.fileTypesHistory, limit, *m_named, std::string());
    m_lookIn = MakeCombo(this, "lookIn", true);
    FillCombo(settings.lookInHistory, limit, *m_lookIn, lookIn);
    m_lookIn->setEditText(m_initialLookIn);
    auto* browse = new QPushButton(QStringLiteral("Br&owse..."), this);
    browse->setObjectName(QStringLiteral("browse"));
    browse->setAutoDefault(false);
    m_subfolders = MakeCheck(this, QStringLiteral("Include &Subfolders"), "includeSubfolders", settings.recursive);
    m_allDrives = MakeCheck(this, QStringLiteral("Scan &all drives"), "scanAllDrives", false);

    m_useDate = MakeCheck(this, QStringLiteral("Use &date constraints"), "useDate", false);
    static const char* const kDateNames[] = {"Modified", "Created", "Accessed"};
    m_dateGroup = new QGroupBox(QStringLiteral("Date %1").arg(QLatin1String(kDateNames[DateKindSetting(services.dateKind)])), this);
    m_dateGroup->setObjectName(QStringLiteral("dateGroup"));
    m_between = new QRadioButton(QStringLiteral("&Between"), m_dateGroup);
    m_between->setObjectName(QStringLiteral("between"));
    m_previous = new QRadioButton(QStringLiteral("During the &previous"), m_dateGroup);
    m_previous->setObjectName(QStringLiteral("previous"));
    (settings.datePrevious ? m_previous : m_between)->setChecked(true);
    m_from = new QLineEdit(m_dateGroup);
    m_from->setObjectName(QStringLiteral("fromDate"));
    m_until = new QLineEdit(m_dateGroup);
    m_until->setObjectName(QStringLiteral("untilDate"));
    ShowDate(m_from, settings.fromDate);
    ShowDate(m_until, settings.untilDate);
    m_count = MakeSpin(m_dateGroup, "count", settings.dateHowManyBack);
    m_units = MakeCombo(m_dateGroup, "units", false);
    m_units->addItems({QStringLiteral("hour(s)"), QStringLiteral("day(s)"), QStringLiteral("month(s)")});
    m_units->setCurrentIndex(settings.prevDateUnits);
    auto* andLabel = new QLabel(QStringLiteral("and"), m_dateGroup);

    m_useSize = MakeCheck(this, QStringLiteral("Si&ze is"), "useSize", false);
    m_sizeKind = MakeCombo(this, "sizeKind", false);
    m_sizeKind->addItems({QStringLiteral("at least"), QStringLiteral("at most")});
    m_sizeKind->setCurrentIndex(settings.sizeAtMost ? 1 : 0);
    m_size = MakeSpin(this, "size", settings.kByteSize);
    auto* kbLabel = new QLabel(QStringLiteral("kB"), this);

    m_useText = MakeCheck(this, QStringLiteral("Use &text constraints"), "useText", false);
    auto* textGroup = new QGroupBox(QStringLiteral("Containing text"), this);
    m_findWhat = MakeCombo(textGroup, "findWhat", true);
    FillCombo(grep.findHistory, limit, *m_findWhat, std::string());
    auto* findLabel = Buddy(textGroup, QStringLiteral("Find &what:"), m_findWhat);
    m_nonText = MakeCheck(textGroup, QStringLiteral("Search non-te&xt files"), "searchNonText", grep.searchBinFiles);
    m_matchCase = MakeCheck(textGroup, QStringLiteral("Match &case"), "matchCase", grep.matchCase);
    m_wholeWords = MakeCheck(textGroup, QStringLiteral("W&hole words only"), "wholeWords", grep.wordsOnly);

    auto* hint = new QLabel(QStringLiteral("\"Named\" takes several file name patterns separated by commas "
                                           "(\"-\" before one excludes what it matches), \"Look in\" several "
                                           "folders separated by commas."),
                            this);
    hint->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* find = buttons->addButton(QStringLiteral("&Find"), QDialogButtonBox::AcceptRole);
    find->setObjectName(QStringLiteral("find"));
    find->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &FindFilesDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    // layout
    auto* top = new QGridLayout;
    top->addWidget(Buddy(this, QStringLiteral("&Named:"), m_named), 0, 0);
    top->addWidget(m_named, 0, 1, 1, 2);
    top->addWidget(Buddy(this, QStringLiteral("&Look in:"), m_lookIn), 1, 0);
    top->addWidget(m_lookIn, 1, 1);
    top->addWidget(browse, 1, 2);
    auto* lookInChecks = new QHBoxLayout;
    lookInChecks->addWidget(m_subfolders);
    lookInChecks->addWidget(m_allDrives);
    lookInChecks->addStretch();
    top->addLayout(lookInChecks, 2, 1, 1, 2);

    auto* dateGrid = new QGridLayout(m_dateGroup);
    dateGrid->addWidget(m_between, 0, 0);
    dateGrid->addWidget(m_from, 0, 1);
    dateGrid->addWidget(andLabel, 0, 2);
    dateGrid->addWidget(m_until, 0, 3);
    dateGrid->addWidget(m_previous, 1, 0);
    dateGrid->addWidget(m_count, 1, 1);
    dateGrid->addWidget(m_units, 1, 2, 1, 2);

    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(m_useSize);
    sizeRow->addWidget(m_sizeKind);
    sizeRow->addWidget(m_size);
    sizeRow->addWidget(kbLabel);
    sizeRow->addStretch();

    auto* textGrid = new QGridLayout(textGroup);
    textGrid->addWidget(findLabel, 0, 0);
    textGrid->addWidget(m_findWhat, 0, 1, 1, 3);
    textGrid->addWidget(m_nonText, 1, 1);
    textGrid->addWidget(m_matchCase, 1, 2);
    textGrid->addWidget(m_wholeWords, 1, 3);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_useDate);
    layout->addWidget(m_dateGroup);
    layout->addLayout(sizeRow);
    layout->addWidget(m_useText);
    layout->addWidget(textGroup);
    layout->addWidget(hint);
    layout->addWidget(buttons);

    m_dateControls = {m_between, m_previous, m_from, andLabel, m_until, m_count, m_units};
    m_sizeControls = {m_sizeKind, m_size, kbLabel};
    m_textControls = {findLabel, m_findWhat, m_nonText, m_matchCase, m_wholeWords};
    for (QCheckBox* check : {m_useDate, m_useSize, m_useText})
        connect(check, &QCheckBox::toggled, this, [this] { EnableGroups(); });
    EnableGroups();
    connect(m_allDrives, &QCheckBox::toggled, this, [this](bool on) { ScanAllDrives(on); });
    connect(browse, &QPushButton::clicked, this, [this] { BrowseFolder(); });
    m_named->setFocus();
}

void FindFilesDlg::EnableGroups()
{
    const std::pair<QCheckBox*, const std::vector<QWidget*>*> groups[] = {
        {m_useDate, &m_dateControls}, {m_useSize, &m_sizeControls}, {m_useText, &m_textControls}};
    for (const auto& [check, controls] : groups)
        for (QWidget* control : *controls)
            control->setEnabled(check->isChecked());
}

void FindFilesDlg::ScanAllDrives(bool on)
{
    if (!on) {
        m_lookIn->setEditText(m_initialLookIn);
        return;
    }
    const std::vector<std::string> drives =
        m_services.localDrives ? m_services.localDrives() : MountedLocalDrives(m_services.ns);
    std::string joined;
    for (const std::string& drive : drives) {
        if (!joined.empty())
            joined += ',';
        joined += drive;
    }
    m_lookIn->setEditText(BytesToEditText(joined));
}

void FindFilesDlg::BrowseFolder()
{
    const std::optional<QString> folder =
        m_services.prompts.BrowseFolder(this, QStringLiteral("Select the root folder for the search"), m_initialLookIn);
    if (folder)
        m_lookIn->setEditText(*folder);
}

bool FindFilesDlg::ReadDate(QLineEdit* field, std::optional<CivilDate>& date)
{
    const QString text = field->text().trimmed();
    date.reset();
    if (text.isEmpty())
        return true;
    const QLocale locale;
    QDate parsed = locale.toDate(text, DateFormat());
    if (!parsed.isValid()) {
        // two-digit years as the locale writes them: the century that keeps them within
        // twenty years from now
        parsed = locale.toDate(text, QLocale::ShortFormat);
        if (parsed.isValid() && parsed.year() >= 1900 && parsed.year() < 2000) {
            const int twoDigits = parsed.year() - 1900;
            if (twoDigits <= QDate::currentDate().year() % 100 + 20)
                parsed = parsed.addYears(100);
        }
    }
    if (!parsed.isValid()) {
        m_services.prompts.Message(this, QStringLiteral("Use '%1' format for the date").arg(DateFormat()),
                                   Prompts::Icon::Information);
        field->setFocus();
        field->selectAll();
        return false;
    }
    if (parsed.year() != 1899)
        date = ToCivil(parsed);
    return true;
}

void FindFilesDlg::ShowDate(QLineEdit* field, const std::optional<CivilDate>& date)
{
    const QDate value = date ? QDate(date->year, date->month, date->day) : QDate();
    field->setText(value.isValid() ? QLocale().toString(value, DateFormat()) : QString());
}

QWidget* FindFilesDlg::FieldWidget(FindField field) const
{
    switch (field) {
    case FindField::LookIn:
        return m_lookIn;
    case FindField::FromDate:
        return m_from;
    case FindField::UntilDate:
        return m_until;
    case FindField::Count:
        return m_count;
    case FindField::Size:
        return m_size;
    case FindField::SearchText:
        return m_findWhat;
    case FindField::Named:
        break;
    }
    return m_named;
}

void FindFilesDlg::accept()
{
    FindInput input;
    if (!ReadDate(m_from, input.from) || !ReadDate(m_until, input.until))
        return;
    input.lookIn = EditTextToBytes(m_lookIn->currentText());
    input.named = EditTextToBytes(m_named->currentText());
    input.searchText = EditTextToBytes(m_findWhat->currentText());
    input.includeSubfolders = m_subfolders->isChecked();
    input.useDate = m_useDate->isChecked();
    input.useSize = m_useSize->isChecked();
    input.useText = m_useText->isChecked();
    input.datePrevious = m_previous->isChecked();
    input.count = static_cast<std::uint32_t>(m_count->value());
    input.units = m_units->currentIndex();
    input.sizeKb = static_cast<std::uint32_t>(m_size->value());
    input.sizeAtMost = m_sizeKind->currentIndex() == 1;

    const FindFilesDlgServices& services = m_services;
    // The checks run on a worker, which owns what it reads: one left behind on a dead
    // mount after Escape touches nothing of the dialog's.
    struct Check {
        FindInput input;
        CivilDate today;
        std::string base;
        DriveFolders drives;
        FolderOfEntry folderOf;
        std::optional<FindProblem> problem;
    };
    auto check = std::make_shared<Check>(
        Check{input, Today(), EditTextToBytes(m_initialLookIn), services.driveFolders, services.folderOf, {}});
    const ShellNamespace* ns = &services.ns;
    std::shared_ptr<const ShellNamespace> keep = ns->weak_from_this().lock();
    const bool checked = RunOffGuiThread(
        services.jobs,
        [check, ns, keep](const std::atomic<bool>&) {
            FolderOfEntry folderOf = check->folderOf;
            if (!folderOf)
                folderOf = [&check, ns](std::string_view entry) {
                    return FolderPathOf(*ns, entry, check->base, check->drives);
                };
            check->problem = ValidateFindInput(check->input, check->today, folderOf);
        },
        {});
    if (!checked)
        return; // given up: the dialog stays as it was
    input = std::move(check->input);
    const std::optional<FindProblem> problem = std::move(check->problem);
    m_lookIn->setEditText(BytesToEditText(input.lookIn));
    ShowDate(m_until, input.until);
    if (problem) {
        services.prompts.Message(this, QString::fromStdString(problem->message), Prompts::Icon::Exclamation);
        QWidget* field = FieldWidget(problem->field);
        field->setFocus();
        if (auto* edit = field->findChild<QLineEdit*>())
            edit->selectAll();
        return;
    }

    const int limit = services.historyItems;
    FindFileSettings& settings = services.settings;
    settings.recursive = input.includeSubfolders;
    settings.datePrevious = input.datePrevious;
    settings.dateHowManyBack = input.count;
    settings.prevDateUnits = input.units >= 0 && input.units <= 2 ? input.units : 0;
    settings.kByteSize = input.sizeKb;
    settings.sizeAtMost = input.sizeAtMost;
    settings.fromDate = input.from;
    settings.untilDate = input.until;
    settings.lookInHistory.Add(limit, input.lookIn);
    GrepSettings& grep = services.grep;
    grep.findHistory.Add(limit, input.searchText);
    grep.fileTypesHistory.Add(limit, input.named);
    grep.searchBinFiles = m_nonText->isChecked();
    grep.matchCase = m_matchCase->isChecked();
    grep.wordsOnly = m_wholeWords->isChecked();

    m_criteria = MakeFindCriteria(input, services.dateKind, {grep.matchCase, grep.wordsOnly, grep.searchBinFiles},
                                  static_cast<std::int64_t>(std::time(nullptr)));
    QDialog::accept();
}

std::optional<FindCriteria> AskFindCriteria(FindFilesDlgServices services, const std::string& lookIn,
                                            QWidget* parent)
{
    FindFilesDlg dialog(services, lookIn, parent);
    if (services.prompts.Exec(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.Criteria();
}

} // namespace bivora
