#pragma once

#include "base/find_criteria.h"
#include "shell/shell_types.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace bivora {

class ShellNamespace;

// One entry that passed every test of the criteria: its folder (exact bytes) and what
// the file system said of it while it was tested, so the window never reads it again.
struct FindMatch {
    std::string folder; // absolute path of the parent folder, no trailing slash except "/"
    FindData data;      // data.name is the entry's name
};

// How a search reports to its owner; called on the searching thread.
struct FindSink {
    // Matches in the order they were found, in batches (a few dozen times a second at most).
    std::function<void(std::vector<FindMatch>&&)> matches;
    // The folder being read now (for "Searching: %s"); may be called often.
    std::function<void(const std::string& folder)> scanning;
};

// What a finished search saw.
struct FindOutcome {
    std::uint64_t matches = 0;
    std::uint64_t foldersRead = 0;
    std::uint64_t foldersUnreadable = 0;
    bool stopped = false; // the stop flag ended it
};

// Walks the folders of criteria.lookIn in order (each entry resolved with the namespace;
// an entry that is no folder is skipped) and tests every entry below them, depth first,
// a folder's own row before its contents. Directory links are never followed. Returns
// when done or soon after stop is set; the last batch is delivered before it returns.
FindOutcome SearchFiles(const FindCriteria& criteria, const ShellNamespace& ns, const std::atomic<bool>& stop,
                        const FindSink& sink);

} // namespace bivora
