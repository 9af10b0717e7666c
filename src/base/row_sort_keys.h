#pragma once

#include "base/date_kind.h"
#include "base/row_key.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

namespace bivora {

// The sort keys of a list of records, gathered once so that sorting 100,000 rows
// reads one compact array instead of chasing every record across the heap. Names are
// kept folded (A-Z to lower case) in one shared buffer and compared with memcmp; the
// type is the folded name's tail.
//
// The keys copy what they need, so after Build they may outlive the records. Built on
// any one thread at a time: a pane gathers them on its reading worker and hands them
// to its model on the GUI thread.
class RowSortKeys {
public:
    // One key per record, in the order given; keyOf makes a record's RowKey.
    template <class Records, class KeyOf>
    void Build(const Records& records, DateKind dateKind, KeyOf keyOf)
    {
        Start(dateKind, std::size(records));
        for (const auto& record : records)
            Add(keyOf(record));
    }
    // Forgets the keys and starts gathering anew; expected is how many will come.
    void Start(DateKind dateKind, std::size_t expected);
    // Appends the key of the next record.
    void Add(const RowKey& row);
    void Clear();

    std::size_t Size() const { return m_keys.size(); }
    DateKind Kind() const { return m_dateKind; }

    // The pane's row order (CompareRowKeys) of two keys under a sort parameter.
    int Compare(std::size_t a, std::size_t b, std::uint32_t sortParam) const;
    // The stable order of the keys under a sort parameter: position i holds the index
    // of the key that goes there.
    std::vector<int> Order(std::uint32_t sortParam) const;
    // Rearranges the keys as their records were: key i becomes the key that was at
    // newOrder[i].
    void Permute(const std::vector<int>& newOrder);

private:
    struct Key {
        std::uint64_t size = 0;
        std::int64_t time = 0;
        std::size_t name = 0; // offset of the folded name in m_text
        std::uint32_t nameLength = 0;
        std::uint32_t typeLength = 0;
        bool folder = false;
        bool asciiType = true;
    };

    std::vector<Key> m_keys;
    std::string m_text;
    DateKind m_dateKind = DateKind::kModified;
};

} // namespace bivora
