#include "search/SearchLines.h"

#include "common/Text.h"

namespace kestrap {

int ReadListLines(std::string_view text, size_t capacity, std::vector<std::string>& lines) {
    int found = 0;
    while (true) {
        size_t end = text.find("\r\n");
        std::string_view line = StripBlanks(text.substr(0, end));
        if (!line.empty() && line.front() != '#') {
            ++found;
            if (lines.size() < capacity) lines.emplace_back(line);
        }
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 2);
    }
    return found;
}

TermLine SplitTermLine(std::string_view line) {
    size_t comma = line.find(',');
    if (comma == std::string_view::npos) return {"sss", std::string(line)};
    std::string_view rest = line.substr(comma + 1);
    return {std::string(StripBlanks(line.substr(0, comma))),
            std::string(StripBlanks(rest.substr(0, rest.find(','))))};
}

// A section is a Kijiji category when it reads as a number above zero. The host test is on
// the line as typed, so an upper-case "Kijiji" counts as a Craigslist city here.
bool SkipsPair(std::string_view city, const TermLine& line) {
    bool kijijiCity = city.find("kijiji") != std::string_view::npos;
    bool category = ReadNumber(line.section) > 0;
    if (category) return !kijijiCity;
    return kijijiCity && line.section != "sss";
}

}  // namespace kestrap
