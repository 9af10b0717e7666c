#include "ui/platform/system_fonts.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace bivora {

namespace {
// The character set and pitch-and-family codes the stored formats keep.
constexpr std::int32_t kAnsiCharSet = 0;
constexpr std::int32_t kFixedPitch = 0x01;
constexpr std::int32_t kVariablePitch = 0x02;
constexpr std::int32_t kFamilyModern = 0x30;
} // namespace

FontDescription SystemFixedFont()
{
    const QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QFontInfo info(font);
    FontDescription description;
    description.faceName = info.family().toStdString();
    description.weight = info.weight();
    description.italic = info.italic();
    description.underline = info.underline();
    description.charSet = kAnsiCharSet;
    description.pitchAndFamily = (info.fixedPitch() ? kFixedPitch : kVariablePitch) | kFamilyModern;
    return description;
}

} // namespace bivora
