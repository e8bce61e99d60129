#include "store/ResultsFile.h"

#include <vector>

#include "app/State.h"
#include "app/Window.h"
#include "common/Text.h"
#include "platform/Files.h"
#include "search/Dates.h"
#include "search/SearchRun.h"
#include "store/ListFiles.h"
#include "store/Results.h"

namespace kestrap {
namespace {

constexpr std::string_view LineEnd = "\r\n";

// 10,000 entries take a few MiB; a file far beyond that is read only this far
constexpr size_t MaxResultsFileBytes = size_t{64} << 20;

std::string_view StoredDate(std::string_view entry) {
    return entry.substr(0, 10);
}

// A line break inside a title or link would split its item line, and the reader would then
// lose the rest of the entry.
void AppendOnOneLine(std::string& out, std::string_view text) {
    for (char c : text) out.push_back(c == '\r' || c == '\n' ? ' ' : c);
}

void AppendDateHeading(std::string& out, std::string_view entry) {
    out.append("<h3>");
    AppendOnOneLine(out, DayHeading(StoredDate(entry)));
    out.append("</h3>").append(LineEnd);
}

void AppendItem(std::string& out, std::string_view entry) {
    out.append("<li>");
    AppendOnOneLine(out, StoredDate(entry));
    out.append(" <a href=\"");
    AppendOnOneLine(out, ResultField(entry, 3));
    out.append("\">");
    AppendOnOneLine(out, ResultField(entry, 2));
    out.append("</a>");
    if (IsTaggedNew(entry)) out.append(" <b>NEW</b>");
    out.append("</li>").append(LineEnd);
}

std::string EntryOfItemLine(std::string_view line) {
    std::string_view item = TextBetween(line, "<li>", "</li>");
    // bars inside a field (a hand-edited file, say) must not shift the link
    std::string entry = EntryFieldText(item.substr(0, 10));
    entry.append(" || ").append(EntryFieldText(StripBlanks(TextBetween(item, ">", "<"))));
    entry.append(" || ").append(EntryFieldText(StripBlanks(TextBetween(item, "\"", "\""))));
    return entry;
}

// Appends one entry per "<li>" line; returns how many did not fit into the list.
int ReadItems(AppState& state, Window& window, std::string_view bytes) {
    int leftOut = 0;
    std::string_view line;
    while (NextLine(bytes, line)) {
        if (line.find("<li>") == std::string_view::npos) continue;
        if (leftOut > 0 || !AppendLoadedResult(state, window, EntryOfItemLine(line))) ++leftOut;
    }
    return leftOut;
}

}  // namespace

std::string ResultsFileText(const AppState& state) {
    std::vector<std::string> entries = state.results.Entries();
    std::string out;
    out.append("<h3>Kestrap build for ").append(LocalDateText(*state.clock));
    out.append(" at ").append(LocalTimeText(*state.clock)).append("</h3>").append(LineEnd);
    if (!entries.empty()) AppendDateHeading(out, entries.front());
    out.append("<ul>").append(LineEnd);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i > 0 && StoredDate(entries[i]) != StoredDate(entries[i - 1])) {
            out.append("</ul>").append(LineEnd);
            AppendDateHeading(out, entries[i]);
            out.append("<ul>").append(LineEnd);
        }
        AppendItem(out, entries[i]);
    }
    out.append("</ul>").append(LineEnd);
    return out;
}

void LoadResultsFile(AppState& state, Window& window, std::string_view name) {
    if (StripBlanks(name).empty()) return;
    std::string base = ListBaseName(name);
    ResetResults(state, window);
    std::string path = state.programFolder + std::string(name);
    std::string bytes;
    bool cut = false;
    if (!FileExists(path) || !ReadFileStart(path, bytes, MaxResultsFileBytes, cut)) {
        PostStatus(window, "Error: Could not load " + std::string(name));
    } else {
        int leftOut = ReadItems(state, window, bytes);
        if (leftOut > 0) {
            PostStatus(window, FormatThousands(leftOut) + " entries of " + std::string(name) +
                                   " were left out: the list holds at most " +
                                   FormatThousands(MaxResults) + ".");
        } else if (cut) {
            PostStatus(window, "Only the first " + FormatPlain(MaxResultsFileBytes >> 20) +
                                   " MiB of " + std::string(name) + " were read.");
        }
    }
    LoadSearchLists(state, window, base);
}

bool SaveResultsFile(AppState& state, const std::string& path) {
    return WriteFileAtomically(path, ResultsFileText(state));
}

}  // namespace kestrap
