// Placeholder until the engine lands: every operation is refused as cancelled.
#include "shell/file_operation.h"

#include "shell/file_system_calls.h"

namespace bivora {

FileOpResult RunFileOperation(const FileOpRequest&, FileOpCallbacks&, FileSystemCalls&, const Environment&,
                              const std::atomic<bool>*)
{
    FileOpResult result;
    result.cancelled = true;
    return result;
}

FileSystemCalls& RealFileSystem()
{
    static FileSystemCalls calls;
    return calls;
}

} // namespace bivora
