#include "ui/dialogs/options_sheet.h"

#include "base/general_settings.h"
#include "ui/dialogs/general_page.h"
#include "ui/commands/services.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace bivora {

OptionsBlock OptionsBlock::From(const GeneralSettings& settings)
{
    return {settings.saveSettings,      settings.fileDateUzed,       settings.showHiddenFiles,
            settings.historyItems,      settings.uzeExternalEditor,  settings.externalEditorName,
            settings.drivebarLetters,   settings.autoReSort,         settings.flatToolbars};
}

void OptionsBlock::RestoreInto(GeneralSettings& settings) const
{
    settings.saveSettings = saveSettings;
    settings.fileDateUzed = fileDateUzed;
    settings.showHiddenFiles = showHiddenFiles;
    settings.historyItems = historyItems;
    settings.uzeExternalEditor = uzeExternalEditor;
    settings.externalEditorName = externalEditorName;
    settings.drivebarLetters = drivebarLetters;
    settings.autoReSort = autoReSort;
    settings.flatToolbars = flatToolbars;
}

OptionsSheet::OptionsSheet(GeneralSettings& settings, Prompts& prompts, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("OptionsSheet"));
    setWindowTitle(QStringLiteral("Program Options"));
    m_tabs = new QTabWidget(this);
    m_page = new GeneralPage(settings, prompts, m_tabs);
    m_tabs->addTab(m_page, QStringLiteral("General"));

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QStringLiteral("Ok"), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("control1"));
    m_ok->setDefault(true);
    m_cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    m_cancel->setObjectName(QStringLiteral("control2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &OptionsSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &OptionsSheet::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
}

void OptionsSheet::accept()
{
    if (!m_page->StoreControls()) {
        m_tabs->setCurrentWidget(m_page);
        return;
    }
    QDialog::accept();
}

void ReactToOptionChanges(const OptionsBlock& before, const GeneralSettings& after, const OptionsReactions& reactions,
                          Prompts& prompts, QWidget* parent)
{
    if (before.showHiddenFiles != after.showHiddenFiles && reactions.reReadPanes)
        reactions.reReadPanes();
    if (before.fileDateUzed != after.fileDateUzed && reactions.refreshDateColumns)
        reactions.refreshDateColumns();
    if (before.drivebarLetters != after.drivebarLetters)
        prompts.Message(parent, QString::fromLatin1(kDriveBarRestartMessage), Prompts::Icon::Information);
    if (before.flatToolbars != after.flatToolbars && reactions.applyFlatToolbars)
        reactions.applyFlatToolbars(after.flatToolbars);
}

bool RunOptionsSheet(GeneralSettings& settings, Prompts& prompts, const OptionsReactions& reactions,
                     QWidget* parent)
{
    const OptionsBlock before = OptionsBlock::From(settings);
    OptionsSheet sheet(settings, prompts, parent);
    if (prompts.Exec(sheet) != QDialog::Accepted) {
        before.RestoreInto(settings);
        return false;
    }
    ReactToOptionChanges(before, settings, reactions, prompts, parent);
    return true;
}

} // namespace bivora
