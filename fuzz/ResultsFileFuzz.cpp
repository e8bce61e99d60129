// The results-file reader on arbitrary bytes, and the writer on what it read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzWindow.h"
#include "app/ControlIds.h"
#include "app/State.h"
#include "store/Results.h"
#include "store/ResultsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrap;
    AppState state;
    state.programFolder = FuzzFolder();
    WriteFuzzFile(state.programFolder + "fuzz.html", data, size);
    FuzzWindow window;
    LoadResultsFile(state, window, "fuzz.html");
    const int count = state.results.Count();
    if (count < 0 || count > MaxResults || count != window.listLines) std::abort();
    int statusLines = 0;
    for (int line : {IDC_STATUS1, IDC_STATUS2, IDC_STATUS3}) statusLines += !window.texts[line].empty();
    if (statusLines > 1) std::abort();  // one line at most: missing file or entries left out

    // every entry read is written as exactly one item line
    const std::string text = ResultsFileText(state);
    size_t items = 0;
    for (size_t at = text.find("<li>"); at != std::string::npos; at = text.find("<li>", at + 4)) ++items;
    if (items < static_cast<size_t>(count)) std::abort();
    return 0;
}
