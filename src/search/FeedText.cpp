#include "search/FeedText.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "common/Text.h"
#include "platform/Charset.h"

namespace kestrap {
namespace {

constexpr char Hex[] = "0123456789ABCDEF";

bool IsContinuation(unsigned char b) { return b >= 0x80 && b <= 0xBF; }

// The length of the valid UTF-8 sequence at the start of `text` (0 when there is none) and
// the character it encodes; overlong forms, surrogates and values past U+10FFFF are invalid.
size_t Utf8Sequence(std::string_view text, char32_t& character) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        character = lead;
        return 1;
    }
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
    for (size_t i = 2; i < length; ++i)
        if (!IsContinuation(byte(i))) return 0;
    character = lead & (0xFF >> (length + 1));
    for (size_t i = 1; i < length; ++i) character = (character << 6) | (byte(i) & 0x3F);
    return length;
}

bool IsValidUtf8(std::string_view text) {
    char32_t character = 0;
    for (size_t at = 0; at < text.size();) {
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            ++at;
            continue;
        }
        const size_t length = Utf8Sequence(text.substr(at), character);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

void SkipXmlSpace(std::string_view& text) {
    while (!text.empty() && IsXmlSpace(text.front())) text.remove_prefix(1);
}

// The value of the declaration's encoding="..." (or '...'); empty when it names none.
std::string_view DeclaredEncoding(std::string_view declaration) {
    const size_t name = FindText(declaration, "encoding");
    if (name == std::string_view::npos) return {};
    std::string_view rest = declaration.substr(name + 8);
    SkipXmlSpace(rest);
    if (rest.empty() || rest.front() != '=') return {};
    rest.remove_prefix(1);
    SkipXmlSpace(rest);
    if (rest.empty() || (rest.front() != '"' && rest.front() != '\'')) return {};
    const char quote = rest.front();
    rest.remove_prefix(1);
    return rest.substr(0, rest.find(quote));
}

void AppendPercent(std::string& out, unsigned char b) {
    out += '%';
    out += Hex[b >> 4];
    out += Hex[b & 0x0F];
}

// The length of the character or entity reference at the start of `text` ("&amp;",
// "&#233;", "&#xE9;"), or 1 for an "&" that begins none.
size_t ReferenceLength(std::string_view text) {
    constexpr size_t longest = 32;
    size_t at = 1;
    const auto isName = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    };
    if (at < text.size() && text[at] == '#') ++at;
    if (at < text.size() && at == 2 && (text[at] == 'x' || text[at] == 'X')) ++at;
    const size_t nameStart = at;
    while (at < text.size() && at < longest && isName(text[at])) ++at;
    if (at == nameStart || at >= text.size() || text[at] != ';') return 1;
    return at + 1;
}

bool StartsWithAnyCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && LowerCase(text.substr(0, prefix.size())) == prefix;
}

}  // namespace

bool IsUtf8Feed(std::string_view body) {
    std::string_view start = body;
    SkipXmlSpace(start);
    if (start.substr(0, 3) == "\xEF\xBB\xBF") start.remove_prefix(3);
    SkipXmlSpace(start);
    if (StartsWithAnyCase(start, "<?xml")) {
        const std::string_view declaration = start.substr(0, start.find("?>"));
        const std::string encoding = LowerCase(DeclaredEncoding(declaration));
        if (!encoding.empty()) return encoding == "utf-8" || encoding == "utf8";
    }
    return IsValidUtf8(body);
}

std::string HeldTitle(std::string_view raw, bool utf8) {
    // most titles need nothing done: one copy
    const bool plain = std::none_of(raw.begin(), raw.end(), [utf8](char c) {
        return c == '<' || c == '>' || (utf8 && static_cast<unsigned char>(c) >= 0x80);
    });
    if (plain && raw.size() <= MaxHeldTitleBytes) return std::string(raw);
    std::string held;
    held.reserve(std::min(raw.size(), MaxHeldTitleBytes));
    // opened only for a title with characters beyond ASCII
    std::optional<AnsiConverter> converter;
    std::string unit;  // what one character of the title becomes, added whole or not at all
    for (size_t at = 0; at < raw.size();) {
        const char c = raw[at];
        unit.clear();
        size_t length = 1;
        char32_t character = 0;
        if (c == '<' || c == '>') {
            unit = c == '<' ? "&lt;" : "&gt;";
        } else if (c == '&') {
            length = ReferenceLength(raw.substr(at));
            unit = raw.substr(at, length);
        } else if (utf8 && static_cast<unsigned char>(c) >= 0x80 &&
                   (length = Utf8Sequence(raw.substr(at), character)) > 0) {
            if (!converter) converter.emplace();
            if (!converter->AppendCharacter(raw.substr(at, length), unit)) {
                unit.append("&#").append(std::to_string(static_cast<uint32_t>(character)));
                unit.push_back(';');
            }
        } else {
            length = 1;
            unit = c;
        }
        if (held.size() + unit.size() > MaxHeldTitleBytes) break;
        held += unit;
        at += length;
    }
    return held;
}

std::string HeldLink(std::string_view raw, bool utf8) {
    while (!raw.empty() && IsXmlSpace(raw.front())) raw.remove_prefix(1);
    while (!raw.empty() && IsXmlSpace(raw.back())) raw.remove_suffix(1);
    // a quote would end the href; white space and controls are dropped or cut at by
    // browsers and by the file's reader, so the link would not read back the same
    const auto encoded = [utf8](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b <= 0x20 || b == 0x7F || c == '"' || c == '<' || c == '>' || (utf8 && b >= 0x80);
    };
    // "||" separates an entry's fields: bars in a row are written %7C, so that a link is
    // the same text in the entry, in the file and after a reload
    const bool bars = raw.find("||") != std::string_view::npos;
    if (!bars && std::none_of(raw.begin(), raw.end(), encoded)) return std::string(raw);
    std::string held;
    held.reserve(raw.size() + 8);
    for (size_t at = 0; at < raw.size(); ++at) {
        const char c = raw[at];
        const bool barInRow = c == '|' && ((at > 0 && raw[at - 1] == '|') || (at + 1 < raw.size() && raw[at + 1] == '|'));
        if (encoded(c) || barInRow) AppendPercent(held, static_cast<unsigned char>(c));
        else held.push_back(c);
    }
    return held;
}

std::string HeldDate(std::string_view date) {
    std::string held(date);
    for (char& c : held)
        if (c == '<' || c == '>' || c == '&' || c == '"') c = '_';
    return held;
}

bool IsWebAddress(std::string_view link) {
    std::string_view rest;
    if (StartsWithAnyCase(link, "http://")) rest = link.substr(7);
    else if (StartsWithAnyCase(link, "https://")) rest = link.substr(8);
    else return false;
    std::string_view authority = rest.substr(0, rest.find_first_of("/?#\\"));
    const size_t at = authority.rfind('@');
    if (at != std::string_view::npos) authority.remove_prefix(at + 1);
    return !authority.empty() && authority.front() != ':';
}

}  // namespace kestrap
