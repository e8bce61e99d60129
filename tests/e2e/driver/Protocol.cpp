#include "Protocol.h"

namespace kestrap::e2e {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string Unescape(std::string_view text) {
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            bytes += text[i];
            continue;
        }
        char kind = text[++i];
        if (kind == 'r') {
            bytes += '\r';
        } else if (kind == 'n') {
            bytes += '\n';
        } else if (kind == 't') {
            bytes += '\t';
        } else if (kind == 'x' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
                   HexValue(text[i + 2]) >= 0) {
            bytes += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            bytes += kind;
        }
    }
    return bytes;
}

std::string Escape(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        if (c == '\\') {
            text += "\\\\";
        } else if (c == '\r') {
            text += "\\r";
        } else if (c == '\n') {
            text += "\\n";
        } else if (c == '\t') {
            text += "\\t";
        } else if (b < 32 || b > 126) {
            text += "\\x";
            text += digits[b >> 4];
            text += digits[b & 15];
        } else {
            text += c;
        }
    }
    return text;
}

std::string NextWord(std::string_view& rest) {
    size_t start = rest.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        rest = {};
        return {};
    }
    size_t end = rest.find(' ', start);
    std::string word(rest.substr(start, end == std::string_view::npos ? rest.npos : end - start));
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    return word;
}

std::string OkAnswer(const std::vector<std::string>& fields) {
    std::string line = "ok";
    for (const auto& field : fields) {
        line += '\t';
        line += Escape(field);
    }
    return line;
}

std::string ErrorAnswer(std::string_view why) {
    return "error\t" + Escape(why);
}

}  // namespace kestrap::e2e
