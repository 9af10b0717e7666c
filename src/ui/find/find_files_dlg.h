#pragma once

#include "base/find_criteria.h"

#include <optional>
#include <string>

class QWidget;

namespace bivora {

class Prompts;
class SettingsStore;
struct GrepSettings;

// What the criteria dialog needs from the program.
struct FindFilesDlgServices {
    SettingsStore& store;
    Prompts& prompts;
    GrepSettings& grep;
    DateKind dateKind = DateKind::kModified; // the date the panes show
    int historyItems = 20;
};

// Shows "Find files or folders" for the given folder; the criteria when the user
// pressed Find and they passed the checks, nothing on Cancel.
std::optional<FindCriteria> AskFindCriteria(FindFilesDlgServices services, const std::string& lookIn,
                                            QWidget* parent);

} // namespace bivora
