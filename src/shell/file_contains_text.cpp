#include "shell/file_contains_text.h"

#include "shell/small_file.h"

#include "shell/unique_fd.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bivora {

namespace {

constexpr std::size_t npos = std::string::npos;

constexpr unsigned char Fold(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

constexpr std::array<unsigned char, 256> kFold = [] {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[c] = Fold(static_cast<unsigned char>(c));
    return table;
}();

bool IsLetter(unsigned char c) { return Fold(c) >= 'a' && Fold(c) <= 'z'; }

bool IsWordByte(unsigned char c) { return IsLetter(c) || (c >= '0' && c <= '9') || c == '_'; }

// How common a byte is in files people search (lower is rarer): the anchor of a search
// without case is the rarest byte of the text, so that memchr stops seldom.
int Commonness(unsigned char c, bool foldCase)
{
    static constexpr std::string_view kLetters = "etaoinsrhldcumfpgwybvkxjqz";
    if (IsLetter(c)) {
        const int rank = 200 - 6 * static_cast<int>(kLetters.find(static_cast<char>(Fold(c))));
        if (foldCase)
            return rank + 20; // two bytes to look for
        return c >= 'a' ? rank : rank / 3;
    }
    if (c == ' ')
        return 255;
    if (c == '\n' || c == '\t')
        return 240;
    if (c >= '0' && c <= '9')
        return 60;
    if (c >= 0x80)
        return 50;
    if (std::strchr(".,;:-_'\"()/=", c) && c != 0)
        return 90;
    return 30;
}

} // namespace

bool LooksLikeText(std::string_view data)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    const std::size_t n = data.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c == 0)
            return false;
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF; // the range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0)
                low = 0xA0; // no overlong form
            else if (c == 0xED)
                high = 0x9F; // no surrogate
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0)
                low = 0x90;
            else if (c == 0xF4)
                high = 0x8F; // nothing above U+10FFFF
        } else {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if (i + k >= n)
                return true; // cut off by the end of the probe
            const unsigned char next = p[i + k];
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
                return false;
        }
        i += length;
    }
    return true;
}

TextSearcher::TextSearcher(std::string text, TextSearchOptions options)
    : m_text(std::move(text)), m_options(options)
{
    m_folded = m_text;
    for (char& c : m_folded)
        c = static_cast<char>(kFold[static_cast<unsigned char>(c)]);
    int best = 1000;
    for (std::size_t i = 0; i < m_text.size(); ++i) {
        const int rank = Commonness(static_cast<unsigned char>(m_text[i]), !m_options.matchCase);
        if (rank < best) {
            best = rank;
            m_anchor = i;
        }
    }
}

bool TextSearcher::IsWholeWord(const char* data, std::size_t at, std::size_t size) const
{
    if (at > 0 && IsWordByte(static_cast<unsigned char>(data[at - 1])))
        return false;
    const std::size_t after = at + m_text.size();
    return after >= size || !IsWordByte(static_cast<unsigned char>(data[after]));
}

std::size_t TextSearcher::FindCandidate(const char* data, std::size_t from, std::size_t end) const
{
    const std::size_t length = m_text.size();
    if (end < from + length)
        return npos;
    if (m_options.matchCase) {
        const void* hit = ::memmem(data + from, end - from, m_text.data(), length);
        return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - data) : npos;
    }
    // Without case: memchr for the anchor byte (in both cases when it is a letter),
    // then a folded comparison of the whole text at each place it is found.
    const auto anchor = static_cast<unsigned char>(m_folded[m_anchor]);
    const bool twoCases = IsLetter(anchor);
    const auto upper = static_cast<unsigned char>(anchor - ('a' - 'A'));
    const char* const base = data;
    const char* scan = data + from + m_anchor;          // the first place the anchor may be
    const char* const stop = data + end - length + m_anchor + 1; // one past the last
    const char* nextLower = nullptr;
    const char* nextUpper = nullptr;
    bool lowerDone = false, upperDone = !twoCases;
    const auto* folded = reinterpret_cast<const unsigned char*>(m_folded.data());
    while (scan < stop) {
        if (!lowerDone && (!nextLower || nextLower < scan)) {
            nextLower = static_cast<const char*>(std::memchr(scan, anchor, static_cast<std::size_t>(stop - scan)));
            lowerDone = nextLower == nullptr;
        }
        if (!upperDone && (!nextUpper || nextUpper < scan)) {
            nextUpper = static_cast<const char*>(std::memchr(scan, upper, static_cast<std::size_t>(stop - scan)));
            upperDone = nextUpper == nullptr;
        }
        const char* hit = nullptr;
        if (!lowerDone)
            hit = nextLower;
        if (!upperDone && (!hit || nextUpper < hit))
            hit = nextUpper;
        if (!hit)
            return npos;
        const auto* start = reinterpret_cast<const unsigned char*>(hit - m_anchor);
        std::size_t k = 0;
        while (k < length && kFold[start[k]] == folded[k])
            ++k;
        if (k == length)
            return static_cast<std::size_t>(hit - m_anchor - base);
        scan = hit + 1;
    }
    return npos;
}

std::size_t TextSearcher::Find(const char* data, std::size_t from, std::size_t end, std::size_t size) const
{
    while (true) {
        const std::size_t at = FindCandidate(data, from, end);
        if (at == npos || !m_options.wholeWords || IsWholeWord(data, at, size))
            return at;
        from = at + 1;
    }
}

bool TextSearcher::Contains(std::string_view data) const
{
    return !m_text.empty() && Find(data.data(), 0, data.size(), data.size()) != npos;
}

TextSearchResult TextSearcher::Search(const std::string& path, const std::atomic<bool>* stop) const
{
    // A FIFO or a device is never opened (see OpenRegularFile).
    struct stat info {};
    SysResult<UniqueFd> fd = OpenRegularFile(path, Links::Follow, info);
    if (!fd)
        return fd.Error() == EISDIR || fd.Error() == EINVAL ? TextSearchResult::NotRegular
                                                            : TextSearchResult::Unreadable;

    const std::size_t length = m_text.size();
    auto remaining = static_cast<std::uint64_t>(info.st_size);
    if (length == 0 || remaining < length)
        return TextSearchResult::NotFound;
    ::posix_fadvise(fd->Get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    // One buffer per thread, kept: a fresh megabyte for each file would be faulted in again.
    thread_local std::vector<char> buffer;
    const std::size_t block = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, kBlockSize));
    if (buffer.size() < block + length + 1)
        buffer.resize(block + length + 1);
    char* const data = buffer.data();

    std::size_t carry = 0; // bytes kept from the block before: the text's length plus one
    bool first = true;
    while (true) {
        if (stop && stop->load(std::memory_order_relaxed))
            return TextSearchResult::Stopped;
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, block));
        const std::int64_t got = ReadFull(fd->Get(), data + carry, want);
        if (got < 0)
            return TextSearchResult::Unreadable;
        remaining -= static_cast<std::uint64_t>(got);
        const bool last = static_cast<std::size_t>(got) < want || remaining == 0; // a shrunk file ends early
        const std::size_t size = carry + static_cast<std::size_t>(got);
        if (first) {
            first = false;
            if (!m_options.searchNonText && !LooksLikeText(std::string_view(data, std::min(size, kTextProbe))))
                return TextSearchResult::NonText;
        }
        // Before the last block a match must leave the byte after it in the block, so
        // that the whole-word test sees it; the next block starts again one byte before
        // the first start not yet tried, which gives the byte before.
        const std::size_t from = carry == length + 1 ? 1 : 0;
        const std::size_t end = last ? size : size - 1;
        if (end > from && Find(data, from, end, size) != npos)
            return TextSearchResult::Found;
        if (last)
            return TextSearchResult::NotFound;
        carry = std::min(size, length + 1);
        std::memmove(data, data + size - carry, carry);
    }
}

bool FileContainsText(const std::string& path, std::string_view text, const TextSearchOptions& options)
{
    return TextSearcher(std::string(text), options).Search(path) == TextSearchResult::Found;
}

std::vector<TextSearchResult> SearchFiles(const std::vector<std::string>& paths, const TextSearcher& searcher,
                                          unsigned threads, const std::atomic<bool>& stop)
{
    std::vector<TextSearchResult> results(paths.size(), TextSearchResult::Stopped);
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        while (!stop.load(std::memory_order_relaxed)) {
            const std::size_t i = next.fetch_add(1, std::memory_order_relaxed);
            if (i >= paths.size())
                return;
            results[i] = searcher.Search(paths[i], &stop);
        }
    };
    const unsigned extra = std::min<std::size_t>(std::max(threads, 1U), paths.size()) > 1
                               ? static_cast<unsigned>(std::min<std::size_t>(threads, paths.size())) - 1
                               : 0;
    std::vector<std::thread> helpers;
    helpers.reserve(extra);
    for (unsigned t = 0; t < extra; ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers)
        helper.join();
    return results;
}

} // namespace bivora
