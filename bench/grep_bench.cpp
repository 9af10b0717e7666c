// Finds the files of one folder that contain a text with the program's content search
// (every regular file, several at once, non-text files skipped as by default) and
// prints their names: the timing is taken by bench/grep.sh around the whole run,
// beside grep -rlF doing the same.
//
//   bivora_grep_bench FOLDER TEXT [THREADS [nocase]]
#include "shell/file_contains_text.h"

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FOLDER TEXT [THREADS]\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const unsigned threads = argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : std::thread::hardware_concurrency();
    std::vector<std::string> paths;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return 1;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            paths.push_back(folder + "/" + name);
    }
    ::closedir(dir);
    std::sort(paths.begin(), paths.end());

    const bool matchCase = !(argc > 4 && std::string(argv[4]) == "nocase");
    const bivora::TextSearcher searcher(argv[2], {matchCase, false, false});
    const std::atomic<bool> stop{false};
    const auto results = bivora::SearchFiles(paths, searcher, threads, stop);
    for (std::size_t i = 0; i < paths.size(); ++i)
        if (results[i] == bivora::TextSearchResult::Found)
            std::printf("%s\n", paths[i].c_str());
    return 0;
}
