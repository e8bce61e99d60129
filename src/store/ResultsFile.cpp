#include "store/ResultsFile.h"

#include "common/Text.h"
#include "search/Dates.h"
#include "search/FeedText.h"
#include "store/ItemLink.h"
#include "store/ResultEntry.h"
#include "store/ResultsList.h"

namespace kestrap {
namespace {

constexpr std::string_view LineEnd = "\r\n";

// inert whatever the list holds (a date read from a hand-edited file, say): it is written
// before the item's href and into its heading
std::string StoredDate(std::string_view entry) {
    return HeldDate(entry.substr(0, 10));
}

// A line break inside a title or link would split its item line, and the reader would then
// lose the rest of the entry.
void AppendOnOneLine(std::string& out, std::string_view text) {
    size_t from = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '\r' && text[at] != '\n') continue;
        out.append(text.substr(from, at - from)).push_back(' ');
        from = at + 1;
    }
    out.append(text.substr(from));
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
    const std::string_view link = ResultField(entry, 3);
    out.append(ItemHrefPrefix(link));
    AppendOnOneLine(out, link);
    out.append("\">");
    AppendOnOneLine(out, ResultField(entry, 2));
    out.append("</a>");
    if (IsTaggedNew(entry)) out.append(" <b>NEW</b>");
    out.append("</li>").append(LineEnd);
}

// The item of a line: after its first "<li>" up to the next "</li>" (or the line's end);
// false for a line without "<li>".
bool ItemOfLine(std::string_view line, std::string_view& item) {
    const size_t open = FindText(line, "<li>");
    if (open == std::string_view::npos) return false;
    item = line.substr(open + 4);
    item = item.substr(0, FindText(item, "</li>"));
    return true;
}

// The writer ends a NEW item with " <b>NEW</b>"; a title cannot hold the tag, as titles
// are kept with "<" written "&lt;".
bool ItemIsNew(std::string_view item) {
    constexpr std::string_view mark = "<b>NEW</b>";
    item = StripBlanks(item);
    return item.size() >= mark.size() && item.substr(item.size() - mark.size()) == mark;
}

// Fills `entry` (reused from line to line, so that reading allocates little).
void EntryOfItem(std::string_view item, std::string& entry) {
    // bars inside a field (a hand-edited file, say) must not shift the link
    entry.clear();
    AppendEntryField(entry, item.substr(0, 10));
    entry.append(" || ");
    AppendEntryField(entry, StripBlanks(TextBetween(item, ">", "<")));
    entry.append(" || ");
    AppendEntryField(entry, LinkOfItemHref(StripBlanks(TextBetween(item, "\"", "\""))));
}

}  // namespace

std::string ResultsFileText(const ResultsList& results, const Clock& clock) {
    std::string out;
    out.append("<h3>Kestrap build for ").append(LocalDateText(clock));
    out.append(" at ").append(LocalTimeText(clock)).append("</h3>").append(LineEnd);
    // entries are read in place: a copy of the list would cost an allocation per entry
    std::string previousDate;
    bool first = true;
    results.ForEachEntry([&](std::string_view entry) {
        if (first) {
            AppendDateHeading(out, entry);
            out.append("<ul>").append(LineEnd);
        } else if (StoredDate(entry) != previousDate) {
            out.append("</ul>").append(LineEnd);
            AppendDateHeading(out, entry);
            out.append("<ul>").append(LineEnd);
        }
        first = false;
        previousDate.assign(StoredDate(entry));
        AppendItem(out, entry);
    });
    if (first) out.append("<ul>").append(LineEnd);
    out.append("</ul>").append(LineEnd);
    return out;
}

std::string ResultsFileNameWithEnding(std::string_view name) {
    const auto endsWith = [&](std::string_view ending) {
        return name.size() >= ending.size() &&
               LowerCase(name.substr(name.size() - ending.size())) == ending;
    };
    if (endsWith(".html") || endsWith(".htm")) return std::string(name);
    return std::string(name) + ".html";
}

int ReadResultsFileEntries(std::string_view bytes,
                           const std::function<bool(std::string_view entry)>& add,
                           NewMarks marks) {
    int leftOut = 0;
    std::string_view line;
    std::string_view item;
    std::string entry;
    while (NextLine(bytes, line)) {
        if (!ItemOfLine(line, item)) continue;
        if (leftOut > 0) {
            ++leftOut;
            continue;
        }
        EntryOfItem(item, entry);
        if (marks == NewMarks::Keep && ItemIsNew(item)) entry.append(" || NEW");
        if (!add(entry)) ++leftOut;
    }
    return leftOut;
}

}  // namespace kestrap
