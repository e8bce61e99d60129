// The settings reader on arbitrary bytes, and the writer on what it kept.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/Clock.h"
#include "store/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrap;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::string key;
    std::string_view value;
    SettingsValues kept;
    while (NextSettingsLine(rest, key, value)) {
        if (key == "recent") {
            kept.recentFiles = RecentFilesOf(value);
            // no name is longer than the drop-down holds, and at most 48 are kept
            std::string_view names = kept.recentFiles;
            int count = 1;
            for (size_t comma; (comma = names.find(',')) != std::string_view::npos; ++count) {
                if (comma > MaxRecentName) std::abort();
                names.remove_prefix(comma + 1);
            }
            if (names.size() > MaxRecentName || count > 48) std::abort();
        } else if (key == "dialogx" || key == "dialogy") {
            const int units = DialogUnitsOf(value);
            if (units < 0 || units > 32767) std::abort();
            (key == "dialogx" ? kept.dialogWidth : kept.dialogHeight) = units;
        }
    }
    // what is written keeps one line per key: no value can break into a line of its own
    const std::string text = SettingsFileText(kept, SystemClock());
    std::string_view written = text;
    int lines = 0;
    while (NextSettingsLine(written, key, value)) ++lines;
    if (lines != 4 + (kept.dialogWidth != 0) + (kept.dialogHeight != 0)) std::abort();
    return 0;
}
