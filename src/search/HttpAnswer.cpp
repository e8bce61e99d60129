#include "search/HttpAnswer.h"

#include "common/Text.h"

namespace kestrap {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The line at the start of `text` without its LF or CR LF; `rest` is what follows it.
std::string_view FirstLine(std::string_view text, std::string_view& rest) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// "HTTP/1.1 302 Moved Temporarily", "HTTP/1.0 301": any reason phrase, or none
int StatusCode(std::string_view line) {
    if (line.substr(0, 5) != "HTTP/") return 0;
    const size_t space = line.find(' ');
    if (space == std::string_view::npos) return 0;
    const std::string_view code = line.substr(space + 1);
    if (code.size() < 3 || !IsDigit(code[0]) || !IsDigit(code[1]) || !IsDigit(code[2])) return 0;
    if (code.size() > 3 && code[3] != ' ') return 0;
    return (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0');
}

std::string_view TrimBlanksAndTabs(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace

HttpAnswerParts ReadHttpAnswer(std::string_view answer) {
    HttpAnswerParts parts;
    std::string_view rest;
    parts.status = StatusCode(FirstLine(answer, rest));
    if (parts.status == 0) {
        parts.body = answer;
        return parts;
    }
    const std::string_view headers = rest;
    while (!rest.empty()) {
        const size_t lineStart = headers.size() - rest.size();
        if (FirstLine(rest, rest).empty()) {
            parts.headers = headers.substr(0, lineStart);
            parts.body = rest;
            return parts;
        }
    }
    parts.headers = headers;
    return parts;
}

std::string_view HeaderValue(const HttpAnswerParts& answer, std::string_view name) {
    std::string_view rest = answer.headers;
    while (!rest.empty()) {
        const std::string_view line = FirstLine(rest, rest);
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon != name.size()) continue;
        if (LowerCase(line.substr(0, colon)) == LowerCase(name)) return TrimBlanksAndTabs(line.substr(colon + 1));
    }
    return {};
}

bool IsRedirectStatus(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

}  // namespace kestrap
