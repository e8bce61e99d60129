// Date normalisation and day headings on arbitrary texts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/DateText.h"
#include "search/Dates.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (kestrap::CraigslistStoredDate(text).size() > 10) std::abort();
    const std::string kijiji = kestrap::KijijiStoredDate(text);
    if (kijiji.size() > text.size() + 30) std::abort();
    const int month = kestrap::MonthNumber(text);
    if (month < 0 || month > 12) std::abort();
    if (kestrap::DayHeading(text).empty() || kestrap::DayHeading(kijiji).empty()) std::abort();
    return 0;
}
