#pragma once

#include <QString>

class QCheckBox;
class QWidget;

namespace bivora {

// A check box with its object name (for tests and stored layouts) and state.
QCheckBox* MakeCheck(QWidget* parent, const QString& text, const char* name, bool on);

} // namespace bivora
