#include "base/pane_texts.h"

#include "base/text_forms.h"

#include <cstdio>

namespace bivora {

std::string FreeSpaceText(std::optional<std::uint64_t> bytes)
{
    if (!bytes)
        return "???";
    const std::uint64_t kilobytes = *bytes / 1024;
    std::uint64_t value = kilobytes;
    std::uint64_t scale = 1; // 1024^unit
    int unit = 0;
    while (value >= 1024 && unit < 5) {
        value /= 1024;
        scale *= 1024;
        ++unit;
    }
    const std::uint64_t fraction = unit == 0 ? 0 : (kilobytes % scale) * 100 / scale;
    char text[64];
    std::snprintf(text, sizeof text, "%llu.%02llu %cB", static_cast<unsigned long long>(value),
                  static_cast<unsigned long long>(fraction), "kMGTPE"[unit]);
    return text;
}

std::string PaneStatusText(const PaneStatusFacts& facts)
{
    static constexpr const char* kDateWords[] = {", Modified ", ", Created ", ", Accessed "};
    std::string text;
    if (facts.selectedCount == 0) {
        if (facts.rowCount == 0) {
            text = "Empty folder";
        } else {
            text = std::to_string(facts.rowCount) + " Object" + (facts.rowCount == 1 ? "" : "s") + ", "
                + ThousandsText(facts.byteTotal) + " bytes in total";
        }
        if (facts.fileSystemFolder)
            text += " (" + facts.freeSpaceText + " free)";
        return text;
    }
    if (facts.selectedCount == 1) {
        text = "Selected object: ";
        if (!facts.fileSystemFolder)
            return text + (facts.selectedIsFolder ? "Special folder" : "Shell extension");
        if (facts.selectedIsFolder)
            text += "Folder";
        else if (facts.selectedIsLink)
            text += "Shortcut";
        else
            text += facts.selectedSizeText + " bytes";
        return text + kDateWords[DateKindSetting(facts.dateKind)] + facts.selectedDateText;
    }
    return std::to_string(facts.selectedCount) + " objects selected, " + ThousandsText(facts.selectedBytes)
        + " bytes in total";
}

std::string ShortenCaption(const std::string& text, bool filterShown, int stripWidth,
                           const std::function<int(std::string_view)>& measure)
{
    auto fits = [&](std::string_view candidate) { return measure(candidate) + 6 <= stripWidth; };
    if (fits(text))
        return text;
    const auto first = text.find('/');
    if (first == std::string::npos)
        return text;
    const std::string prefix = text.substr(0, first + 1) + ".../";

    // The part after the k-th "/" counted from the end; nullopt when there are fewer.
    auto tail = [&](int k) -> std::optional<std::string_view> {
        std::size_t pos = text.size();
        for (int i = 0; i < k; ++i) {
            if (pos == 0)
                return std::nullopt;
            pos = text.rfind('/', pos - 1);
            if (pos == std::string::npos || pos < first)
                return std::nullopt;
        }
        return std::string_view(text).substr(pos + 1);
    };

    int k = filterShown ? 2 : 1;
    std::optional<std::string> kept;
    while (auto part = tail(k)) {
        std::string candidate = prefix + std::string(*part);
        if (!kept) {
            kept = candidate; // the first candidate is used even when it does not fit
            if (!fits(candidate))
                break;
        } else if (fits(candidate)) {
            kept = std::move(candidate);
        } else {
            break;
        }
        ++k;
    }
    if (kept && kept->size() < text.size())
        return *kept;
    return text;
}

} // namespace bivora
