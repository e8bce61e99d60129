#pragma once
// The settings file kestrap.ini: "key: value" lines.
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrap {

class Clock;

constexpr std::string_view SettingsFileName = "kestrap.ini";
constexpr std::string_view DefaultResultsFile = "kestrap.html";
constexpr size_t MaxSettingsBytes = size_t{1} << 20;
// The drop-down reads item texts into a 200-byte buffer.
constexpr size_t MaxRecentName = 199;

// Takes the next line off `rest`: its key lower-cased, its value after the first ":" with
// blanks stripped (empty without a colon). False when `rest` is empty.
bool NextSettingsLine(std::string_view& rest, std::string& key, std::string_view& value);

// The recent-files value as kept: lower-cased, names that repeat or are too long for the
// drop-down left out, at most 48 names.
std::string RecentFilesOf(std::string_view value);

// A window size value in dialog units; 0 (leave the size alone) when it is none.
int DialogUnitsOf(std::string_view value);

struct SettingsValues {
    std::string recentFiles;
    std::string resultsFile;  // empty: the default results file
    std::string startMenuState;
    int dialogWidth = 0;   // client size in dialog units; 0: not written
    int dialogHeight = 0;
};

// The file's bytes, stamped with the clock's date and time.
std::string SettingsFileText(const SettingsValues& values, const Clock& clock);

}  // namespace kestrap
