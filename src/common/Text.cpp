#include "common/Text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

namespace kestrap {

size_t FindText(std::string_view text, std::string_view marker, size_t from) {
    if (from > text.size() || text.size() - from < marker.size()) return std::string_view::npos;
    if (marker.empty()) return from;
    // the first byte by memchr, the rest compared here: markers are short, and a library
    // compare per candidate costs more than the compare itself
    const char first = marker.front();
    const std::string_view rest = marker.substr(1);
    const char* at = text.data() + from;
    const char* const lastStart = text.data() + text.size() - marker.size();
    while (at <= lastStart) {
        at = static_cast<const char*>(std::memchr(at, first, static_cast<size_t>(lastStart - at) + 1));
        if (at == nullptr) return std::string_view::npos;
        size_t i = 0;
        while (i < rest.size() && at[1 + i] == rest[i]) ++i;
        if (i == rest.size()) return static_cast<size_t>(at - text.data());
        ++at;
    }
    return std::string_view::npos;
}

std::string_view TextBetween(std::string_view text, std::string_view start, std::string_view end) {
    const size_t found = FindText(text, start);
    if (found == std::string_view::npos) return {};
    const size_t from = found + start.size();
    const size_t to = FindText(text, end, from);
    return text.substr(from, to == std::string_view::npos ? std::string_view::npos : to - from);
}

std::string_view StripBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

static char LowerByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 'A' && b <= 'Z') return static_cast<char>(b + ('a' - 'A'));
    switch (b) {
    case 0x80: return static_cast<char>(0x87);
    case 0x8E: return static_cast<char>(0x84);
    case 0x8F: return static_cast<char>(0x86);
    case 0x90: return static_cast<char>(0x82);
    case 0x99: return static_cast<char>(0x94);
    case 0x9A: return static_cast<char>(0x81);
    case 0xA5: return static_cast<char>(0xA4);
    default: return c;
    }
}

bool StartsWithAnyCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t at = 0; at < prefix.size(); ++at)
        if (LowerByte(text[at]) != prefix[at]) return false;
    return true;
}

std::string LowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = LowerByte(c);
    return lower;
}

static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

static int RadixDigit(char c, int radix) {
    int value = 99;
    if (IsDigit(c)) value = c - '0';
    else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
    return value < radix ? value : -1;
}

// "&H1F", "&O17", "&B101", "&17": `text` starts right after the "&".
static double ReadRadixNumber(std::string_view text) {
    int radix = 8;
    size_t i = 0;
    if (!text.empty() && !IsDigit(text[0])) {
        switch (text[0]) {
        case 'H': case 'h': radix = 16; break;
        case 'O': case 'o': case 'Q': case 'q': radix = 8; break;
        case 'B': case 'b': radix = 2; break;
        default: return 0;
        }
        i = 1;
    }
    // accumulated as a double: a long digit run saturates to a large value, never overflows
    double value = 0;
    for (; i < text.size(); ++i) {
        const int digit = RadixDigit(text[i], radix);
        if (digit < 0) break;
        value = value * radix + digit;
    }
    return std::isfinite(value) ? value : std::numeric_limits<double>::max();
}

// Length of the longest prefix of the form [sign] digits [. digits] [e [sign] digits].
static size_t DecimalPrefixLength(std::string_view text) {
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        size_t j = i + 1;
        size_t fraction = 0;
        while (j < text.size() && IsDigit(text[j])) ++j, ++fraction;
        if (digits + fraction > 0) {
            i = j;
            digits += fraction;
        }
    }
    if (digits == 0) return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        const size_t exponentStart = j;
        while (j < text.size() && IsDigit(text[j])) ++j;
        if (j > exponentStart) i = j;
    }
    return i;
}

// For an unsigned decimal text that a double cannot hold: whether its value lies above 1
// (an overflow) rather than below (an underflow). Only the decimal exponent matters.
static bool ExceedsOne(std::string_view number) {
    const size_t exponentAt = number.find_first_of("eE");
    const std::string_view mantissa = number.substr(0, exponentAt);
    const size_t point = std::min(mantissa.find('.'), mantissa.size());
    const size_t firstSignificant = mantissa.find_first_of("123456789");
    if (firstSignificant == std::string_view::npos) return false;
    // the power of ten of the first significant digit, plus the written exponent
    int64_t scale = firstSignificant < point ? static_cast<int64_t>(point - firstSignificant)
                                             : -static_cast<int64_t>(firstSignificant - point);
    if (exponentAt != std::string_view::npos) {
        std::string_view exponent = number.substr(exponentAt + 1);
        const bool negative = !exponent.empty() && exponent[0] == '-';
        if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) exponent.remove_prefix(1);
        int64_t written = 0;
        for (char c : exponent) written = std::min<int64_t>(written * 10 + (c - '0'), int64_t{1} << 40);
        scale += negative ? -written : written;
    }
    return scale > 0;
}

double ReadNumber(std::string_view text) {
    const size_t start = text.find_first_not_of(" \t\n");
    if (start == std::string_view::npos) return 0;
    text.remove_prefix(start);
    if (text[0] == '&') return ReadRadixNumber(text.substr(1));

    const size_t length = DecimalPrefixLength(text);
    if (length == 0) return 0;
    std::string_view number = text.substr(0, length);
    const bool negative = number[0] == '-';
    if (number[0] == '+' || number[0] == '-') number.remove_prefix(1);

    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value,
                                              std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        // beyond the range of a double: too large saturates and too small is 0, so the
        // value always stays finite
        value = ExceedsOne(number) ? std::numeric_limits<double>::max() : 0.0;
    } else if (error != std::errc{}) {
        value = 0;
    }
    return negative ? -value : value;
}

int64_t RoundHalfEven(double value) {
    if (std::isnan(value)) return 0;
    // 2^63 is exactly representable; anything at or beyond it saturates
    constexpr double limit = 9223372036854775808.0;
    if (value >= limit) return std::numeric_limits<int64_t>::max();
    if (value <= -limit) return std::numeric_limits<int64_t>::min();
    const double lower = std::floor(value);
    const double fraction = value - lower;
    double rounded = lower;
    if (fraction > 0.5) rounded = lower + 1;
    else if (fraction == 0.5) rounded = std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
    if (rounded >= limit) return std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(rounded);
}

std::string FormatPlain(int64_t value) { return std::to_string(value); }

std::string FormatDigits(int64_t value, int minDigits) {
    // the magnitude as unsigned, so that the most negative value has one too
    const uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::string digits = std::to_string(magnitude);
    if (static_cast<int>(digits.size()) < minDigits) digits.insert(0, minDigits - digits.size(), '0');
    return value < 0 ? "-" + digits : digits;
}

std::string FormatTwoDecimals(double value) {
    if (!std::isfinite(value)) return "0.00";
    // fixed notation of the largest double needs 309 digits before the point
    char buffer[400];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    if (error != std::errc{}) return "0.00";
    std::string text(buffer, end);
    if (text == "-0.00") text = "0.00";
    return text;
}

std::string FormatThousands(int64_t value) {
    const std::string digits = FormatDigits(value, 1);
    const size_t signLength = value < 0 ? 1 : 0;
    std::string grouped = digits.substr(0, signLength);
    const size_t count = digits.size() - signLength;
    for (size_t i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0) grouped += ',';
        grouped += digits[signLength + i];
    }
    return grouped;
}

namespace {

// The first CR or LF. Searched for in windows that grow, so that a long line costs no
// more than two memchr passes and a text without CR is not searched to its end per line.
size_t FindLineEnd(std::string_view text) {
    size_t from = 0;
    size_t window = 256;
    while (from < text.size()) {
        const size_t size = std::min(window, text.size() - from);
        const char* at = text.data() + from;
        const void* cr = std::memchr(at, '\r', size);
        const size_t limit = cr ? static_cast<size_t>(static_cast<const char*>(cr) - at) : size;
        const void* lf = std::memchr(at, '\n', limit);
        if (lf) return from + static_cast<size_t>(static_cast<const char*>(lf) - at);
        if (cr) return from + limit;
        from += size;
        window = std::min(window * 2, size_t{1} << 16);
    }
    return std::string_view::npos;
}

}  // namespace

bool NextLine(std::string_view& rest, std::string_view& line) {
    if (rest.empty()) return false;
    const size_t end = FindLineEnd(rest);
    if (end == std::string_view::npos) {
        line = rest;
        rest = {};
        return true;
    }
    line = rest.substr(0, end);
    size_t next = end + 1;
    if (rest[end] == '\r' && next < rest.size() && rest[next] == '\n') ++next;
    rest.remove_prefix(next);
    return true;
}

}  // namespace kestrap
