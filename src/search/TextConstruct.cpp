#include "search/TextConstruct.h"

#include <cstdint>
#include <string_view>

#include "common/Text.h"
#include "search/FeedNodes.h"
#include "search/HtmlText.h"

namespace kestrap {

namespace {

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+' || c == '-') return 62;
    if (c == '/' || c == '_') return 63;
    return -1;
}

// Line breaks and other bytes outside the alphabet are skipped; "=" ends the data.
std::string DecodeBase64(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3);
    uint32_t bits = 0;
    int held = 0;
    for (const char c : text) {
        if (c == '=') break;
        const int value = Base64Value(c);
        if (value < 0) continue;
        bits = (bits << 6) | static_cast<uint32_t>(value);
        held += 6;
        if (held >= 8) {
            held -= 8;
            bytes += static_cast<char>((bits >> held) & 0xFF);
        }
    }
    return bytes;
}

}  // namespace

std::string TextConstructText(const pugi::xml_node& element) {
    const std::string type = LowerCase(StripBlanks(element.attribute("type").value()));
    const std::string mode = LowerCase(StripBlanks(element.attribute("mode").value()));
    const bool html = type == "html" || type == "text/html";
    const bool xhtml = type == "xhtml" || type == "application/xhtml+xml";
    if (mode == "base64") {
        std::string raw;
        AppendText(element, raw);
        std::string decoded = DecodeBase64(raw);
        if (html || xhtml) return HtmlSourceText(decoded);
        FoldBlanks(decoded);
        return decoded;
    }
    if (type == "html" || (mode == "escaped" && (html || xhtml))) {
        std::string source;
        AppendText(element, source);
        return HtmlSourceText(source);
    }
    if (type == "xhtml") {
        // the construct's content is one div, which is not part of it
        const pugi::xml_node div = Child(element, "div");
        return ElementText(div ? div : element);
    }
    // plain text, or markup that is part of the document (Atom 0.3's mode "xml"): its text
    return ElementText(element);
}

}  // namespace kestrap
