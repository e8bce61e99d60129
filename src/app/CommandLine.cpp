#include "app/CommandLine.h"

#include <vector>

#include "common/Text.h"

namespace kestrap {
namespace {

struct Word {
    std::string text;
    bool quoted = false;
    bool afterGap = false;  // a switch came between this word and the previous one
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Splits at blanks outside quotes; a quote opens or closes quoting anywhere in a word, and
// an unclosed quote runs to the end, as the Windows command line convention has it.
std::vector<Word> SplitWords(std::string_view arguments) {
    std::vector<Word> words;
    size_t at = 0;
    while (at < arguments.size()) {
        while (at < arguments.size() && IsBlank(arguments[at])) ++at;
        if (at == arguments.size()) break;
        Word word;
        bool quoting = false;
        for (; at < arguments.size() && (quoting || !IsBlank(arguments[at])); ++at) {
            if (arguments[at] == '"') {
                quoting = !quoting;
                word.quoted = true;
            } else {
                word.text += arguments[at];
            }
        }
        words.push_back(std::move(word));
    }
    return words;
}

CommandLine Bad(std::string problem) {
    CommandLine line;
    line.mode = RunMode::BadUsage;
    line.problem = std::move(problem);
    return line;
}

}  // namespace

CommandLine ParseCommandLine(std::string_view arguments) {
    CommandLine line;
    bool search = false;
    bool nameEnded = false;  // a switch followed the name's words
    bool hasName = false;
    for (const Word& word : SplitWords(arguments)) {
        if (word.text.empty()) continue;  // "" names nothing
        bool isSwitch = !word.quoted && (word.text[0] == '/' || word.text[0] == '-');
        if (isSwitch) {
            std::string name = LowerCase(std::string_view(word.text).substr(1));
            if (name == "search" && !search) {
                search = true;
            } else if (name == "open" && !line.openBrowser) {
                line.openBrowser = true;
            } else if (name == "quiet" && !line.quiet) {
                line.quiet = true;
            } else {
                return Bad("Unknown or repeated switch: " + word.text);
            }
            nameEnded = hasName;
            continue;
        }
        if (nameEnded) return Bad("More than one results file name: " + word.text);
        if (hasName) line.resultsFile += ' ';
        line.resultsFile += word.text;
        hasName = true;
    }
    if (!search && (hasName || line.openBrowser || line.quiet)) {
        return Bad("A results file name, /open and /quiet go with /search only.");
    }
    if (search) line.mode = RunMode::ScheduledSearch;
    return line;
}

std::string UsageText(std::string_view problem) {
    std::string text(problem);
    if (!text.empty()) text += "\r\n\r\n";
    text +=
        "Usage:\r\n"
        "  kestrap.exe\r\n"
        "      opens the window.\r\n"
        "  kestrap.exe /search [results file name] [/open] [/quiet]\r\n"
        "      searches without a window and saves the results file when new ads were found\r\n"
        "      (the last results file when none is named; quote a name with blanks);\r\n"
        "      /open shows the saved file in the browser. Each run adds a line to kestrap.log.\r\n"
        "      New ads are told in a notification (\"3 new ads in kestrap.html\"); a click on\r\n"
        "      it opens the saved file. /quiet shows none.\r\n"
        "\r\n"
        "Switches may also start with \"-\" and ignore case.";
    return text;
}

}  // namespace kestrap
