#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace bivora {

class SettingsStore;

// A most-recently-used list of texts (folders, commands, patterns), most
// recent first, with no two entries equal byte for byte. The limit (the
// general history size) is given to each operation rather than kept here,
// so a changed setting takes effect at the next call.
//
// Stored form: one section per history, values "0", "1", ... in list order;
// a missing or empty value ends the list.
class HistoryList {
public:
    // Replaces the list with at most limit values read from the section,
    // stopping at the first missing or empty one; a text read twice keeps
    // only its first (most recent) place.
    void Load(int limit, const SettingsStore& store, std::string_view section);

    // Writes the first limit entries as "0", "1", ....
    void Save(int limit, SettingsStore& store, std::string_view section) const;

    // Puts text at the front: an entry equal to it moves there, otherwise a
    // new entry is made and the last one drops out when the list would hold
    // more than limit. An empty text is ignored.
    void Add(int limit, std::string_view text);

    // The most recent entry, or nullptr for an empty list. Valid until the
    // list next changes.
    const std::string* First() const { return m_entries.empty() ? nullptr : &m_entries.front(); }

    void Clear() { m_entries.clear(); }

    const std::vector<std::string>& Entries() const { return m_entries; }
    std::size_t Count() const { return m_entries.size(); }

private:
    std::vector<std::string> m_entries;
};

} // namespace bivora
