#include "ui/platform/detached_start.h"

#include "ui/commands/services.h"

#include <QString>
#include <QStringList>

namespace bivora {

bool IsValidUtf8(std::string_view bytes)
{
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        size_t extra = 0;
        unsigned min = 0;
        unsigned cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1, min = 0x80, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, min = 0x800, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, min = 0x10000, cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= n)
            return false;
        for (size_t k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(bytes[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // overlong forms, UTF-16 surrogates and values past U+10FFFF do not survive a QString
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

bool StartDetachedBytes(Launcher& launcher, const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& workingDirectory)
{
    bool plain = IsValidUtf8(program) && IsValidUtf8(workingDirectory);
    for (const std::string& argument : arguments)
        plain = plain && IsValidUtf8(argument);
    if (plain) {
        QStringList list;
        list.reserve(static_cast<qsizetype>(arguments.size()));
        for (const std::string& argument : arguments)
            list << QString::fromStdString(argument);
        return launcher.StartDetached(QString::fromStdString(program), list, QString::fromStdString(workingDirectory));
    }
    return launcher.StartExact(program, arguments, workingDirectory).Ok();
}

} // namespace bivora
