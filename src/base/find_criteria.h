#pragma once

#include "base/date_kind.h"

#include <cstdint>
#include <string>

namespace bivora {

// What one find-files search looks for, as the criteria dialog hands it to the search.
// Texts are bytes (UTF-8 as typed). The windows are closed intervals; a switch that is
// off leaves its window unused.
struct FindCriteria {
    // comma-separated name patterns ("-" excludes); empty matches every name
    std::string namePatterns{};
    // comma-separated folders, already rewritten canonically ("a,b")
    std::string lookIn{};
    bool includeSubfolders = true;

    bool useDate = false;
    DateKind dateKind = DateKind::kModified; // which of the entry's times is compared
    std::int64_t fromSeconds = 0;            // seconds since the epoch, both ends included
    std::int64_t untilSeconds = 0;

    bool useSize = false;
    std::uint64_t minSize = 0; // bytes, both ends included
    std::uint64_t maxSize = UINT64_MAX;

    bool useText = false;
    std::string searchText{};
    bool matchCase = false;
    bool wordsOnly = false;
    bool searchBinFiles = false;
};

} // namespace bivora
