// The update page's version on arbitrary answers, and the offer's text built from it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/Text.h"
#include "desktop/UpdateCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    const int version = kestrap::PageVersion(answer);
    // a version can only come from between the two markers
    if (version != 0 && answer.find("<!--kestrapver-->") == std::string_view::npos) std::abort();
    const std::string shown = kestrap::FormatTwoDecimals(version / 100.0);
    if (shown.size() < 4 || shown[shown.size() - 3] != '.') std::abort();
    return 0;
}
