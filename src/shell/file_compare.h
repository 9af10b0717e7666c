#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace bivora {

// What a byte-for-byte comparison of two files found.
enum class FileCompareResult {
    kSame,       // the same length and the same bytes
    kDiffer,     // a byte, the length, or a file that vanished or shrank while read
    kUnreadable, // not a regular file (a FIFO or a device is never read), or no permission
    kStopped,    // the stop flag was set before the answer was known
};

// Compares two files in large blocks. Its buffers are made once and serve every
// comparison, so a run over a folder allocates nothing per file. Neither file is
// opened for reading unless it is a regular file: a FIFO or a device never blocks the
// caller. Between blocks goOn is asked whether to go on (a stop flag's poll).
//
// One thread at a time.
class FileComparer {
public:
    static constexpr std::size_t kBlockSize = std::size_t{1} << 20;

    FileComparer();
    ~FileComparer();
    FileComparer(const FileComparer&) = delete;
    FileComparer& operator=(const FileComparer&) = delete;

    FileCompareResult Compare(const std::string& first, const std::string& second,
                              const std::function<bool()>& goOn = {});
    // Stops when the flag is set.
    FileCompareResult Compare(const std::string& first, const std::string& second, const std::atomic<bool>& stop);

private:
    std::unique_ptr<char[]> m_first;
    std::unique_ptr<char[]> m_second;
};

} // namespace bivora
