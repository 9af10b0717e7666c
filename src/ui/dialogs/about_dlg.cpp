#include "ui/dialogs/about_dlg.h"

#include "ui/platform/file_version.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace bivora {

AboutDlg::AboutDlg(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutDlg"));
    setWindowTitle(QStringLiteral("About Bivora"));

    auto* name = new QLabel(QStringLiteral("Bivora"), this);
    name->setObjectName(QStringLiteral("programName"));
    QFont nameFont = name->font();
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.5);
    name->setFont(nameFont);

    auto* description = new QLabel(QStringLiteral("A two-pane file manager for the Linux desktop."), this);
    description->setObjectName(QStringLiteral("description"));

    m_version = new QLabel(QStringLiteral("Product Build: ") + QString::fromStdString(GetFileVersionString()), this);
    m_version->setObjectName(QStringLiteral("versionLine"));
    m_version->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_closingNote = new QLabel(QStringLiteral("Thank you for using Bivora."), this);
    m_closingNote->setObjectName(QStringLiteral("closingNote"));
    QFont noteFont = font();
    noteFont.setWeight(QFont::Weight(700));
    m_closingNote->setFont(noteFont);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("control1"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &AboutDlg::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(name);
    layout->addWidget(description);
    layout->addSpacing(8);
    layout->addWidget(m_version);
    layout->addSpacing(8);
    layout->addWidget(m_closingNote);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace bivora
