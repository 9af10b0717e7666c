#pragma once

#include "base/char_format.h"

#include <QColor>
#include <QComboBox>
#include <QDialog>

#include <cstdint>

class QCheckBox;
class QLabel;

namespace bivora {

class Prompts;

// A combo of the 16 standard colours, optionally headed by "Auto" (a colour of its
// own, the system's).
class ColorCombo final : public QComboBox {
    Q_OBJECT
public:
    ColorCombo(QColor autoColor, QWidget* parent = nullptr);
    // Selects the first item of the colour (Auto when it is the Auto colour); none
    // when no item has it.
    void SelectColor(QColor color);
    // The colour chosen: -1 for Auto or nothing, else 0xBBGGRR.
    std::int64_t ChosenColor() const;
    QColor ItemColor(int index) const;
};

// "Editor color scheme": the text and background colours of the editor windows and
// whether they apply to view mode too, with a sample in the editor's font.
class ColorSchemeDlg final : public QDialog {
    Q_OBJECT
public:
    struct Values {
        std::int64_t foreground = -1; // 0xBBGGRR, -1 = Auto
        std::int64_t background = -1;
        bool overrideReadOnly = false;
    };
    ColorSchemeDlg(Values values, const CharFormat& font, Prompts& prompts, QWidget* parent = nullptr);

    Values Result() const { return m_values; }

    ColorCombo& Foreground() const { return *m_foreground; }
    ColorCombo& Background() const { return *m_background; }
    QCheckBox& OverrideReadOnly() const { return *m_override; }
    QLabel& Sample() const { return *m_sample; }

    void accept() override;

private:
    void UpdateSample();

    Prompts& m_prompts;
    Values m_values;
    ColorCombo* m_foreground;
    ColorCombo* m_background;
    QCheckBox* m_override;
    QLabel* m_sample;
};

// A stored colour (0xBBGGRR) as a colour and back.
QColor ColorFromRef(std::int64_t ref);
std::int64_t RefFromColor(QColor color);

} // namespace bivora
