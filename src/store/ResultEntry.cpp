#include "store/ResultEntry.h"

#include "common/Text.h"

namespace kestrap {

namespace {

constexpr std::string_view FieldSeparator = "||";

}  // namespace

std::string_view ResultField(std::string_view entry, int n) {
    if (n < 1) return {};
    size_t start = 0;
    for (int field = 1; field < n; ++field) {
        size_t separator = FindText(entry, FieldSeparator, start);
        if (separator == std::string_view::npos) return {};
        start = separator + FieldSeparator.size();
    }
    size_t end = FindText(entry, FieldSeparator, start);
    if (end == std::string_view::npos) end = entry.size();
    return StripBlanks(entry.substr(start, end - start));
}

bool IsTaggedNew(std::string_view entry) {
    return ResultField(entry, 4) == "NEW";
}

void AppendEntryField(std::string& entry, std::string_view text) {
    // the text between bars goes in whole: loading a full list passes every byte through here
    for (size_t bar = text.find('|'); bar != std::string_view::npos; bar = text.find('|')) {
        entry.append(text.substr(0, bar));
        if (!entry.empty() && entry.back() == '|') entry.push_back(' ');
        entry.push_back('|');
        text.remove_prefix(bar + 1);
    }
    entry.append(text);
}

std::string EntryFieldText(std::string_view text) {
    std::string field;
    field.reserve(text.size());
    AppendEntryField(field, text);
    return field;
}

std::string NewEntryText(std::string_view date, std::string_view title, std::string_view link) {
    std::string entry;
    entry.reserve(date.size() + title.size() + link.size() + 16);
    // a "||" inside a field would shift the link: the duplicate test, the double-click and
    // the file would all read a piece of the title instead
    AppendEntryField(entry, date);
    entry.append(" || ");
    AppendEntryField(entry, title);
    entry.append(" || ");
    AppendEntryField(entry, link);
    entry.append(" || NEW");
    return entry;
}

}  // namespace kestrap
