// Reads the statistics of a folder once and prints the start folder's totals, in the
// form du -sx --apparent-size -B1 would count them (bytes of files, once per hard link),
// for bench/stats.sh to time against du.
//
//   bivora_stats_bench FOLDER
#include "shell/folder_stats.h"

#include <atomic>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    std::atomic<bool> stop = false;
    const bivora::FolderStats stats = bivora::ReadFolderStats(argv[1], stop);
    const bivora::FolderStatNode* root = stats.Root();
    if (stats.failed || !root)
        return 1;
    std::printf("%llu kB %llu files %llu folders %llu skipped\n",
                static_cast<unsigned long long>(root->TotalKb()), static_cast<unsigned long long>(root->TotalFiles()),
                static_cast<unsigned long long>(root->TotalFolders()),
                static_cast<unsigned long long>(stats.otherFileSystems));
    return 0;
}
