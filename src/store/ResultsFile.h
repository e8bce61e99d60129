#pragma once
// The HTML results file: the program's store and the report the user reads.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace kestrap {

class Clock;
class ResultsList;
struct ResultEntry;

// 10,000 entries take a few MiB; a file far beyond that is read only this far
constexpr size_t MaxResultsFileBytes = size_t{64} << 20;

// A results-file name as typed, with ".html" added unless it ends in ".html" or ".htm" in
// any letter case.
std::string ResultsFileNameWithEnding(std::string_view name);

// The file's bytes for the list, in list order, stamped with the clock's date and time.
std::string ResultsFileText(const ResultsList& results, const Clock& clock);

// What a read does with the " <b>NEW</b>" of an item: the window reads every entry as old;
// a scheduled run keeps the marks, so that they add up until the user saves from the window.
enum class NewMarks { Drop, Keep };

struct ResultsFileReading {
    int leftOut = 0;     // entries that did not fit
    int unreadable = 0;  // "<li>" lines not in the form the writer gives them
    int entries = 0;     // entries handed over
    bool ours = false;   // the file begins with the heading the writer puts first
    // Nothing of the file is missing from the list: a save may replace it unasked.
    bool Whole() const { return ours && unreadable == 0 && leftOut == 0; }
};

// Hands the entry of every "<li>" line to `add`, which answers false when the list is full.
ResultsFileReading ReadResultsFileEntries(std::string_view bytes,
                                          const std::function<bool(const ResultEntry& entry)>& add,
                                          NewMarks marks = NewMarks::Drop);

}  // namespace kestrap
