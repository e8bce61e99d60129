#include "store/Results.h"

#include "app/State.h"
#include "app/Window.h"
#include "common/Text.h"
#include "search/FeedText.h"

namespace kestrap {

namespace {

constexpr std::string_view FieldSeparator = "||";
constexpr size_t ListBoxTextLimit = 511;

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

// Feeds may wrap a link in blanks, while an entry's link field is always read stripped:
// compared unstripped, such an ad would come back as new at every search.
bool FindResultByLink(const AppState& state, std::string_view link) {
    return state.results.ContainsLink(StripBlanks(link));
}

bool AddNewResult(AppState& state, Window& window, std::string_view date, std::string_view title,
                  std::string_view link) {
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
    if (!state.results.Append(entry)) return false;
    state.unsavedResults = 1;
    ++state.newResultsFound;
    window.ListInsertTop(std::string_view(entry).substr(0, ListBoxTextLimit));
    return true;
}

void ResetResults(AppState& state, Window& window) {
    state.results.Clear();
    window.ListReset();
}

bool AppendLoadedResult(AppState& state, Window& window, std::string_view entry) {
    if (!state.results.Append(entry)) return false;
    window.ListAppend(entry);
    return true;
}

void SortResultsNewestFirst(AppState& state) {
    state.results.SortDescending();
}

void ClearResults(AppState& state, Window& window) {
    state.results.Clear();
    window.ListReset();
    window.Ask("List cleared. You can save your fresh results after your next search.",
               "List cleared", BoxOk | BoxIconInformation);
}

void OpenResultLink(Window& window) {
    std::string line = window.ListSelectedText();
    if (line.empty()) return;
    std::string_view link = ResultField(line, 3);
    if (IsWebAddress(link)) {
        window.Open(link);
        return;
    }
    // anything else would be run or opened as a file by the shell
    window.Ask("The link of this entry is not a web address and was not opened.",
               "Link not opened", BoxOk | BoxIconWarning);
}

}  // namespace kestrap
