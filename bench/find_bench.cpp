// Runs one find-files search and prints the full path of every match, one a line, as
// find -print would: the timing is taken by bench/find.sh around the whole run, beside
// find -name and grep -rlF doing the same work.
//
//   bivora_find_bench FOLDER PATTERNS [TEXT]
//
// With TEXT, only files holding it (with case, non-text files skipped) are matches.
#include "shell/environment.h"
#include "shell/find_files.h"
#include "shell/shell_namespace.h"

#include <atomic>
#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: %s FOLDER PATTERNS [TEXT]\n", argv[0]);
        return 2;
    }
    bivora::FindCriteria criteria;
    criteria.lookIn = argv[1];
    criteria.namePatterns = argv[2];
    if (argc > 3) {
        criteria.useText = true;
        criteria.searchText = argv[3];
        criteria.matchCase = true;
    }
    const bivora::ShellNamespace ns(bivora::Environment::FromProcess());
    const std::atomic<bool> stop = false;
    bivora::FindSink sink;
    std::string out;
    sink.matches = [&](std::vector<bivora::FindMatch>&& batch) {
        for (const bivora::FindMatch& match : batch) {
            out += match.folder;
            if (out.back() != '/')
                out.push_back('/');
            out += match.data.name;
            out.push_back('\n');
        }
        std::fwrite(out.data(), 1, out.size(), stdout);
        out.clear();
    };
    const bivora::FindOutcome outcome = bivora::SearchFiles(criteria, ns, stop, sink);
    std::fprintf(stderr, "%llu matches, %llu folders read, %llu unreadable\n",
                 static_cast<unsigned long long>(outcome.matches), static_cast<unsigned long long>(outcome.foldersRead),
                 static_cast<unsigned long long>(outcome.foldersUnreadable));
    return 0;
}
