#pragma once

#include "base/date_kind.h"
#include "base/find_criteria.h"
#include "base/find_settings.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace bivora {

// The fields of the find-files dialog, as the checks name them.
enum class FindField { LookIn, FromDate, UntilDate, Count, Size, SearchText, Named };

// What the find-files dialog holds once its fields are read: texts as bytes, dates
// parsed (none for an empty field).
struct FindInput {
    std::string lookIn;
    std::string named;
    std::string searchText;
    bool includeSubfolders = true;
    bool useDate = false;
    bool useSize = false;
    bool useText = false;
    bool datePrevious = false; // During the previous; else Between
    std::optional<CivilDate> from;
    std::optional<CivilDate> until;
    std::uint32_t count = 1;
    int units = 0; // 0 hours, 1 days, 2 months of 30 days
    std::uint32_t sizeKb = 10;
    bool sizeAtMost = false;
};

struct FindProblem {
    FindField field;
    std::string message;
};

// The largest size the dialog takes: 4 GB less one kB.
inline constexpr std::uint32_t kMaxFindSizeKb = 4194303;

// The full path of the folder a Look in entry names (relative entries resolved against
// the folder the search starts from); empty when it names no existing folder.
using FolderOfEntry = std::function<std::string(std::string_view entry)>;

// The checks of Find, in their order; the first failure is returned, the input left as
// far as the checks went. On success the input is what the search takes: Look in as the
// folders' full paths joined by single commas, Named as its canonical pattern list ("*"
// when it holds none), and a switch whose window would not constrain anything turned off.
std::optional<FindProblem> ValidateFindInput(FindInput& input, CivilDate today, const FolderOfEntry& folderOf);

// The shared options of text searches.
struct FindTextOptions {
    bool matchCase = false;
    bool wordsOnly = false;
    bool searchBinFiles = false;
};

// The criteria of a validated input. Between runs from the From day at 00:00:00 (1 January
// 1900 when empty) to the Until day at 23:59:59, local time; During the previous ends at
// now and spans count hours, days or 30-day months. Sizes are count kB * 1024 bytes.
FindCriteria MakeFindCriteria(const FindInput& input, DateKind dateKind, const FindTextOptions& options,
                              std::int64_t nowSeconds);

// Seconds since the epoch of a local date and time (the C library's time zone).
std::int64_t LocalSeconds(CivilDate date, int hour, int minute, int second);

} // namespace bivora
