#pragma once

#include <memory>
#include <string>

namespace bivora {

struct EditorShared;

// The program's editor windows: each shows one file, independent of the main window
// and of the others, and closes on its own.
class EditorWindows {
public:
    explicit EditorWindows(EditorShared& shared);
    ~EditorWindows();
    EditorWindows(const EditorWindows&) = delete;
    EditorWindows& operator=(const EditorWindows&) = delete;

    // Opens a window on the file, in view mode (readOnly) or edit mode. False when no
    // window could be made (the user has been told why).
    bool Open(const std::string& path, bool readOnly);
    // Asks every window to close (each asks about unsaved changes); false when one stayed.
    bool CloseAll();
    int Count() const;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace bivora
