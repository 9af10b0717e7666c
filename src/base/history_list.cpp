#include "base/history_list.h"

#include "base/settings_store.h"

#include <algorithm>

namespace bivora {

namespace {

std::size_t LimitCount(int limit)
{
    return limit > 0 ? static_cast<std::size_t>(limit) : 0;
}

} // namespace

void HistoryList::Load(int limit, const SettingsStore& store, std::string_view section)
{
    m_entries.clear();
    const std::size_t wanted = LimitCount(limit);
    for (std::size_t i = 0; i < wanted; ++i) {
        std::optional<std::string> text = store.ReadString(section, std::to_string(i));
        if (!text || text->empty())
            break;
        // A hand-edited store may repeat a text; the first place is the most recent.
        if (std::find(m_entries.begin(), m_entries.end(), *text) == m_entries.end())
            m_entries.push_back(std::move(*text));
    }
}

void HistoryList::Save(int limit, SettingsStore& store, std::string_view section) const
{
    const std::size_t wanted = LimitCount(limit);
    const std::size_t count = std::min(wanted, m_entries.size());
    for (std::size_t i = 0; i < count; ++i)
        store.WriteString(section, std::to_string(i), m_entries[i]);

    // Values past the end of a shorter list are left in place, but the list
    // must end here: otherwise a cleared or de-duplicated list would read back
    // with the older entries after it. An empty value ends the stored list.
    if (count < wanted) {
        const std::string end = std::to_string(count);
        const std::optional<std::string> stale = store.ReadString(section, end);
        if (stale && !stale->empty())
            store.WriteString(section, end, {});
    }
}

void HistoryList::Add(int limit, std::string_view text)
{
    if (text.empty())
        return;
    const auto found = std::find(m_entries.begin(), m_entries.end(), text);
    if (found != m_entries.end()) {
        std::rotate(m_entries.begin(), found, found + 1);
        return;
    }
    m_entries.insert(m_entries.begin(), std::string(text));
    if (m_entries.size() > LimitCount(limit))
        m_entries.pop_back();
}

} // namespace bivora
