// Copies the items named on the command line into a folder with the file-operation
// engine, as the program does, and exits non-zero when anything failed: the timing is
// taken by bench/copy.sh around the whole run, beside cp doing the same.
//
//   bivora_copy_bench TARGET_FOLDER SOURCE...
#include "shell/environment.h"
#include "shell/file_operation.h"

#include <cstdio>

namespace {

// Replaces what collides, stops at the first error, and counts progress reports.
class Unattended : public bivora::FileOpCallbacks {
public:
    unsigned long reports = 0;
    bool failed = false;

    void Progress(const bivora::FileOpProgress&) override { ++reports; }
    bivora::CollisionAnswer AskReplace(const std::string&, const std::string&) override
    {
        return bivora::CollisionAnswer::YesToAll;
    }
    bivora::ErrorAnswer AskError(const bivora::FileOpError& error) override
    {
        std::fprintf(stderr, "error %d at %s\n", error.error, error.path.c_str());
        failed = true;
        return bivora::ErrorAnswer::Cancel;
    }
    bool AskDeletePermanently(const std::string&) override { return false; }
    void Skipped(const std::string& path, const std::string& reason) override
    {
        std::fprintf(stderr, "skipped %s: %s\n", path.c_str(), reason.c_str());
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s TARGET_FOLDER SOURCE...\n", argv[0]);
        return 2;
    }
    bivora::FileOpRequest request;
    request.kind = bivora::FileOpKind::Copy;
    request.targetFolder = argv[1];
    request.sources.assign(argv + 2, argv + argc);
    request.askConfirmation = false;
    Unattended callbacks;
    const bivora::FileOpResult result = bivora::RunFileOperation(
        request, callbacks, bivora::RealFileSystem(), bivora::Environment::FromProcess());
    return callbacks.failed || result.cancelled || result.itemsDone != request.sources.size() ? 1 : 0;
}
