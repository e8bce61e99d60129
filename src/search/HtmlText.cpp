#include "search/HtmlText.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace kestrap {

namespace {

struct NamedCharacter {
    std::string_view name;
    char32_t character;
};

// The references that titles use: markup, Latin-1 and typography. Names are case-sensitive.
constexpr NamedCharacter NamedCharacters[] = {
    {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''},
    {"nbsp", 0xA0}, {"iexcl", 0xA1}, {"cent", 0xA2}, {"pound", 0xA3}, {"curren", 0xA4},
    {"yen", 0xA5}, {"brvbar", 0xA6}, {"sect", 0xA7}, {"uml", 0xA8}, {"copy", 0xA9},
    {"ordf", 0xAA}, {"laquo", 0xAB}, {"not", 0xAC}, {"shy", 0xAD}, {"reg", 0xAE},
    {"macr", 0xAF}, {"deg", 0xB0}, {"plusmn", 0xB1}, {"sup2", 0xB2}, {"sup3", 0xB3},
    {"acute", 0xB4}, {"micro", 0xB5}, {"para", 0xB6}, {"middot", 0xB7}, {"cedil", 0xB8},
    {"sup1", 0xB9}, {"ordm", 0xBA}, {"raquo", 0xBB}, {"frac14", 0xBC}, {"frac12", 0xBD},
    {"frac34", 0xBE}, {"iquest", 0xBF}, {"Agrave", 0xC0}, {"Aacute", 0xC1}, {"Acirc", 0xC2},
    {"Atilde", 0xC3}, {"Auml", 0xC4}, {"Aring", 0xC5}, {"AElig", 0xC6}, {"Ccedil", 0xC7},
    {"Egrave", 0xC8}, {"Eacute", 0xC9}, {"Ecirc", 0xCA}, {"Euml", 0xCB}, {"Igrave", 0xCC},
    {"Iacute", 0xCD}, {"Icirc", 0xCE}, {"Iuml", 0xCF}, {"ETH", 0xD0}, {"Ntilde", 0xD1},
    {"Ograve", 0xD2}, {"Oacute", 0xD3}, {"Ocirc", 0xD4}, {"Otilde", 0xD5}, {"Ouml", 0xD6},
    {"times", 0xD7}, {"Oslash", 0xD8}, {"Ugrave", 0xD9}, {"Uacute", 0xDA}, {"Ucirc", 0xDB},
    {"Uuml", 0xDC}, {"Yacute", 0xDD}, {"THORN", 0xDE}, {"szlig", 0xDF}, {"agrave", 0xE0},
    {"aacute", 0xE1}, {"acirc", 0xE2}, {"atilde", 0xE3}, {"auml", 0xE4}, {"aring", 0xE5},
    {"aelig", 0xE6}, {"ccedil", 0xE7}, {"egrave", 0xE8}, {"eacute", 0xE9}, {"ecirc", 0xEA},
    {"euml", 0xEB}, {"igrave", 0xEC}, {"iacute", 0xED}, {"icirc", 0xEE}, {"iuml", 0xEF},
    {"eth", 0xF0}, {"ntilde", 0xF1}, {"ograve", 0xF2}, {"oacute", 0xF3}, {"ocirc", 0xF4},
    {"otilde", 0xF5}, {"ouml", 0xF6}, {"divide", 0xF7}, {"oslash", 0xF8}, {"ugrave", 0xF9},
    {"uacute", 0xFA}, {"ucirc", 0xFB}, {"uuml", 0xFC}, {"yacute", 0xFD}, {"thorn", 0xFE},
    {"yuml", 0xFF}, {"OElig", 0x152}, {"oelig", 0x153}, {"Scaron", 0x160}, {"scaron", 0x161},
    {"Yuml", 0x178}, {"fnof", 0x192}, {"circ", 0x2C6}, {"tilde", 0x2DC}, {"ensp", 0x2002},
    {"emsp", 0x2003}, {"thinsp", 0x2009}, {"zwnj", 0x200C}, {"zwj", 0x200D}, {"lrm", 0x200E},
    {"rlm", 0x200F}, {"ndash", 0x2013}, {"mdash", 0x2014}, {"lsquo", 0x2018}, {"rsquo", 0x2019},
    {"sbquo", 0x201A}, {"ldquo", 0x201C}, {"rdquo", 0x201D}, {"bdquo", 0x201E},
    {"dagger", 0x2020}, {"Dagger", 0x2021}, {"bull", 0x2022}, {"hellip", 0x2026},
    {"permil", 0x2030}, {"prime", 0x2032}, {"Prime", 0x2033}, {"lsaquo", 0x2039},
    {"rsaquo", 0x203A}, {"euro", 0x20AC}, {"trade", 0x2122}, {"larr", 0x2190}, {"rarr", 0x2192},
    {"hearts", 0x2665},
};

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

int DigitValue(char c, int base) {
    int value = 36;
    if (c >= '0' && c <= '9') value = c - '0';
    else if (c >= 'a' && c <= 'z') value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'Z') value = c - 'A' + 10;
    return value < base ? value : -1;
}

// The reference at the start of `text` ("&...;"): its length, 0 when it is none that we know.
size_t DecodeReference(std::string_view text, std::string& out) {
    const size_t end = text.find(';');
    if (end == std::string_view::npos || end < 2) return 0;
    const std::string_view name = text.substr(1, end - 1);
    if (name.front() == '#') {
        const bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty()) return 0;
        const int base = hex ? 16 : 10;
        uint32_t value = 0;
        for (char c : digits) {
            const int digit = DigitValue(c, base);
            if (digit < 0) return 0;
            // past the last character every value reads as one that is no character
            value = std::min<uint32_t>(value * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit),
                                       0x110000);
        }
        // a null or control character would be no text at all: shown as a blank
        if (value < 0x20 || value == 0x7F) out += ' ';
        else AppendUtf8(value, out);
        return end + 1;
    }
    for (const NamedCharacter& named : NamedCharacters) {
        if (named.name == name) {
            AppendUtf8(named.character, out);
            return end + 1;
        }
    }
    return 0;
}

// Where the markup that begins at `at` (a '<') ends, one past it; `at` itself when the
// '<' is text, as it is when no tag name, "/", "!" or "?" follows.
size_t MarkupEnd(std::string_view html, size_t at) {
    const std::string_view rest = html.substr(at);
    if (rest.substr(0, 4) == "<!--") {
        const size_t close = rest.find("-->", 4);
        return close == std::string_view::npos ? html.size() : at + close + 3;
    }
    if (rest.size() < 2) return at;
    const char next = rest[1];
    const bool tag = IsAsciiLetter(next) || (next == '/' && rest.size() > 2 && IsAsciiLetter(rest[2]));
    if (!tag && next != '!' && next != '?' && rest.substr(0, 3) != "</>") return at;
    // a quoted attribute value may hold a '>'
    char quote = 0;
    for (size_t i = 1; i < rest.size(); ++i) {
        const char c = rest[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            if (rest[i - 1] == '=' || rest[i - 1] == ' ') quote = c;
        } else if (c == '>') {
            return at + i + 1;
        }
    }
    return html.size();  // a tag left open runs to the end and shows nothing
}

}  // namespace

void AppendUtf8(char32_t character, std::string& out) {
    if ((character >= 0xD800 && character <= 0xDFFF) || character > 0x10FFFF) character = 0xFFFD;
    const auto byte = [&out](uint32_t value) { out += static_cast<char>(value); };
    if (character < 0x80) {
        byte(character);
    } else if (character < 0x800) {
        byte(0xC0 | (character >> 6));
        byte(0x80 | (character & 0x3F));
    } else if (character < 0x10000) {
        byte(0xE0 | (character >> 12));
        byte(0x80 | ((character >> 6) & 0x3F));
        byte(0x80 | (character & 0x3F));
    } else {
        byte(0xF0 | (character >> 18));
        byte(0x80 | ((character >> 12) & 0x3F));
        byte(0x80 | ((character >> 6) & 0x3F));
        byte(0x80 | (character & 0x3F));
    }
}

void FoldBlanks(std::string& text) {
    size_t kept = 0;
    bool blank = false;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) <= ' ') {
            blank = kept != 0;
            continue;
        }
        if (blank) text[kept++] = ' ';
        blank = false;
        text[kept++] = c;
    }
    text.resize(kept);
}

std::string DecodeHtmlReferences(std::string_view html) {
    std::string text;
    text.reserve(html.size());
    for (size_t at = 0; at < html.size();) {
        const size_t length = html[at] == '&' ? DecodeReference(html.substr(at, 40), text) : 0;
        if (length == 0) text += html[at++];
        else at += length;
    }
    return text;
}

std::string HtmlSourceText(std::string_view html) {
    std::string text;
    text.reserve(html.size());
    for (size_t at = 0; at < html.size();) {
        const char c = html[at];
        if (c == '<') {
            const size_t end = MarkupEnd(html, at);
            if (end != at) {
                at = end;
                continue;
            }
        } else if (c == '&') {
            const size_t length = DecodeReference(html.substr(at, 40), text);
            if (length != 0) {
                at += length;
                continue;
            }
        }
        text += c;
        ++at;
    }
    FoldBlanks(text);
    return text;
}

}  // namespace kestrap
