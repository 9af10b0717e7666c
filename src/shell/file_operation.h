#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace bivora {

class FileSystemCalls;
struct Environment;

// What an operation does with its sources.
enum class FileOpKind {
    Copy,   // into targetFolder
    Move,   // into targetFolder: a rename on one file system, else copy, check, then remove
    Link,   // a symbolic link in targetFolder to each source
    Delete, // removed for good
    Trash,  // into the freedesktop trash; when no trash can take an item the user is asked
};

// One operation: sources are absolute paths (bytes); a name holds any byte but '/' and NUL.
struct FileOpRequest {
    FileOpKind kind = FileOpKind::Copy;
    std::vector<std::string> sources;
    std::string targetFolder;        // absolute; empty for Delete and Trash
    bool renameOnCollision = false;  // "name (copy).ext", "name (copy 2).ext", ...
    bool askConfirmation = true;     // ask before replacing; without it the target is replaced
};

// Where the work stands; reported often (the caller throttles what it shows).
struct FileOpProgress {
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0;
    std::uint64_t filesDone = 0;
    std::uint64_t filesTotal = 0;
    std::string current; // the source path at work
};

enum class CollisionAnswer { Yes, YesToAll, No, Cancel };
enum class ErrorAnswer { Retry, Skip, Cancel };

// A failure the user is asked about.
struct FileOpError {
    enum class Step { Read, Write, Create, Remove, Rename, Link, Trash, Other };
    Step step = Step::Other;
    int error = 0;      // errno
    std::string path;   // the path the failing call was about
};

// The operation's questions and reports. Called on the thread that runs the operation;
// a question blocks that thread until it is answered.
class FileOpCallbacks {
public:
    virtual ~FileOpCallbacks() = default;
    virtual void Progress(const FileOpProgress& progress) = 0;
    // target exists (askConfirmation set, renameOnCollision not).
    virtual CollisionAnswer AskReplace(const std::string& source, const std::string& target) = 0;
    virtual ErrorAnswer AskError(const FileOpError& error) = 0;
    // No trash can take the item: delete it for good instead? false keeps it.
    virtual bool AskDeletePermanently(const std::string& path) = 0;
    // A source that is left alone and why (a FIFO, a socket, a device; a folder into itself).
    virtual void Skipped(const std::string& path, const std::string& reason) = 0;
};

struct FileOpResult {
    bool cancelled = false;
    // The names made in the target folder for the top-level sources, in their order
    // (after any renaming on collision); for Delete and Trash the names that went.
    std::vector<std::string> names;
    std::uint64_t itemsDone = 0;   // top-level sources fully handled
    std::uint64_t itemsSkipped = 0;
};

// Runs the operation to its end, a cancel (polled between blocks of data and between
// files) or an answer of Cancel. Nothing is lost whatever fails: no partial file ever
// stands under a final name, and a source is removed only after its copy is complete.
// calls is the file system (tests inject faults through it); env locates the home trash.
FileOpResult RunFileOperation(const FileOpRequest& request, FileOpCallbacks& callbacks, FileSystemCalls& calls,
                              const Environment& env, const std::atomic<bool>* cancel = nullptr);

// The real file system.
FileSystemCalls& RealFileSystem();

} // namespace bivora
