#pragma once

#include <optional>
#include <string>

class QKeyEvent;

namespace bivora {

// What the address bar needs of the two panes. Texts are bytes, as names and paths
// are; the bar converts them for its edit field without loss. GUI thread only; the
// object outlives the bar or is taken back with SetAddressTarget(nullptr).
class AddressTarget {
public:
    // How a typed text fared.
    enum class Outcome {
        Done,    // the pane went to the folder or re-filtered
        Refused, // the text makes no sense as a folder or filter: the bar shows the alert
        Failed,  // the pane tried (a read failed or was cancelled) and has told the user itself
    };

    virtual ~AddressTarget() = default;

    // A typed folder, folder with a visual filter, or filter alone, for the active pane
    // or, with inactivePane, for the other one. The text has no leading blanks and is
    // never empty; it may hold anything else (control characters, bytes that are not
    // UTF-8, tens of kilobytes), which the pane refuses when it cannot use it.
    virtual Outcome GoToTyped(const std::string& text, bool inactivePane) = 0;

    // Starts a command line as typed: "> program args" or "$ shell text", prefix
    // included, leading blanks removed. The preambles and the $L / $R pane folders are
    // the target's business. False when it cannot start (the bar reports it).
    virtual bool RunCommand(const std::string& text) = 0;

    // The active pane's address text: its folder path joined with its visual filter,
    // or the filter alone for a folder outside the file system.
    virtual std::string ActiveAddressText() const = 0;

    // The name of the active pane's focused item (its file name for file-system items,
    // its display name otherwise); none when no row has the focus.
    virtual std::optional<std::string> FocusedName() const = 0;

    // Gives the keyboard focus to the active pane's list.
    virtual void FocusPane() = 0;
    // Gives the focus to the folder tree; false when the tree is not shown.
    virtual bool FocusTree() = 0;
    // Hands a key (Ctrl with an arrow) to the active pane's list, which moves its focus.
    virtual void PassKeyToPane(QKeyEvent& event) = 0;
};

// What the panes need of the address bar: the bar implements it.
class AddressDisplay {
public:
    virtual ~AddressDisplay() = default;
    // A pane shows a new folder: a file-system folder's path (empty for another
    // folder) goes to the top of the folder history, and the edit field shows text.
    virtual void ShowFolder(const std::string& folderPath, const std::string& text) = 0;
    // Puts text into the edit field alone, leaving the folder history as it is.
    virtual void ShowText(const std::string& text) = 0;
    // Gives the edit field the keyboard focus; false when the bar is hidden.
    virtual bool FocusAddress() = 0;
};

} // namespace bivora
