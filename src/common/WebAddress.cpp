#include "common/WebAddress.h"

#include <array>

#include "common/Text.h"

namespace kestrap {
namespace {

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Which bytes of a link are written %XX, as tables: a feed holds thousands of links, and
// most of them need nothing done, which a pass without a branch per byte tells soonest.
using ByteClass = std::array<bool, 256>;

constexpr ByteClass MakeByteClass(bool (*member)(unsigned char)) {
    ByteClass bytes{};
    for (int b = 0; b < 256; ++b) bytes[static_cast<size_t>(b)] = member(static_cast<unsigned char>(b));
    return bytes;
}

constexpr ByteClass LinkBytes =
    MakeByteClass([](unsigned char b) { return b <= 0x20 || b == 0x7F || b == '"' || b == '<' || b == '>'; });
constexpr ByteClass LinkBytesUtf8 = MakeByteClass(
    [](unsigned char b) { return b <= 0x20 || b == 0x7F || b == '"' || b == '<' || b == '>' || b >= 0x80; });

bool AnyByteOf(std::string_view text, const ByteClass& bytes) {
    bool any = false;
    for (const char c : text) any |= bytes[static_cast<unsigned char>(c)];
    return any;
}

void AppendPercent(std::string& out, unsigned char b) {
    static constexpr char hex[] = "0123456789ABCDEF";
    out += '%';
    out += hex[b >> 4];
    out += hex[b & 0x0F];
}

}  // namespace

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

std::string HeldLink(std::string_view raw, bool utf8) {
    std::string held;
    HoldLink(raw, utf8, held);
    return held;
}

void HoldLink(std::string_view raw, bool utf8, std::string& held) {
    while (!raw.empty() && IsXmlSpace(raw.front())) raw.remove_prefix(1);
    while (!raw.empty() && IsXmlSpace(raw.back())) raw.remove_suffix(1);
    // a quote would end the href; white space and controls are dropped or cut at by
    // browsers and by the file's reader, so the link would not read back the same
    const ByteClass& encoded = utf8 ? LinkBytesUtf8 : LinkBytes;
    // "||" separates an entry's fields: bars in a row are written %7C, so that a link is
    // the same text in the entry, in the file and after a reload
    const bool bars = raw.find("||") != std::string_view::npos;
    if (!bars && !AnyByteOf(raw, encoded)) {
        held.assign(raw);
        return;
    }
    held.clear();
    held.reserve(raw.size() + 8);
    for (size_t at = 0; at < raw.size(); ++at) {
        const char c = raw[at];
        const bool barInRow = c == '|' && ((at > 0 && raw[at - 1] == '|') ||
                                           (at + 1 < raw.size() && raw[at + 1] == '|'));
        if (encoded[static_cast<unsigned char>(c)] || barInRow)
            AppendPercent(held, static_cast<unsigned char>(c));
        else held.push_back(c);
    }
}

}  // namespace kestrap
