#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace bivora {

// The three options of a text search, shared by Containing text, Find files and the
// editor's Find.
struct TextSearchOptions {
    bool matchCase = false;
    bool wholeWords = false;  // the bytes next to a match are no ASCII letter, digit or '_'
    bool searchNonText = false;
};

enum class TextSearchResult {
    Found,
    NotFound,
    NonText,     // skipped: its first bytes hold a NUL or bytes that are not UTF-8
    NotRegular,  // a folder, FIFO, socket or device: never opened for reading
    Unreadable,  // could not be opened or read
    Stopped,     // the stop flag was set before the file was done
};

// Looks for one text in files. Made once per search and used by any number of threads
// at once (it holds no state of a search). A file is read in large blocks that overlap
// by the text's length plus one byte, so that a match across a boundary is found and
// a whole-word test sees the real bytes beside it. A file that shrinks while read is
// searched as far as it goes; one that grows is searched to the size it had when
// opened. Files over 4 GiB are read like any other.
class TextSearcher {
public:
    static constexpr std::size_t kBlockSize = std::size_t{1} << 20;
    // How many bytes at the start of a file decide whether it is text.
    static constexpr std::size_t kTextProbe = 1024;

    TextSearcher(std::string text, TextSearchOptions options);

    // Searches the file at path (relative to the current directory when not absolute).
    // The stop flag, when given, is polled between blocks.
    TextSearchResult Search(const std::string& path, const std::atomic<bool>* stop = nullptr) const;
    // Searches bytes already in memory (the whole of a text), with no non-text test.
    bool Contains(std::string_view data) const;

    const std::string& Text() const { return m_text; }
    const TextSearchOptions& Options() const { return m_options; }

private:
    // The first place at or after from in [0, end) where a match starts that satisfies
    // the options; the bytes of [0, size) around it are its neighbours. npos when none.
    std::size_t Find(const char* data, std::size_t from, std::size_t end, std::size_t size) const;
    std::size_t FindCandidate(const char* data, std::size_t from, std::size_t end) const;
    bool IsWholeWord(const char* data, std::size_t at, std::size_t size) const;

    std::string m_text;
    std::string m_folded;  // m_text with ASCII letters lower-cased (for a search without case)
    TextSearchOptions m_options;
    std::size_t m_anchor = 0; // the rarest byte of the text: its position there
};

// Whether bytes start like a text: no NUL and valid UTF-8, where a sequence cut off by
// the end of data counts as valid.
bool LooksLikeText(std::string_view data);

// The file holds the text under the options (a file that cannot be read does not).
bool FileContainsText(const std::string& path, std::string_view text, const TextSearchOptions& options);

// Searches each file of paths, with up to threads files at once; the results in the
// order of paths. Files not reached once stop is set are Stopped.
std::vector<TextSearchResult> SearchFiles(const std::vector<std::string>& paths, const TextSearcher& searcher,
                                          unsigned threads, const std::atomic<bool>& stop);

} // namespace bivora
