#include "ui/pane/row_order.h"

#include "shell/shell_item.h"
#include "ui/commands/command_ids.h"

#include <QString>

namespace bivora {

namespace {

unsigned char FoldAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool IsAscii(std::string_view text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

int Sign(int value) { return (value > 0) - (value < 0); }

} // namespace

int CompareNames(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char ca = FoldAscii(static_cast<unsigned char>(a[i]));
        const unsigned char cb = FoldAscii(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::string_view TypeOf(std::string_view name)
{
    const auto dot = name.find('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

int CompareTypes(std::string_view a, std::string_view b)
{
    // Plain ASCII types (nearly all) need no conversion: folding the case orders them
    // as the locale does for letters and digits.
    if (IsAscii(a) && IsAscii(b))
        return CompareNames(a, b);
    const QString qa = QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size())).toLower();
    const QString qb = QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size())).toLower();
    return Sign(QString::localeAwareCompare(qa, qb));
}

int ComparePaneRows(const ShellItem& a, const ShellItem& b, std::uint32_t param, int dateKind)
{
    const bool ascending = (param & kSortAscendingBit) != 0;
    int key = static_cast<int>(param & ~kSortAscendingBit);
    const bool folderA = a.IsFolder(false);
    const bool folderB = b.IsFolder(false);
    int result = 0;
    if (folderA != folderB) {
        result = folderA ? -1 : 1;
    } else {
        if (folderA && key == cmd::kSortByType)
            key = cmd::kSortByName;
        switch (key) {
        case cmd::kSortByType:
            result = CompareTypes(TypeOf(a.Name()), TypeOf(b.Name()));
            break;
        case cmd::kSortBySize:
            // Whole 64-bit sizes: files more than 2 GB apart still sort right.
            result = a.size == b.size ? 0 : (a.size < b.size ? -1 : 1);
            break;
        case cmd::kSortByDate: {
            const FileTime ta = a.Time(dateKind);
            const FileTime tb = b.Time(dateKind);
            result = ta == tb ? 0 : (ta > tb ? -1 : 1);
            break;
        }
        default:
            break;
        }
        if (result == 0)
            result = CompareNames(a.Name(), b.Name());
    }
    return ascending ? result : -result;
}

} // namespace bivora
