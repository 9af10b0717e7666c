// Reading and re-reading one large folder.
//
// The folder is BIVORA_BENCH_DIR when set (bench/folder_read.sh makes one and times
// find on it in the same run); otherwise a temporary folder of BIVORA_BENCH_ENTRIES
// (default 100,000) empty files is made and removed at the end.

#include "shell/directory_reader.h"
#include "shell/environment.h"
#include "shell/shell_folder.h"
#include "shell/shell_namespace.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

using namespace bivora;

class BenchFolder {
public:
    BenchFolder()
    {
        if (const char* given = std::getenv("BIVORA_BENCH_DIR"); given && *given) {
            m_path = given;
            return;
        }
        const char* countText = std::getenv("BIVORA_BENCH_ENTRIES");
        const long count = countText ? std::atol(countText) : 100000;
        std::string pattern = (std::filesystem::temp_directory_path() / "bivora-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        m_path = pattern;
        m_owned = true;
        char name[32];
        for (long i = 0; i < count; ++i) {
            std::snprintf(name, sizeof name, "/file%06ld", i);
            const int fd = open((m_path + name).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            if (fd >= 0)
                close(fd);
        }
    }
    ~BenchFolder()
    {
        if (m_owned) {
            std::error_code error;
            std::filesystem::remove_all(m_path, error);
        }
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    bool m_owned = false;
};

struct Setup {
    BenchFolder folder;
    ShellNamespace ns{Environment::FromProcess()};
    ItemIdList id;

    Setup()
    {
        auto parsed = ns.ParsePath(folder.Path());
        if (!parsed) {
            std::fprintf(stderr, "cannot parse %s\n", folder.Path().c_str());
            std::exit(1);
        }
        id = std::move(*parsed);
    }
};

Setup& TheSetup()
{
    static Setup setup;
    return setup;
}

// Open + Enumerate: what a pane does when it goes to the folder.
void BM_OpenAndEnumerate(benchmark::State& state)
{
    Setup& setup = TheSetup();
    std::size_t items = 0;
    for (auto _ : state) {
        auto folder = std::make_unique<ShellFolder>(setup.ns);
        if (folder->Open(setup.id, true) == ShellFolder::kFailed)
            state.SkipWithError("the folder could not be read");
        items = folder->Items().size();
        state.PauseTiming(); // giving the records back is not part of the read
        folder.reset();
        state.ResumeTiming();
    }
    state.counters["items"] = static_cast<double>(items);
}

// A refresh of the unchanged folder: the copy of the records' keys, the re-read and
// its difference (the worker's part) and applying it, all on one thread.
void BM_RefreshUnchanged(benchmark::State& state)
{
    Setup& setup = TheSetup();
    ShellFolder folder(setup.ns);
    if (folder.Open(setup.id, true) == ShellFolder::kFailed) {
        state.SkipWithError("the folder could not be read");
        return;
    }
    for (auto _ : state) {
        if (!folder.Refresh())
            state.SkipWithError("the re-read failed");
    }
    state.counters["items"] = static_cast<double>(folder.Items().size());
}

// The directory scan alone, for comparison with the two above.
void BM_ReadDirectory(benchmark::State& state)
{
    Setup& setup = TheSetup();
    std::size_t entries = 0;
    for (auto _ : state) {
        entries = 0;
        ReadDirectory(setup.folder.Path(), enumflags::kPane | enumflags::kIncludeHidden, nullptr,
                      [&](FindData&& find) {
                          benchmark::DoNotOptimize(find.size);
                          ++entries;
                      });
    }
    state.counters["items"] = static_cast<double>(entries);
}

BENCHMARK(BM_OpenAndEnumerate)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RefreshUnchanged)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadDirectory)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
