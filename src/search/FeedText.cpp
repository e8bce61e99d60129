#include "search/FeedText.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "common/Text.h"
#include "platform/Charset.h"

namespace kestrap {
namespace {

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

// Byte classes as tables: a feed holds thousands of titles and links, and most of them
// need nothing done, which a pass without a branch per byte tells soonest.
using ByteClass = std::array<bool, 256>;

constexpr ByteClass MakeByteClass(bool (*member)(unsigned char)) {
    ByteClass bytes{};
    for (int b = 0; b < 256; ++b) bytes[static_cast<size_t>(b)] = member(static_cast<unsigned char>(b));
    return bytes;
}

constexpr ByteClass TitleBytes = MakeByteClass([](unsigned char b) { return b == '<' || b == '>'; });
constexpr ByteClass TitleBytesUtf8 = MakeByteClass([](unsigned char b) { return b == '<' || b == '>' || b >= 0x80; });

bool AnyByteOf(std::string_view text, const ByteClass& bytes) {
    bool any = false;
    for (const char c : text) any |= bytes[static_cast<unsigned char>(c)];
    return any;
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
    std::string held;
    HoldTitle(raw, utf8, held);
    return held;
}

void HoldTitle(std::string_view raw, bool utf8, std::string& held) {
    // most titles need nothing done: one copy
    if (raw.size() <= MaxHeldTitleBytes && !AnyByteOf(raw, utf8 ? TitleBytesUtf8 : TitleBytes)) {
        held.assign(raw);
        return;
    }
    held.clear();
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
}

}  // namespace kestrap
