#include "store/Settings.h"

#include "common/DateText.h"
#include "common/Text.h"
#include "platform/Clock.h"

namespace kestrap {
namespace {

// Two wrapping commas plus 48 names make 50 fields.
constexpr int MaxRecentFields = 50;

// Larger values are not a window size; they leave the size alone like 0 does.
constexpr double MaxDialogUnits = 32767;

}  // namespace

bool NextSettingsLine(std::string_view& rest, std::string& key, std::string_view& value) {
    std::string_view line;
    if (!NextLine(rest, line)) return false;
    size_t colon = line.find(':');
    key = LowerCase(line.substr(0, colon));
    value = colon == std::string_view::npos ? std::string_view() : StripBlanks(line.substr(colon + 1));
    return true;
}

std::string RecentFilesOf(std::string_view value) {
    std::string list = LowerCase(value);
    std::string recent = ",";
    int fields = 2;  // "," splits into two empty fields
    std::string_view rest = list;
    for (;;) {
        size_t comma = rest.find(',');
        std::string_view name = rest.substr(0, comma);
        if (name.size() <= MaxRecentName &&
            recent.find("," + std::string(name) + ",") == std::string::npos) {
            if (fields >= MaxRecentFields) break;
            recent.append(name).push_back(',');
            ++fields;
        }
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    return recent.substr(1, recent.size() - 2);
}

int DialogUnitsOf(std::string_view value) {
    double number = ReadNumber(value);
    if (!(number >= 0 && number <= MaxDialogUnits)) return 0;
    return static_cast<int>(RoundHalfEven(number));
}

std::string SettingsFileText(const SettingsValues& values, const Clock& clock) {
    std::string text;
    const LocalTime now = clock.Now();
    text.append("lastrun: ").append(LocalDateText(now)).append(" ");
    text.append(LocalTimeText(now)).append("\r\n");
    text.append("recent: ").append(values.recentFiles).append("\r\n");
    text.append("results: ")
        .append(values.resultsFile.empty() ? std::string(DefaultResultsFile) : values.resultsFile)
        .append("\r\n");
    text.append("startmenu: ").append(values.startMenuState).append("\r\n");
    if (values.dialogWidth != 0) {
        text.append("dialogx: ").append(FormatPlain(values.dialogWidth + 5)).append("\r\n");
    }
    if (values.dialogHeight != 0) {
        text.append("dialogy: ").append(FormatPlain(values.dialogHeight + 17)).append("\r\n");
    }
    return text;
}

}  // namespace kestrap
