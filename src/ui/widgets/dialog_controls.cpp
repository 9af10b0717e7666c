#include "ui/widgets/dialog_controls.h"

#include <QCheckBox>

namespace bivora {

QCheckBox* MakeCheck(QWidget* parent, const QString& text, const char* name, bool on)
{
    auto* check = new QCheckBox(text, parent);
    check->setObjectName(QString::fromLatin1(name));
    check->setChecked(on);
    return check;
}

} // namespace bivora
