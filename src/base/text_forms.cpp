#include "base/text_forms.h"

#include <ctime>

namespace bivora {

std::string ThousandsText(std::uint64_t n)
{
    const std::string digits = std::to_string(n);
    std::string text;
    text.reserve(digits.size() + digits.size() / 3);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0)
            text += ',';
        text += digits[i];
    }
    return text;
}

std::string KbSizeText(std::uint64_t kb)
{
    static constexpr const char* kUnits[] = {"kB", "MB", "GB", "tB"};
    std::uint64_t whole = kb;
    std::uint64_t divisor = 1;
    int steps = 0;
    while (whole > 1024 && steps < 3) {
        whole /= 1024;
        divisor *= 1024;
        ++steps;
    }
    std::string text = std::to_string(whole);
    // the remainder below the unit, in tenths; (kb % divisor) < 2^40, so * 10 cannot overflow
    if (const std::uint64_t tenth = steps ? (kb % divisor) * 10 / divisor : 0; tenth != 0)
        text += "." + std::to_string(tenth);
    return text + kUnits[steps];
}

std::string SizeColumnText(bool folder, bool fileSystem, std::uint64_t size)
{
    if (folder)
        return "<folder>";
    if (fileSystem)
        return ThousandsText(size);
    return "<n/a>";
}

std::string DateTimeText(std::int64_t time)
{
    if (time == 0)
        return "<n/a>";
    // Whole seconds, rounded down also before 1970.
    std::time_t seconds = static_cast<std::time_t>(time / 1'000'000'000);
    if (time % 1'000'000'000 < 0)
        --seconds;
    std::tm local{};
    if (!localtime_r(&seconds, &local))
        return "<n/a>";
    char buffer[128];
    const std::size_t length = std::strftime(buffer, sizeof buffer, "%x %X", &local);
    return std::string(buffer, length);
}

std::string TrimmedBlanks(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

} // namespace bivora
