#include "store/ResultEntry.h"

#include "common/Text.h"

namespace kestrap {

namespace {

constexpr size_t DateBytes = 10;

void AppendEntryField(std::string& out, std::string_view text) {
    // the text between bars goes in whole: writing a full list passes every byte through here
    bool afterBar = false;
    for (size_t bar = text.find('|'); bar != std::string_view::npos; bar = text.find('|')) {
        if (bar == 0 && afterBar) out.push_back(' ');
        out.append(text.substr(0, bar)).push_back('|');
        afterBar = true;
        text.remove_prefix(bar + 1);
    }
    out.append(text);
}

}  // namespace

std::string EntryFieldText(std::string_view text) {
    std::string field;
    field.reserve(text.size());
    AppendEntryField(field, text);
    return field;
}

std::string EntryLink(std::string_view link) {
    // breaking bars up adds no space at either end, so stripping first is the same
    return EntryFieldText(StripBlanks(link));
}

ResultEntry NewResultEntry(std::string_view date, std::string_view title, std::string_view link) {
    return {std::string(date), std::string(title), EntryLink(link), true};
}

void AppendEntryText(std::string& out, const ResultEntry& entry) {
    // the separators are set off by blanks, so a bar at a field's end or start never meets
    // another across them
    AppendEntryField(out, entry.date);
    out.append(" || ");
    AppendEntryField(out, entry.title);
    out.append(" || ");
    AppendEntryField(out, entry.link);
    if (entry.isNew) out.append(" || NEW");
}

std::string EntryText(const ResultEntry& entry) {
    std::string text;
    text.reserve(entry.date.size() + entry.title.size() + entry.link.size() + 16);
    AppendEntryText(text, entry);
    return text;
}

std::string EntryTextDate(const ResultEntry& entry) {
    std::string date = EntryFieldText(std::string_view(entry.date).substr(0, DateBytes));
    if (date.size() >= DateBytes) return date.substr(0, DateBytes);
    return EntryText(entry).substr(0, DateBytes);
}

}  // namespace kestrap
