#include "store/ResultsFile.h"

#include "common/DateText.h"
#include "common/Text.h"
#include "common/WebAddress.h"
#include "platform/Clock.h"
#include "store/ItemLink.h"
#include "store/ResultEntry.h"
#include "store/ResultsList.h"

namespace kestrap {
namespace {

constexpr std::string_view LineEnd = "\r\n";
constexpr std::string_view FirstHeading = "<h3>Kestrap build for ";

// inert whatever the list holds (a date read from a hand-edited file, say): it is written
// before the item's href and into its heading
std::string StoredDate(const ResultEntry& entry) {
    return HeldDate(EntryTextDate(entry));
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

void AppendDateHeading(std::string& out, std::string_view storedDate) {
    out.append("<h3>");
    AppendOnOneLine(out, DayHeading(storedDate));
    out.append("</h3>").append(LineEnd);
}

void AppendItem(std::string& out, std::string_view storedDate, const ResultEntry& entry) {
    out.append("<li>");
    AppendOnOneLine(out, storedDate);
    out.append(" <a href=\"");
    out.append(ItemHrefPrefix(entry.link));
    AppendOnOneLine(out, entry.link);
    out.append("\">");
    // the title as the entry's text shows it, bars broken up: files written before entries
    // were values hold it so, and a reader of the file may rely on it
    if (entry.title.find('|') == std::string::npos) AppendOnOneLine(out, StripBlanks(entry.title));
    else AppendOnOneLine(out, StripBlanks(EntryFieldText(entry.title)));
    out.append("</a>");
    if (entry.isNew) out.append(" <b>NEW</b>");
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

// The href of an item the writer wrote: from the first quote to the first quote that ends
// the tag, so that a quote or ">" inside it is part of the link, and the title after it
// stays the same through any number of loads and saves.
struct ItemParts {
    std::string_view href;
    std::string_view title;
    bool readable = false;  // the whole item as the writer gives it, on one line
};

ItemParts PartsOfItem(std::string_view item) {
    ItemParts parts;
    const size_t open = item.find('"');
    if (open == std::string_view::npos) {
        parts.title = TextBetween(item, ">", "<");
        return parts;
    }
    const size_t close = FindText(item, "\">", open + 1);
    if (close == std::string_view::npos) {
        parts.href = TextBetween(item, "\"", "\"");
        parts.title = TextBetween(item, ">", "<");
        return parts;
    }
    parts.href = item.substr(open + 1, close - open - 1);
    const std::string_view rest = item.substr(close + 2);
    parts.title = rest.substr(0, rest.find('<'));
    parts.readable = FindText(rest, "</a>") != std::string_view::npos;
    return parts;
}

// A link as read from an href: held like a feed's link, so that a quote, "<" or ">" in it
// cannot end the href when it is written again and "||" cannot split the entry; "| |"
// there is how bars in a link were once kept, read as the bars they stood for.
std::string LinkOfHref(std::string_view href) {
    std::string link(LinkOfItemHref(StripBlanks(href)));
    for (size_t at = link.find("| |"); at != std::string::npos; at = link.find("| |", at)) link.replace(at, 3, "||");
    return HeldLink(link, false);
}

// Fills `entry` (reused from line to line, so that reading allocates little); false when
// the item is not in the writer's form.
bool EntryOfItem(std::string_view item, ResultEntry& entry) {
    const ItemParts parts = PartsOfItem(item);
    entry.date.assign(item.substr(0, 10));
    entry.title.assign(StripBlanks(parts.title));
    entry.link = EntryLink(LinkOfHref(parts.href));
    return parts.readable;
}

}  // namespace

std::string ResultsFileText(const ResultsList& results, const Clock& clock) {
    std::string out;
    const LocalTime now = clock.Now();
    out.append(FirstHeading).append(LocalDateText(now));
    out.append(" at ").append(LocalTimeText(now)).append("</h3>").append(LineEnd);
    // entries are read in place: a copy of the list would cost allocations per entry
    std::string previousDate;
    bool first = true;
    results.ForEachEntry([&](const ResultEntry& entry) {
        const std::string date = StoredDate(entry);
        if (first) {
            AppendDateHeading(out, date);
            out.append("<ul>").append(LineEnd);
        } else if (date != previousDate) {
            out.append("</ul>").append(LineEnd);
            AppendDateHeading(out, date);
            out.append("<ul>").append(LineEnd);
        }
        first = false;
        AppendItem(out, date, entry);
        previousDate = date;
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

ResultsFileReading ReadResultsFileEntries(std::string_view bytes,
                                          const std::function<bool(const ResultEntry& entry)>& add,
                                          NewMarks marks) {
    ResultsFileReading reading;
    reading.ours = bytes.substr(0, FirstHeading.size()) == FirstHeading;
    std::string_view line;
    std::string_view item;
    ResultEntry entry;
    while (NextLine(bytes, line)) {
        if (!ItemOfLine(line, item)) continue;
        if (reading.leftOut > 0) {
            ++reading.leftOut;
            continue;
        }
        if (!EntryOfItem(item, entry)) ++reading.unreadable;
        entry.isNew = marks == NewMarks::Keep && ItemIsNew(item);
        if (add(entry)) ++reading.entries;
        else ++reading.leftOut;
    }
    return reading;
}

}  // namespace kestrap
