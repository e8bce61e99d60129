// Save and load of a full results file, each against the plain file work on the same bytes.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/Clock.h"
#include "platform/Files.h"
#include "store/ResultEntry.h"
#include "store/ResultsFile.h"
#include "store/ResultsList.h"

namespace kestrap {
namespace {

// A full list: 10,000 entries over 100 days, titles and links of a typical length.
void FillFullList(ResultsList& results) {
    results.Clear();
    for (int i = 0; i < MaxResults; ++i) {
        int day = 28 - (i / 100) % 28;
        std::string date = "2008-0" + std::to_string(1 + i / 2800) + "-" + (day < 10 ? "0" : "") +
                           std::to_string(day);
        results.Add({date, "Mountain bike, 21 speeds, barely used - $" + std::to_string(100 + i) + " (Downtown)",
                     "http://boston.craigslist.org/bik/" + std::to_string(1000000000 + i) + ".html",
                     i % 3 == 0});
    }
    results.SortDescending();
}

bool SaveResultsFile(const ResultsList& results, const std::string& path) {
    return WriteFileAtomically(path, ResultsFileText(results, SystemClock()));
}

std::string BenchFolder() {
    auto folder = std::filesystem::temp_directory_path() / "kestrap-bench";
    std::filesystem::create_directories(folder);
    return (folder / "").string();
}

bool WritePlain(const std::string& path, std::string_view bytes, bool sync) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    if (sync) ok = fsync(fd) == 0 && ok;
    return close(fd) == 0 && ok;
}

// The floor for saving: the same bytes written to a file and flushed to disk, as a save
// must be before it may replace the old file.
void BM_BaselineWriteSynced(benchmark::State& bench) {
    ResultsList list;
    FillFullList(list);
    const std::string bytes = ResultsFileText(list, SystemClock());
    const std::string path = BenchFolder() + "plain.html";
    for (auto _ : bench) {
        if (!WritePlain(path, bytes, true)) bench.SkipWithError("write failed");
    }
    bench.SetBytesProcessed(bench.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_BaselineWriteSynced)->Unit(benchmark::kMillisecond);

// For comparison only: the same write without the flush.
void BM_BaselineWriteUnsynced(benchmark::State& bench) {
    ResultsList list;
    FillFullList(list);
    const std::string bytes = ResultsFileText(list, SystemClock());
    const std::string path = BenchFolder() + "plain.html";
    for (auto _ : bench) {
        if (!WritePlain(path, bytes, false)) bench.SkipWithError("write failed");
    }
    bench.SetBytesProcessed(bench.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_BaselineWriteUnsynced)->Unit(benchmark::kMillisecond);

// Formatting, a temporary file, the flush and the rename over the old file.
void BM_SaveResultsFile(benchmark::State& bench) {
    ResultsList list;
    FillFullList(list);
    const std::string path = BenchFolder() + "save.html";
    for (auto _ : bench) {
        if (!SaveResultsFile(list, path)) bench.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveResultsFile)->Unit(benchmark::kMillisecond);

// The floor for reading: the file read whole and its line ends counted.
void BM_BaselineReadAndCountLines(benchmark::State& bench) {
    ResultsList list;
    FillFullList(list);
    const std::string path = BenchFolder() + "bench.html";
    SaveResultsFile(list, path);
    for (auto _ : bench) {
        std::string bytes;
        ReadWholeFile(path, bytes);
        size_t lines = 0;
        for (const char* at = bytes.data(); (at = static_cast<const char*>(std::memchr(
                                                 at, '\r', bytes.data() + bytes.size() - at))) != nullptr;
             ++at) {
            ++lines;
        }
        benchmark::DoNotOptimize(lines);
    }
}
BENCHMARK(BM_BaselineReadAndCountLines)->Unit(benchmark::kMillisecond);

// Read, one entry per line with its link indexed.
void BM_LoadResultsFile(benchmark::State& bench) {
    ResultsList list;
    FillFullList(list);
    const std::string path = BenchFolder() + "bench.html";
    SaveResultsFile(list, path);
    for (auto _ : bench) {
        std::string bytes;
        ReadWholeFile(path, bytes);
        list.Clear();
        ReadResultsFileEntries(bytes, [&](const ResultEntry& entry) { return list.Add(entry); });
        if (list.Count() != MaxResults) bench.SkipWithError("entries missing");
    }
}
BENCHMARK(BM_LoadResultsFile)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrap
