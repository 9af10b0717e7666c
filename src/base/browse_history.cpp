#include "base/browse_history.h"

namespace bivora {

std::optional<std::string> BrowseHistory::Visit(std::string_view path)
{
    if (!m_entries.empty()) {
        // the current entry first, then the one before it, then the one after it
        for (const std::size_t index : {m_current, m_current - 1, m_current + 1}) {
            if (index < m_entries.size() && m_entries[index].path == path) {
                m_current = index;
                return m_entries[index].focusName;
            }
        }
        m_entries.resize(m_current + 1); // a new folder from the middle ends the forward trail
    }
    m_entries.push_back({std::string(path), std::nullopt});
    if (m_entries.size() > kLimit)
        m_entries.erase(m_entries.begin());
    m_current = m_entries.size() - 1;

    for (std::size_t i = m_current; i-- > 0;) {
        if (m_entries[i].path == path)
            return m_entries[i].focusName;
    }
    return std::nullopt;
}

void BrowseHistory::SetFocusName(std::optional<std::string> name)
{
    if (!m_entries.empty())
        m_entries[m_current].focusName = std::move(name);
}

void BrowseHistory::Forget(std::string_view path)
{
    if (CanGoForward() && m_entries[m_current + 1].path == path) {
        m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(m_current) + 1);
    } else if (CanGoBack() && m_entries[m_current - 1].path == path) {
        m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(m_current) - 1);
        --m_current;
    }
}

std::optional<std::string> BrowseHistory::PeekBack() const
{
    if (!CanGoBack())
        return std::nullopt;
    return m_entries[m_current - 1].path;
}

std::optional<std::string> BrowseHistory::PeekForward() const
{
    if (!CanGoForward())
        return std::nullopt;
    return m_entries[m_current + 1].path;
}

std::vector<std::string> BrowseHistory::Paths() const
{
    std::vector<std::string> paths;
    paths.reserve(m_entries.size());
    for (const Entry& entry : m_entries)
        paths.push_back(entry.path);
    return paths;
}

} // namespace bivora
