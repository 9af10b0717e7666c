// One content comparison of two files as Sync on Content runs it, timed by compare.sh
// against cmp. Prints the outcome so that the script can check it.
//
//   bivora_compare_bench FIRST SECOND
#include "shell/file_compare.h"

#include <atomic>
#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FIRST SECOND\n", argv[0]);
        return 2;
    }
    bivora::FileComparer comparer;
    const std::atomic<bool> stop{false};
    switch (comparer.Compare(argv[1], argv[2], stop)) {
    case bivora::FileCompareResult::kSame:
        std::puts("same");
        return 0;
    case bivora::FileCompareResult::kDiffer:
        std::puts("differ");
        return 1;
    default:
        std::puts("unreadable");
        return 2;
    }
}
