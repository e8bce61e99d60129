// Reading and writing numbers: any text reads as a finite value that the writers accept.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double value = kestrap::ReadNumber(text);
    if (!std::isfinite(value)) std::abort();
    const int64_t whole = kestrap::RoundHalfEven(value);
    if (kestrap::FormatPlain(whole).empty() || kestrap::FormatThousands(whole).empty()) std::abort();
    if (kestrap::FormatDigits(whole, 4).size() < 4) std::abort();
    const std::string twoDecimals = kestrap::FormatTwoDecimals(value);
    if (twoDecimals.size() < 4 || twoDecimals[twoDecimals.size() - 3] != '.') std::abort();
    return 0;
}
