#pragma once

#include <optional>
#include <string>
#include <vector>

namespace bivora {

class PaneView;
class ShellItem;

// Cut, Copy, Paste and Paste Link of a pane, and the paths its items and folders
// stand for in the file system.
class PaneClipboard {
public:
    // Runs kCut, kCopy, kPaste or kPasteShortcut; false for any other id.
    static bool OnCommand(PaneView& pane, int id);

    // The file-system paths of the selected rows in row order; nullopt when nothing
    // is selected or a selected item has no path (a virtual folder).
    static std::optional<std::vector<std::string>> SelectedPaths(const PaneView& pane);
    // The path of the folder the pane shows, or of the folder a record stands for;
    // nullopt for virtual ones.
    static std::optional<std::string> FolderPath(const PaneView& pane);
    static std::optional<std::string> ItemPath(const ShellItem& item);
    // Rows dimmed by an earlier Cut in either pane look normal again.
    static void ClearCutMarks(PaneView& pane);
};

} // namespace bivora
