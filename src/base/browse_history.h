#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bivora {

// One pane's trail of file-system folders for Previous and Next: at most kLimit
// entries and a current one. Each entry remembers the name of the row that had the
// focus when the pane left the folder, so coming back focuses it again. Paths and
// names are compared byte for byte: "A" and "a" are two folders.
class BrowseHistory {
public:
    static constexpr std::size_t kLimit = 30;

    // Records that the pane now shows path and gives the focus name to restore.
    // The current entry or one next to it (this is how Previous and Next move) simply
    // becomes current and gives its own name. Any other path is appended after the
    // current entry, dropping everything after it and the oldest entry past the limit;
    // it gives the name remembered by the latest older entry of the same path.
    std::optional<std::string> Visit(std::string_view path);

    // The name of the focused row as the pane leaves the current folder; nullopt
    // forgets a name remembered earlier.
    void SetFocusName(std::optional<std::string> name);

    // Drops the entry just before or after the current one when it holds path (the
    // current entry itself stays): a typed path that led nowhere.
    void Forget(std::string_view path);

    // The path Previous or Next goes to, without moving.
    std::optional<std::string> PeekBack() const;
    std::optional<std::string> PeekForward() const;
    bool CanGoBack() const { return !m_entries.empty() && m_current > 0; }
    bool CanGoForward() const { return m_current + 1 < m_entries.size(); }

    // The paths, oldest first, and the index of the current one (0 when empty).
    std::vector<std::string> Paths() const;
    std::size_t Current() const { return m_current; }

private:
    struct Entry {
        std::string path;
        std::optional<std::string> focusName; // a name may hold any byte but NUL and "/"
    };

    std::vector<Entry> m_entries;
    std::size_t m_current = 0;
};

} // namespace bivora
