#pragma once
// Result entries: one ad as a value; its link is its identity. The text the list box shows
// ("date || title || link[ || NEW]") is made from the value where it is needed.
#include <string>
#include <string_view>

namespace kestrap {

constexpr int MaxResults = 10000;

struct ResultEntry {
    std::string date;   // YYYY-MM-DD as held; from a hand-edited file, any first ten bytes
    std::string title;  // as read
    std::string link;   // as EntryLink makes it
    bool isNew = false;

    bool operator==(const ResultEntry&) const = default;
};

// A link as an entry holds it and the list compares it: every "||" broken up ("| |") and
// spaces stripped from both ends. Written so to the results file and read back the same,
// it keeps an ad the same ad from one start to the next.
std::string EntryLink(std::string_view link);

// The entry a search adds for an ad, tagged NEW.
ResultEntry NewResultEntry(std::string_view date, std::string_view title, std::string_view link);

// The entry's text "date || title || link[ || NEW]", every "||" inside a field broken up
// so that no field runs into the next: what the list box shows, and the key of the sort.
std::string EntryText(const ResultEntry& entry);
void AppendEntryText(std::string& out, const ResultEntry& entry);

// A field as the entry's text holds it: "||" broken up.
std::string EntryFieldText(std::string_view text);

// The first ten bytes of the entry's text: its date, and for a date shorter than that (a
// hand-edited file) the separator and what follows. Pruning and the file's date headings
// go by it.
std::string EntryTextDate(const ResultEntry& entry);

}  // namespace kestrap
