#include "base/row_sort_keys.h"

#include "base/row_order.h"
#include "base/sort_param.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>
#include <string_view>

namespace bivora {

namespace {

// Folded texts byte by byte as unsigned values, a prefix first: the order of CompareNames.
inline int CompareFolded(const char* a, std::size_t lengthA, const char* b, std::size_t lengthB)
{
    const int result = std::memcmp(a, b, std::min(lengthA, lengthB));
    if (result != 0)
        return result < 0 ? -1 : 1;
    return lengthA == lengthB ? 0 : (lengthA < lengthB ? -1 : 1);
}

void AppendBigEndian(std::string& text, std::uint64_t value)
{
    for (int shift = 56; shift >= 0; shift -= 8)
        text.push_back(static_cast<char>((value >> shift) & 0xff));
}

// A string to sort: offset and length in one buffer.
struct ByteKey {
    std::size_t offset;
    std::size_t length;
};

// A string during the sort: eight of its bytes from the depth being sorted, as a
// big-endian number padded with zeros, and how many bytes are left from that depth
// (9 for more than 8), which puts a string ending inside the chunk before a longer
// one with the same chunk.
struct Element {
    std::uint64_t chunk;
    std::uint32_t index; // the string's position before the sort
    std::uint32_t rest;
};

constexpr std::uint32_t kMore = 9;

void FillChunk(Element& element, const std::string& text, const ByteKey& key, std::size_t depth)
{
    const std::size_t left = key.length - depth;
    unsigned char bytes[8] = {};
    std::memcpy(bytes, text.data() + key.offset + depth, std::min<std::size_t>(left, 8));
    std::uint64_t chunk = 0;
    for (const unsigned char byte : bytes)
        chunk = (chunk << 8) | byte;
    element.chunk = chunk;
    element.rest = static_cast<std::uint32_t>(std::min<std::size_t>(left, kMore));
}

bool Before(const Element& a, const Element& b, bool descending)
{
    if (a.chunk != b.chunk)
        return descending ? a.chunk > b.chunk : a.chunk < b.chunk;
    return descending ? a.rest > b.rest : a.rest < b.rest;
}

// Sorts elements [first, last) stably by chunk and rest: short ranges by insertion,
// longer ones by a radix sort over the rest and the eight bytes of the chunk, least
// significant first, skipping every digit that all elements share.
void SortRange(std::vector<Element>& elements, std::vector<Element>& buffer, std::size_t first, std::size_t last,
               bool descending)
{
    const std::size_t count = last - first;
    if (count < 2)
        return;
    if (count < 48) {
        for (std::size_t i = first + 1; i < last; ++i) {
            const Element moving = elements[i];
            std::size_t j = i;
            for (; j > first && Before(moving, elements[j - 1], descending); --j)
                elements[j] = elements[j - 1];
            elements[j] = moving;
        }
        return;
    }
    constexpr int kDigits = 9; // the rest, then the chunk's bytes from the lowest
    const auto digit = [](const Element& element, int which) -> unsigned {
        return which == 0 ? element.rest : static_cast<unsigned>((element.chunk >> (8 * (which - 1))) & 0xff);
    };
    std::vector<std::array<std::size_t, 256>> counts(kDigits);
    for (auto& histogram : counts)
        histogram.fill(0);
    for (std::size_t i = first; i < last; ++i) {
        for (int which = 0; which < kDigits; ++which)
            ++counts[static_cast<std::size_t>(which)][digit(elements[i], which)];
    }
    Element* from = elements.data() + first;
    Element* to = buffer.data() + first;
    for (int which = 0; which < kDigits; ++which) {
        std::array<std::size_t, 256>& histogram = counts[static_cast<std::size_t>(which)];
        if (std::find(histogram.begin(), histogram.end(), count) != histogram.end())
            continue;
        std::size_t position = 0;
        for (int bucket = 0; bucket < 256; ++bucket) {
            std::size_t& slot = histogram[static_cast<std::size_t>(descending ? 255 - bucket : bucket)];
            const std::size_t size = slot;
            slot = position;
            position += size;
        }
        for (std::size_t i = 0; i < count; ++i)
            to[histogram[digit(from[i], which)]++] = from[i];
        std::swap(from, to);
    }
    if (from != elements.data() + first)
        std::copy(from, from + count, elements.data() + first);
}

// The stable order of the strings, ascending or descending; a string that begins
// another comes before it (after it when descending). Strings of the same first
// eight bytes are sorted again by their next eight, and so on.
std::vector<int> SortByteStrings(const std::string& text, const std::vector<ByteKey>& keys, bool descending)
{
    const std::size_t count = keys.size();
    std::vector<Element> elements(count);
    std::vector<Element> buffer(count);
    for (std::size_t i = 0; i < count; ++i)
        elements[i].index = static_cast<std::uint32_t>(i);
    struct Range {
        std::size_t first;
        std::size_t last;
        std::size_t depth;
    };
    std::vector<Range> pending{{0, count, 0}};
    while (!pending.empty()) {
        const Range range = pending.back();
        pending.pop_back();
        for (std::size_t i = range.first; i < range.last; ++i)
            FillChunk(elements[i], text, keys[elements[i].index], range.depth);
        SortRange(elements, buffer, range.first, range.last, descending);
        // a stable sort leaves equal strings in their first order, so a run of equal
        // chunks is still in that order for its own next sort
        for (std::size_t i = range.first; i < range.last;) {
            std::size_t j = i + 1;
            while (j < range.last && elements[j].chunk == elements[i].chunk && elements[j].rest == elements[i].rest)
                ++j;
            if (j - i > 1 && elements[i].rest == kMore)
                pending.push_back({i, j, range.depth + 8});
            i = j;
        }
    }
    std::vector<int> order(count);
    for (std::size_t i = 0; i < count; ++i)
        order[i] = static_cast<int>(elements[i].index);
    return order;
}

} // namespace

void RowSortKeys::Start(DateKind dateKind, std::size_t expected)
{
    m_dateKind = dateKind;
    m_keys.clear();
    m_keys.reserve(expected);
    m_text.clear();
    m_text.reserve(expected * 24); // a guess at typical names: one pass over the records, not two
}

void RowSortKeys::Add(const RowKey& row)
{
    Key key;
    key.name = m_text.size();
    key.nameLength = static_cast<std::uint32_t>(row.name.size());
    m_text.append(row.name);
    for (auto c = m_text.begin() + static_cast<std::ptrdiff_t>(key.name); c != m_text.end(); ++c) {
        if (*c >= 'A' && *c <= 'Z')
            *c = static_cast<char>(*c - 'A' + 'a');
    }
    const std::string_view type = TypeOf(row.name);
    key.typeLength = static_cast<std::uint32_t>(type.size());
    key.asciiType = std::all_of(type.begin(), type.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    key.size = row.size;
    key.time = row.Time(m_dateKind);
    key.folder = row.folder;
    m_keys.push_back(key);
}

void RowSortKeys::Clear()
{
    m_keys.clear();
    m_text.clear();
}

int RowSortKeys::Compare(std::size_t indexA, std::size_t indexB, std::uint32_t sortParam) const
{
    const Key& a = m_keys[indexA];
    const Key& b = m_keys[indexB];
    const char* nameA = m_text.data() + a.name;
    const char* nameB = m_text.data() + b.name;
    int key = SortParamKey(sortParam);
    int result = 0;
    // the same order as CompareRowKeys, on the gathered keys
    if (a.folder != b.folder) {
        result = a.folder ? -1 : 1;
    } else {
        if (a.folder && key == sort_key::kType)
            key = sort_key::kName;
        switch (key) {
        case sort_key::kType: {
            const char* typeA = nameA + (a.nameLength - a.typeLength);
            const char* typeB = nameB + (b.nameLength - b.typeLength);
            // folding ASCII first changes nothing for the locale-aware comparison, which folds anyway
            result = a.asciiType && b.asciiType
                         ? CompareFolded(typeA, a.typeLength, typeB, b.typeLength)
                         : CompareTypes(std::string_view(typeA, a.typeLength), std::string_view(typeB, b.typeLength));
            break;
        }
        case sort_key::kSize:
            result = a.size == b.size ? 0 : (a.size < b.size ? -1 : 1);
            break;
        case sort_key::kDate:
            result = a.time == b.time ? 0 : (a.time > b.time ? -1 : 1);
            break;
        default:
            break;
        }
        if (result == 0)
            result = CompareFolded(nameA, a.nameLength, nameB, b.nameLength);
    }
    return SortParamAscending(sortParam) ? result : -result;
}

std::vector<int> RowSortKeys::Order(std::uint32_t sortParam) const
{
    const int key = SortParamKey(sortParam);
    const bool localeTypes = key == sort_key::kType && std::any_of(m_keys.begin(), m_keys.end(), [](const Key& k) {
        return !k.folder && !k.asciiType;
    });
    if (localeTypes) {
        // types beyond ASCII follow the locale, which no byte string can stand for
        std::vector<int> order(m_keys.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [this, sortParam](int a, int b) {
            return Compare(static_cast<std::size_t>(a), static_cast<std::size_t>(b), sortParam) < 0;
        });
        return order;
    }

    // Each key becomes one byte string whose byte order is the row order: a folder
    // mark, then the type with a terminating zero, the size or the inverted time, then
    // the name. Those strings are sorted eight bytes at a time by radix, stable and
    // without going back to the keys for every comparison.
    std::vector<ByteKey> bytes;
    bytes.reserve(m_keys.size());
    std::string text;
    text.reserve(m_text.size() + m_keys.size() * 10);
    for (const Key& k : m_keys) {
        const std::size_t start = text.size();
        text.push_back(k.folder ? '\0' : '\1');
        const char* name = m_text.data() + k.name;
        if (key == sort_key::kType && !k.folder) {
            text.append(name + (k.nameLength - k.typeLength), k.typeLength);
            text.push_back('\0');
        } else if (key == sort_key::kSize) {
            AppendBigEndian(text, k.size);
        } else if (key == sort_key::kDate) {
            // the more recent time first: signed order made unsigned, then inverted
            AppendBigEndian(text, ~(static_cast<std::uint64_t>(k.time) ^ (std::uint64_t(1) << 63)));
        }
        text.append(name, k.nameLength);
        bytes.push_back({start, text.size() - start});
    }
    return SortByteStrings(text, bytes, !SortParamAscending(sortParam));
}

void RowSortKeys::Permute(const std::vector<int>& newOrder)
{
    // The names are copied in the new order too, so that neighbouring keys keep their
    // texts close together for the next sort.
    std::vector<Key> keys;
    keys.reserve(newOrder.size());
    std::string text;
    text.reserve(m_text.size());
    for (const int from : newOrder) {
        Key key = m_keys[static_cast<std::size_t>(from)];
        text.append(m_text, key.name, key.nameLength);
        key.name = text.size() - key.nameLength;
        keys.push_back(key);
    }
    m_keys = std::move(keys);
    m_text = std::move(text);
}

} // namespace bivora
