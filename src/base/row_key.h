#pragma once

#include "base/date_kind.h"

#include <cstdint>
#include <string_view>

namespace bivora {

// What the pane's row order reads of a record: its name as the file system spells it,
// whether it is a folder (links not followed), its size and its three times in
// nanoseconds since 1970. The name is only viewed: the record it comes from must
// outlive the key.
struct RowKey {
    std::string_view name;
    bool folder = false;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    std::int64_t created = 0;
    std::int64_t accessed = 0;

    std::int64_t Time(DateKind kind) const
    {
        switch (kind) {
        case DateKind::kCreated:
            return created;
        case DateKind::kAccessed:
            return accessed;
        case DateKind::kModified:
            break;
        }
        return modified;
    }
};

} // namespace bivora
