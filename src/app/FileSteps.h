#pragma once
// The steps of Load and Save that fill the window from files and write files from it.
#include <string>
#include <string_view>
#include <vector>

#include "platform/SystemError.h"
#include "store/ResultsFile.h"

namespace kestrap {

struct AppState;
class Window;

// What reading a results file into the list found.
struct ResultsFileLoad {
    bool opened = false;  // false: missing, or could not be read
    bool cut = false;     // only its first MaxResultsFileBytes were read
    bool whole = false;   // nothing of it is missing from the list
    ResultsFileReading reading;
};
// Replaces the list with the entries of the results file. The file counts as partly read
// (state.partlyReadResultsFile) unless it was read whole (the program's own page, every
// item line read, every entry in the list) or is missing; an empty file holds nothing to
// lose.
ResultsFileLoad ReadResultsFileIntoList(AppState& state, const std::string& path,
                                        NewMarks marks);

// Fills the list (and the list box) from the results file, then the term and city boxes
// from its list files.
void LoadResultsFile(AppState& state, Window& window, std::string_view name,
                     NewMarks marks = NewMarks::Drop);
// Fills the term box, then the city box, from the base name's files, else the defaults,
// else the placeholders.
void LoadSearchLists(AppState& state, Window& window, std::string_view baseName);
// Writes the city box, then the term box, exactly as they hold their text. False when a
// file could not be written; it is then added to `failedFiles` (as FailedFileText) when given.
bool SaveSearchLists(AppState& state, Window& window, std::string_view baseName,
                     std::vector<std::string>* failedFiles = nullptr);
// false when the file could not be written (`error` tells why); the old file is unchanged
bool SaveResultsFile(AppState& state, const std::string& path, SystemError* error = nullptr);
// A file that could not be written, for a message box: its path and the system's reason.
std::string FailedFileText(const std::string& path, SystemError error);

}  // namespace kestrap
