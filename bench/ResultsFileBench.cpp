#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include "app/State.h"
#include "app/Window.h"
#include "platform/Files.h"
#include "store/Results.h"
#include "store/ResultsFile.h"

namespace kestrap {
namespace {

// Only what loading needs; list-box lines are counted, not kept.
class CountingWindow : public Window {
public:
    std::string Text(int) override { return {}; }
    void SetText(int, std::string_view) override {}
    void Enable(int, bool) override {}
    int Ask(std::string_view, std::string_view, unsigned) override { return AnswerOk; }
    void Open(std::string_view) override {}
    void ListInsertTop(std::string_view) override { ++lines; }
    void ListAppend(std::string_view) override { ++lines; }
    void ListReset() override { lines = 0; }
    std::string ListSelectedText() override { return {}; }
    int ComboCount() override { return 0; }
    std::string ComboItem(int) override { return {}; }
    int ComboAdd(std::string_view) override { return 0; }
    void ComboSelect(int) override {}
    int ComboSelected() override { return -1; }
    void SetProgressRange(int) override {}
    void SetProgress(int) override {}
    void RestoreSize(int, int) override {}
    bool CreateStartMenuShortcut(int, std::string_view, std::string_view, std::string_view,
                                 std::string_view) override {
        return false;
    }
    int lines = 0;
};

// A full list: 10,000 entries over 100 days, titles and links of a typical length.
void FillFullList(AppState& state) {
    state.results.Clear();
    for (int i = 0; i < MaxResults; ++i) {
        int day = 28 - (i / 100) % 28;
        std::string date = "2008-0" + std::to_string(1 + i / 2800) + "-" + (day < 10 ? "0" : "") +
                           std::to_string(day);
        state.results.Append(date + " || Mountain bike, 21 speeds, barely used - $" +
                             std::to_string(100 + i) + " (Downtown) || http://boston.craigslist.org/bik/" +
                             std::to_string(1000000000 + i) + ".html" + (i % 3 == 0 ? " || NEW" : ""));
    }
}

// The floor for writing: the entry texts joined with line ends.
void BM_BaselineJoinEntries(benchmark::State& state) {
    AppState app;
    FillFullList(app);
    for (auto _ : state) {
        std::string text;
        for (const auto& entry : app.results.Entries()) text.append(entry).append("\r\n");
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_BaselineJoinEntries)->Unit(benchmark::kMillisecond);

void BM_ResultsFileText(benchmark::State& state) {
    AppState app;
    FillFullList(app);
    for (auto _ : state) benchmark::DoNotOptimize(ResultsFileText(app));
}
BENCHMARK(BM_ResultsFileText)->Unit(benchmark::kMillisecond);

std::string BenchFolder() {
    auto folder = std::filesystem::temp_directory_path() / "kestrap-bench";
    std::filesystem::create_directories(folder);
    return (folder / "").string();
}

// The floor for reading: the file read whole and its line ends counted.
void BM_BaselineReadAndCountLines(benchmark::State& state) {
    AppState app;
    FillFullList(app);
    const std::string path = BenchFolder() + "bench.html";
    WriteFileAtomically(path, ResultsFileText(app));
    for (auto _ : state) {
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

void BM_LoadResultsFile(benchmark::State& state) {
    AppState app;
    FillFullList(app);
    app.programFolder = BenchFolder();
    WriteFileAtomically(app.programFolder + "bench.html", ResultsFileText(app));
    CountingWindow window;
    for (auto _ : state) {
        LoadResultsFile(app, window, "bench.html");
        benchmark::DoNotOptimize(window.lines);
    }
}
BENCHMARK(BM_LoadResultsFile)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrap
