// The results-file reader on arbitrary bytes, and the writer on what it read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/Clock.h"
#include "store/ResultEntry.h"
#include "store/ResultsFile.h"
#include "store/ResultsList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrap;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ResultsList results;
    int added = 0;
    const ResultsFileReading reading = ReadResultsFileEntries(bytes, [&](const ResultEntry& entry) {
        if (!results.Add(entry)) return false;
        ++added;
        return true;
    });
    const int count = results.Count();
    const int leftOut = reading.leftOut;
    if (count != added || count != reading.entries || count > MaxResults || leftOut < 0) std::abort();
    if (leftOut > 0 && count != MaxResults) std::abort();

    // every entry read is written as exactly one item line
    const std::string text = ResultsFileText(results, SystemClock());
    size_t items = 0;
    for (size_t at = text.find("<li>"); at != std::string::npos; at = text.find("<li>", at + 4)) ++items;
    if (items < static_cast<size_t>(count)) std::abort();
    return 0;
}
