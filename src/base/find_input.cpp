#include "base/find_input.h"

#include "base/pattern_list.h"
#include "base/text_forms.h"

#include <ctime>

namespace bivora {

namespace {

std::optional<FindProblem> Problem(FindField field, const char* message)
{
    return FindProblem{field, message};
}

} // namespace

std::optional<FindProblem> ValidateFindInput(FindInput& input, CivilDate today, const FolderOfEntry& folderOf)
{
    // Look in
    const std::string lookIn = TrimmedBlanks(input.lookIn);
    if (lookIn.empty())
        return Problem(FindField::LookIn, "The \"Look in\" field should not be empty.");
    PatternList entries;
    if (!entries.Parse(lookIn))
        return Problem(FindField::LookIn, "The root folder of the search is invalid");
    input.lookIn = entries.CanonicalText();
    std::string folders;
    for (std::size_t i = 0; i < entries.Count(); ++i) {
        const std::string folder = folderOf(entries.Pattern(i).text);
        if (folder.empty())
            return Problem(FindField::LookIn, "Some folder in the 'Look In' list is invalid");
        if (!folders.empty())
            folders += ',';
        folders += folder;
    }
    input.lookIn = folders;

    // Date
    if (input.useDate) {
        if (input.datePrevious) {
            if (input.count == 0)
                input.useDate = false;
        } else if (input.from) {
            if (!input.until)
                input.until = today;
            if (*input.from > *input.until)
                return Problem(FindField::UntilDate, "The 'From' date cannot be later than 'Until' one.");
        } else if (!input.until || *input.until == today) {
            input.useDate = false; // from the beginning of time until today: no window at all
        }
    }

    // Size
    if (input.useSize) {
        if (input.sizeKb == 0)
            input.useSize = false;
        else if (input.sizeKb > kMaxFindSizeKb)
            return Problem(FindField::Size, "File sizes above 4GB are not supported");
    }

    // Text
    if (input.useText && input.searchText.empty())
        return Problem(FindField::SearchText, "Text to be found was not specified");

    // Named: a text that holds no pattern matches every name, as "*" does
    PatternList names;
    if (!names.Parse(TrimmedBlanks(input.named)) || names.CanonicalText() == "*")
        input.named = "*";
    else
        input.named = names.CanonicalText();
    if (input.named == "*" && !input.useDate && !input.useSize && !input.useText)
        return Problem(FindField::Named,
                       "The search cannot be completely unconstrained.\nYou should at least specify a search pattern.");
    return std::nullopt;
}

std::int64_t LocalSeconds(CivilDate date, int hour, int minute, int second)
{
    std::tm tm{};
    tm.tm_year = date.year - 1900;
    tm.tm_mon = date.month - 1;
    tm.tm_mday = date.day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&tm));
}

FindCriteria MakeFindCriteria(const FindInput& input, DateKind dateKind, const FindTextOptions& options,
                              std::int64_t nowSeconds)
{
    FindCriteria criteria;
    criteria.namePatterns = input.named == "*" ? std::string() : input.named;
    criteria.lookIn = input.lookIn;
    criteria.includeSubfolders = input.includeSubfolders;
    criteria.dateKind = dateKind;
    criteria.useDate = input.useDate;
    if (input.useDate) {
        if (input.datePrevious) {
            static constexpr std::int64_t kUnitSeconds[] = {3600, 86400, 30 * 86400};
            const int units = input.units >= 0 && input.units <= 2 ? input.units : 0;
            criteria.untilSeconds = nowSeconds;
            criteria.fromSeconds = nowSeconds - static_cast<std::int64_t>(input.count) * kUnitSeconds[units];
        } else {
            criteria.fromSeconds = LocalSeconds(input.from.value_or(CivilDate{1900, 1, 1}), 0, 0, 0);
            criteria.untilSeconds = input.until ? LocalSeconds(*input.until, 23, 59, 59) : nowSeconds;
        }
    }
    criteria.useSize = input.useSize;
    if (input.useSize) {
        const std::uint64_t bytes = static_cast<std::uint64_t>(input.sizeKb) * 1024;
        criteria.minSize = input.sizeAtMost ? 0 : bytes;
        criteria.maxSize = input.sizeAtMost ? bytes : UINT64_MAX;
    }
    criteria.useText = input.useText;
    if (input.useText)
        criteria.searchText = input.searchText;
    criteria.matchCase = options.matchCase;
    criteria.wordsOnly = options.wordsOnly;
    criteria.searchBinFiles = options.searchBinFiles;
    return criteria;
}

} // namespace bivora
