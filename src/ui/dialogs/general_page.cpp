#include "ui/dialogs/general_page.h"

#include "base/general_settings.h"
#include "ui/commands/services.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

namespace bivora {

namespace {

struct CheckBinding {
    int id;
    const char* label;
    bool GeneralSettings::*member;
};

// The check boxes in the order the page shows them.
constexpr CheckBinding kChecks[] = {
    {GeneralPage::kSaveSettings, "&Save program state on exit", &GeneralSettings::saveSettings},
    {GeneralPage::kShowHiddenFiles, "Show &Hidden files", &GeneralSettings::showHiddenFiles},
    {GeneralPage::kDrivebarLetters, "Show drive &Letters on DriveBar", &GeneralSettings::drivebarLetters},
    {GeneralPage::kAutoReSort, "Auto &Re-Sort after Moving/Copying etc.", &GeneralSettings::autoReSort},
    {GeneralPage::kFlatToolbars, "&Flat Toolbars", &GeneralSettings::flatToolbars},
};

std::string LeftTrimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\n\v\f\r");
    return first == std::string::npos ? std::string() : text.substr(first);
}

} // namespace

QString GeneralPage::ControlName(int id)
{
    return QStringLiteral("control%1").arg(id);
}

GeneralPage::GeneralPage(GeneralSettings& settings, Prompts& prompts, QWidget* parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("GeneralPage"));
    auto* layout = new QVBoxLayout(this);

    // Which file time the Details view shows; the radio's id is the setting's value.
    auto* dateBox = new QGroupBox(QStringLiteral("File time/date to show in Details view:"), this);
    auto* dateLayout = new QVBoxLayout(dateBox);
    m_dateGroup = new QButtonGroup(this);
    const char* dateLabels[] = {"Last &Modified", "Originally &Created", "Last &Accessed"};
    for (int value = 0; value < 3; ++value) {
        auto* radio = new QRadioButton(QString::fromLatin1(dateLabels[value]), dateBox);
        radio->setObjectName(ControlName(kLastModified + value));
        m_dateGroup->addButton(radio, value);
        dateLayout->addWidget(radio);
    }
    layout->addWidget(dateBox);

    auto* editorBox = new QGroupBox(QStringLiteral("Editor/Viewer"), this);
    auto* editorLayout = new QGridLayout(editorBox);
    m_editorGroup = new QButtonGroup(this);
    auto* internal = new QRadioButton(QStringLiteral("Use the i&nternal, fast loading applet"), editorBox);
    internal->setObjectName(ControlName(kInternalEditor));
    auto* external = new QRadioButton(QStringLiteral("&External"), editorBox);
    external->setObjectName(ControlName(kExternalEditor));
    m_editorGroup->addButton(internal, 0);
    m_editorGroup->addButton(external, 1);
    m_editorName = new QLineEdit(editorBox);
    m_editorName->setObjectName(ControlName(kEditorName));
    m_browse = new QPushButton(QStringLiteral("&Browse..."), editorBox);
    m_browse->setObjectName(ControlName(kBrowse));
    m_browse->setAutoDefault(false);
    editorLayout->addWidget(internal, 0, 0, 1, 3);
    editorLayout->addWidget(external, 1, 0);
    editorLayout->addWidget(m_editorName, 1, 1);
    editorLayout->addWidget(m_browse, 1, 2);
    editorLayout->setColumnStretch(1, 1);
    layout->addWidget(editorBox);

    for (const CheckBinding& check : kChecks) {
        auto* box = new QCheckBox(QString::fromLatin1(check.label), this);
        box->setObjectName(ControlName(check.id));
        layout->addWidget(box);
    }

    auto* historyRow = new QHBoxLayout;
    m_historyItems = new QLineEdit(this);
    m_historyItems->setObjectName(ControlName(kHistoryItems));
    m_historyItems->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_historyItems));
    m_historyItems->setMaximumWidth(m_historyItems->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    auto* historyLabel = new QLabel(QStringLiteral("History &Items maintained"), this);
    historyLabel->setBuddy(m_historyItems);
    historyRow->addWidget(m_historyItems);
    historyRow->addWidget(historyLabel);
    historyRow->addStretch(1);
    layout->addLayout(historyRow);
    layout->addStretch(1);

    // The name field and Browse start disabled; filling enables them for an external editor.
    m_editorName->setEnabled(false);
    m_browse->setEnabled(false);
    connect(m_editorGroup, &QButtonGroup::idToggled, this, [this] { OnEditorChoice(); });
    connect(m_browse, &QPushButton::clicked, this, &GeneralPage::OnBrowse);

    FillControls();
}

void GeneralPage::FillControls()
{
    if (QAbstractButton* radio = m_dateGroup->button(m_settings.fileDateUzed))
        radio->setChecked(true);
    m_editorGroup->button(m_settings.uzeExternalEditor ? 1 : 0)->setChecked(true);
    m_filledName = m_settings.externalEditorName;
    m_filledNameText = QString::fromStdString(m_filledName);
    m_editorName->setText(m_filledNameText);
    for (const CheckBinding& check : kChecks)
        findChild<QCheckBox*>(ControlName(check.id))->setChecked(m_settings.*check.member);
    m_historyItems->setText(QString::number(m_settings.historyItems));
    OnEditorChoice();
}

void GeneralPage::OnEditorChoice()
{
    const bool external = m_editorGroup->checkedId() == 1;
    m_editorName->setEnabled(external);
    m_browse->setEnabled(external);
}

void GeneralPage::OnBrowse()
{
    // Any file may be picked, but only one that can be run is taken.
    const QFileInfo current(m_editorName->text().trimmed());
    const QString directory = current.isAbsolute() ? current.absolutePath() : QString();
    const auto chosen = m_prompts.OpenFile(this, QStringLiteral("External Editor"), QStringLiteral("All files (*)"),
                                           directory);
    if (!chosen)
        return;
    const QFileInfo file(*chosen);
    if (!file.isFile() || !file.isExecutable()) {
        m_prompts.Message(this,
                          QStringLiteral("%1\nis not an executable file.\nPlease choose a program that can be run.")
                              .arg(*chosen),
                          Prompts::Icon::Exclamation);
        return;
    }
    m_editorName->setText(file.absoluteFilePath());
    m_editorName->setFocus();
}

bool GeneralPage::StoreControls()
{
    bool isNumber = false;
    const int historyItems = m_historyItems->text().trimmed().toInt(&isNumber);
    QString problem;
    if (!isNumber)
        problem = QStringLiteral("Please enter an integer.");
    else if (historyItems < kMinHistoryItems || historyItems > kMaxHistoryItems)
        problem = QStringLiteral("Please enter an integer between %1 and %2.").arg(kMinHistoryItems).arg(kMaxHistoryItems);
    if (!problem.isEmpty()) {
        m_prompts.Message(this, problem, Prompts::Icon::Exclamation);
        m_historyItems->setFocus();
        m_historyItems->selectAll();
        return false;
    }

    const bool external = m_editorGroup->checkedId() == 1;
    std::string name = m_editorName->text() == m_filledNameText ? m_filledName
                                                                 : m_editorName->text().toStdString();
    if (external) {
        name = LeftTrimmed(name);
        if (name.empty()) {
            m_prompts.Message(this, QStringLiteral("You must supply a name for the external editor"),
                              Prompts::Icon::Exclamation);
            m_editorName->setFocus();
            return false;
        }
    }

    m_settings.fileDateUzed = std::max(0, m_dateGroup->checkedId());
    m_settings.uzeExternalEditor = external;
    m_settings.externalEditorName = std::move(name);
    for (const CheckBinding& check : kChecks)
        m_settings.*check.member = findChild<QCheckBox*>(ControlName(check.id))->isChecked();
    m_settings.historyItems = historyItems;
    return true;
}

} // namespace bivora
